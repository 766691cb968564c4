#!/usr/bin/env bash
# Renders docs/screenshot.png from the shipped examples: the program on a virtual display of
# 1600x1000 (xvfb-run), a fresh home folder (no settings, no recent files), race18.csv in its
# 馬連 view beside table36.csv, the 分析 menu on the bar. Usage: screenshots.sh [BUILD_DIR]
# (default: build). Needs xvfb-run, xdotool and ImageMagick's import.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
[ -x "$build/kirrel" ] || { echo "no kirrel in $build" >&2; exit 2; }
for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 2; }
done
# The documents' titles show their paths: the examples are copied to one fixed folder, so that
# the picture does not depend on where the repository lies.
work=/tmp/kirrel-screenshots
if ! mkdir -m 0700 "$work" 2>/dev/null; then
  echo "$work exists: another run, or a leftover to remove" >&2
  exit 1
fi
trap 'rm -rf "$work"' EXIT
mkdir -m 0700 "$work/home" "$work/run"
cp -r docs/examples "$work/examples"
export KIRREL_SHOT_BUILD=$build KIRREL_SHOT_WORK=$work KIRREL_SHOT_OUT=$PWD/docs
xvfb-run -a -s "-screen 0 1600x1000x24 -dpi 96" bash -c '
  set -euo pipefail
  cd "$KIRREL_SHOT_WORK/examples"
  HOME=$KIRREL_SHOT_WORK/home XDG_RUNTIME_DIR=$KIRREL_SHOT_WORK/run LC_ALL=C.UTF-8 \
    "$KIRREL_SHOT_BUILD/kirrel" race18.csv table36.csv >/dev/null 2>&1 &
  app=$!
  w=$(timeout 20 xdotool search --sync --onlyvisible --name "^Kirrel\$" | head -1)
  xdotool windowmove "$w" 0 0 windowsize "$w" 1600 1000 windowfocus --sync "$w"
  sleep 1
  key() { xdotool key --window "$w" --delay 150 "$@"; sleep 0.5; }
  key alt+w 1 ctrl+w     # the untitled first document closes (nothing to save)
  key alt+w 1 F6         # race18.csv: its 馬連 view
  key alt+w v            # 左右に並べて表示
  key alt+w 1            # race18.csv in front
  sleep 1
  import -window root "$KIRREL_SHOT_OUT/screenshot.png"
  kill "$app"
  wait "$app" || true
'
echo "docs/screenshot.png written"
