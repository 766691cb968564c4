#!/usr/bin/env bash
# Builds the Debian package kirrel_<version>_<arch>.deb in a build tree of its own, with Debian's
# build flags (hardening), stripped programs and the package dependencies worked out from the
# libraries the programs use. Prints the path of the package.
#   scripts/package.sh [BUILD_DIR]     (default: build-package)
# Then:  sudo apt-get install ./build-package/kirrel_*.deb    and later    sudo apt-get remove kirrel
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build-package}
bash "$root/scripts/install-deps.sh" package
# dpkg-buildflags gives what Debian builds its own packages with (fortify, stack protector,
# relro, now); the paths of the source tree are mapped away from the debug information.
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cxxflags=$(dpkg-buildflags --get CXXFLAGS)
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DKIRREL_BUILD_TESTS=OFF -DKIRREL_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$cppflags $cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$dir" -j"$(nproc)"
rm -f "$dir"/kirrel_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
ls "$dir"/kirrel_*.deb
