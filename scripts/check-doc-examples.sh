#!/usr/bin/env bash
# Runs the shell blocks of README.md and docs/*.md that are marked as examples (a line
# "<!-- example -->" right before a ```sh block) against a built tree, from the repository
# folder, with the tree's kirrel-cli first on PATH. A block fails when a command in it exits
# with a status other than 0. Usage: check-doc-examples.sh [BUILD_DIR] (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
[ -x "$build/src/cli/kirrel-cli" ] || { echo "no kirrel-cli in $build/src/cli" >&2; exit 2; }
blocks=$(mktemp -d "${TMPDIR:-/tmp}/kirrel-doc-examples-XXXXXX")
trap 'rm -rf "$blocks"' EXIT
# One file per marked block: NAME.LINE.sh
awk -v out="$blocks" '
  FNR == 1 { marked = 0; inblock = 0 }
  inblock && /^```/ { inblock = 0; close(file); next }
  inblock { print > file; next }
  marked && /^```sh/ { inblock = 1; n = FILENAME; gsub("/", "_", n); file = out "/" n "." FNR ".sh"; print "# " FILENAME ", line " FNR > file; marked = 0; next }
  /^<!-- example -->$/ { marked = 1; next }
  /[^[:space:]]/ { marked = 0 }
' README.md docs/*.md
count=0 failed=0
for f in "$blocks"/*.sh; do
  [ -e "$f" ] || continue
  count=$((count + 1))
  if ! PATH="$build/src/cli:$PATH" timeout 20 bash -e "$f" >"$f.out" 2>&1; then
    failed=$((failed + 1))
    echo "example failed: $(head -1 "$f" | cut -c3-)" >&2
    sed 's/^/  /' "$f.out" >&2
  fi
done
[ "$count" -gt 0 ] || { echo "no marked examples found" >&2; exit 1; }
echo "$count documented example blocks run, $failed failed"
[ "$failed" -eq 0 ]
