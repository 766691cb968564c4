#!/usr/bin/env bash
# Installs the Debian packages Kirrel needs, asking apt only for what is missing.
# Usage: scripts/install-deps.sh [build|run|package|test|all]
set -euo pipefail
what=${1:-all}
# Debian 12's qt6-charts-dev needs the Qt OpenGL CMake files without depending on them.
base=(cmake ninja-build g++ qt6-base-dev qt6-charts-dev libqt6opengl6-dev fonts-ipafont-gothic fonts-ipafont-mincho ccache)
# The fuzz targets: clang with its sanitizer and libFuzzer runtimes (g++ brings its own
# sanitizer runtimes for the sanitizer run of the suite).
fuzz=(clang libclang-rt-14-dev)
# The Debian package: dpkg-shlibdeps and dpkg-buildflags (dpkg-dev), file (for cpack), and the
# checks of the package and its AppStream metadata.
package=(dpkg-dev file gzip)
checks=(appstream lintian)
case "$what" in
  build)   pkgs=("${base[@]}") ;;
  run)     pkgs=("${base[@]}" qt6-translations-l10n xvfb xauth) ;;
  package) pkgs=("${base[@]}" "${package[@]}") ;;
  test)    pkgs=("${base[@]}" qt6-translations-l10n libbenchmark-dev cups printer-driver-cups-pdf poppler-utils "${fuzz[@]}" "${package[@]}" "${checks[@]}") ;;
  all)     pkgs=("${base[@]}" qt6-translations-l10n libbenchmark-dev xvfb xauth imagemagick xclip cups printer-driver-cups-pdf poppler-utils "${fuzz[@]}" "${package[@]}" "${checks[@]}" bash-completion) ;;
  *) echo "usage: $0 [build|run|package|test|all]" >&2; exit 2 ;;
esac
missing=()
for p in "${pkgs[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
