#!/usr/bin/env bash
# Installs what is missing, builds everything (program, tests, benchmarks) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
# A private print queue for the end-to-end printing test, stopped however the run ends;
# when it cannot start, that test skips and says why.
root=$PWD
cups_dir="$root/build/cups-test"
trap 'bash "$root/scripts/cups-test.sh" stop "$cups_dir"' EXIT
if cups_env=$(bash "$root/scripts/cups-test.sh" start "$cups_dir"); then
  eval "$cups_env"
else
  echo "test print queue not started: the CUPS printing test will skip" >&2
fi
cd build
ctest --output-on-failure -j"$(nproc)"
