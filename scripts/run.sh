#!/usr/bin/env bash
# Installs what is missing, builds Kirrel and starts it on the user's display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target kirrel kirrel-cli
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
  echo "Run Kirrel on a virtual display instead:  xvfb-run -a build/kirrel" >&2
  exit 1
fi
exec build/kirrel
