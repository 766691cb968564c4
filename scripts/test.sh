#!/usr/bin/env bash
# Installs what is missing, builds everything (program, tests, benchmarks) and runs every test;
# then runs the whole suite again in a second tree built with AddressSanitizer and
# UndefinedBehaviorSanitizer, and each fuzz target for a short while when clang is there.
# KIRREL_SANITIZE=0 leaves out both (a quicker run while working; CI runs everything).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
jobs=$(nproc)
sanitize=${KIRREL_SANITIZE:-1}
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
if [ "$sanitize" = 1 ]; then
  # -O1 keeps the build and the run short; without NDEBUG, Qt's own range checks (Q_ASSERT in
  # its containers) are on as well.
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" -DKIRREL_SANITIZE=ON -DKIRREL_BUILD_BENCH=OFF >/dev/null
  cmake --build build-asan -j"$jobs"
  fuzz=0
  if command -v clang++ >/dev/null; then
    fuzz=1
    CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DKIRREL_BUILD_FUZZ=ON -DKIRREL_BUILD_TESTS=OFF -DKIRREL_BUILD_BENCH=OFF >/dev/null
    cmake --build build-fuzz -j"$jobs" --target fuzz
  else
    echo "clang++ not found: the fuzz targets are not run" >&2
  fi
fi
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
(cd build && ctest --output-on-failure -j"$jobs")

echo "== the examples of the README and docs/"
bash scripts/check-doc-examples.sh build

echo "== the Debian package, its AppStream metadata and lintian"
deb=$(bash scripts/package.sh --in build)
appstreamcli validate --no-net build/org.kirrel.Kirrel.metainfo.xml
# Errors and warnings fail the run; lintian's informational tags (no bind-now in the suite's
# own build flags, the .comment section) do not.
lintian --fail-on error,warning "$deb"
[ "$sanitize" = 1 ] || exit 0

echo "== the suite under AddressSanitizer and UndefinedBehaviorSanitizer"
# Any finding fails its test: UBSan stops at the first one (-fno-sanitize-recover=all), leaks
# end a test with a failure status, and only leaks inside Qt's or the system's libraries are
# suppressed (each with its reason in the file).
(cd build-asan && QT_QPA_PLATFORM=offscreen \
  ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1 \
  LSAN_OPTIONS=suppressions="$root/scripts/lsan-suppressions.txt":print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j"$jobs")
if [ "$fuzz" = 1 ]; then
  echo "== each fuzz target for 20 seconds"
  bash fuzz/run.sh build-fuzz 20
fi
