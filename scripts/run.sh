#!/usr/bin/env bash
# Installs what is missing, builds Kirrel, installs kirrel and kirrel-cli (with the desktop entry
# and its icons) and starts Kirrel on the user's display with the files given, if any.
# Prefix: /usr/local when run as root, ~/.local otherwise; KIRREL_PREFIX chooses another.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -n "${KIRREL_PREFIX:-}" ]; then
  prefix=$KIRREL_PREFIX
elif [ "$(id -u)" -eq 0 ]; then
  prefix=/usr/local
else
  prefix=$HOME/.local
fi

bash "$root/scripts/install-deps.sh" run
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
# The manual pages, the completion and the changelog are installed with the programs.
cmake --build "$root/build" -j"$(nproc)" --target kirrel kirrel-cli kirrel-usage-outputs \
  kirrel-package-changelog
# Stripped: the installed programs without their debug information (41.7 MB down to about 2 MB).
cmake --install "$root/build" --strip >/dev/null
# File managers read the MIME types of desktop entries from this cache where it exists.
if command -v update-desktop-database >/dev/null; then
  update-desktop-database -q "$prefix/share/applications" || true
fi
echo "Installed kirrel and kirrel-cli in $prefix/bin"
case ":$PATH:" in
*":$prefix/bin:"*) ;;
*)
  echo "$prefix/bin is not on your PATH; for this shell:  export PATH=\"$prefix/bin:\$PATH\"" >&2
  ;;
esac

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
  # Shell-quoted, so the line can be pasted as it is, files and all.
  line="xvfb-run -a $(printf '%q' "$prefix/bin/kirrel")"
  [ $# -eq 0 ] || line+=$(printf ' %q' "$@")
  echo "Run Kirrel on a virtual display instead:  $line" >&2
  exit 1
fi
exec "$prefix/bin/kirrel" "$@"
