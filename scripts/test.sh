#!/usr/bin/env bash
# Installs what is missing, builds everything (program, tests, benchmarks) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
# A private print queue for the end-to-end printing test, in a folder of this run's own and
# stopped however the run ends (so two runs on one machine never meet); when it cannot start,
# that test skips and says why.
root=$PWD
cups_dir=$(mktemp -d "${TMPDIR:-/tmp}/kirrel-cups-XXXXXX")
chmod 0755 "$cups_dir"
trap 'bash "$root/scripts/cups-test.sh" stop "$cups_dir"; rm -rf "$cups_dir"' EXIT
trap 'exit 130' INT TERM HUP
if cups_env=$(bash "$root/scripts/cups-test.sh" start "$cups_dir"); then
  eval "$cups_env"
else
  echo "test print queue not started: the CUPS printing test will skip" >&2
fi
cd build
ctest --output-on-failure -j"$(nproc)"
