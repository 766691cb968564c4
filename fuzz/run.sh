#!/usr/bin/env bash
# Runs fuzz targets one after another, each for SECONDS from its committed corpus and with its
# dictionary. New inputs go to a folder of their own (kept for the next run when KEEP is given),
# so the committed corpus stays as it is. A finding ends with status 1 and leaves the input
# that caused it as crash-*, leak-* or timeout-* in the working folder.
# Usage: fuzz/run.sh BUILD_DIR SECONDS [TARGET...]   (targets without the fuzz_ prefix; default all)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
seconds=$2
shift 2
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(document inifile ticket actualodds oddspaste sidecar handover cli payouts resultfield)
fi
work=${KEEP:-$(mktemp -d "${TMPDIR:-/tmp}/kirrel-fuzz-XXXXXX")}
[ -n "${KEEP:-}" ] || trap 'rm -rf "$work"' EXIT
status=0
for t in "${targets[@]}"; do
  dict=()
  case $t in
    cli) dict=(-dict="$here/dict/cli.dict") ;;
    sidecar) dict=(-dict="$here/dict/sidecar.dict") ;;
    actualodds | oddspaste) dict=(-dict="$here/dict/odds.dict") ;;
  esac
  mkdir -p "$work/$t"
  # A single input that takes seconds is a finding too (a hang on hostile text).
  if "$build/fuzz/fuzz_$t" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 "$work/$t" "$here/corpus/$t" > "$work/$t.log" 2>&1; then
    echo "fuzz_$t: $(grep -E '^#[0-9]+[[:space:]]+DONE' "$work/$t.log" | tail -1)"
  else
    echo "fuzz_$t: FAILED" >&2
    tail -n 60 "$work/$t.log" >&2
    status=1
  fi
done
exit $status
