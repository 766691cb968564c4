#!/usr/bin/env bash
# Builds the Debian package kirrel_<version>_<arch>.deb: stripped programs, the package
# dependencies worked out from the libraries the programs use, and the manual pages, completion,
# desktop entry, icons, examples and AppStream metadata in their Debian places. Prints the path of
# the package.
#   scripts/package.sh [BUILD_DIR]   a build tree of its own (default build-package) with
#                                    Debian's build flags (hardening)
#   scripts/package.sh --in DIR      the programs of an existing, built tree as they are (the
#                                    test run packages its own tree so)
# Then:  sudo apt-get install ./build-package/kirrel_*.deb    and later    sudo apt-get remove kirrel
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh" package >&2
if [ "${1:-}" = "--in" ]; then
  dir=$(cd "${2:?usage: $0 --in BUILD_DIR}" && pwd)
  cmake --build "$dir" -j"$(nproc)" --target kirrel kirrel-cli kirrel-usage-outputs \
    kirrel-package-changelog >&2
  rm -f "$dir"/kirrel_*.deb
  (cd "$dir" && cpack -G DEB >&2)
  ls "$dir"/kirrel_*.deb
  exit 0
fi
dir=${1:-$root/build-package}
# dpkg-buildflags gives what Debian builds its own packages with (fortify, stack protector,
# relro); the paths of the source tree are mapped away from the debug information.
# Every hardening feature, bind-now included (it changes only the link).
export DEB_BUILD_MAINT_OPTIONS=${DEB_BUILD_MAINT_OPTIONS:-hardening=+all}
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cxxflags=$(dpkg-buildflags --get CXXFLAGS)
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DKIRREL_BUILD_TESTS=OFF -DKIRREL_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$cppflags $cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$dir" -j"$(nproc)" >&2
rm -f "$dir"/kirrel_*.deb
(cd "$dir" && cpack -G DEB >&2)
ls "$dir"/kirrel_*.deb
