#!/usr/bin/env bash
# Renders pictures of docs/ from the shipped examples: the program on a virtual display of
# 1600x1000 (xvfb-run, 96 dpi), a fresh home folder each time (no settings, no recent files).
#   docs/screenshot.png      race18.csv in its 馬連 view beside table36.csv, the menus on the bar
#   docs/analysis-chart.png  the chart of race18.csv (分析 → グラフ), maximized
# Usage: screenshots.sh [BUILD_DIR] (default: build). Needs xvfb-run, xdotool and ImageMagick's
# import. The other pictures of docs/ are not made here.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
[ -x "$build/kirrel" ] || { echo "no kirrel in $build" >&2; exit 2; }
for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 2; }
done
# The documents' titles show their paths: the examples are copied to one fixed folder, so that
# the pictures do not depend on where the repository lies.
work=/tmp/kirrel-screenshots
if ! mkdir -m 0700 "$work" 2>/dev/null; then
  echo "$work exists: another run, or a leftover to remove" >&2
  exit 1
fi
trap 'rm -rf "$work"' EXIT
cp -r docs/examples "$work/examples"
export KIRREL_SHOT_BUILD=$build KIRREL_SHOT_WORK=$work KIRREL_SHOT_OUT=$PWD/docs

# shoot PICTURE FILE... : starts Kirrel on FILE..., sets the scene for PICTURE, writes it.
shoot() {
  rm -rf "$work/home" "$work/run"
  mkdir -m 0700 "$work/home" "$work/run"
  xvfb-run -a -s "-screen 0 1600x1000x24 -dpi 96" bash -c '
    set -euo pipefail
    picture=$1
    shift
    cd "$KIRREL_SHOT_WORK/examples"
    HOME=$KIRREL_SHOT_WORK/home XDG_RUNTIME_DIR=$KIRREL_SHOT_WORK/run LC_ALL=C.UTF-8 \
      "$KIRREL_SHOT_BUILD/kirrel" "$@" >/dev/null 2>&1 &
    app=$!
    w=$(timeout 20 xdotool search --sync --onlyvisible --name "^Kirrel\$" | head -1)
    xdotool windowmove "$w" 0 0 windowsize "$w" 1600 1000 windowfocus --sync "$w"
    sleep 1
    key() { xdotool key --window "$w" --delay 150 "$@"; sleep 0.5; }
    key alt+w 1 ctrl+w # the untitled first document closes (nothing to save)
    case $picture in
    screenshot.png)
      key alt+w 1 F6 # race18.csv: its 馬連 view
      key alt+w v    # 左右に並べて表示
      key alt+w 1    # race18.csv in front
      ;;
    analysis-chart.png)
      key alt+a g # the chart opens at a fixed place on a fresh start
      sleep 1
      xdotool mousemove 988 54 click 1 # its maximize button
      ;;
    esac
    sleep 1
    import -window root "$KIRREL_SHOT_OUT/$picture"
    kill "$app"
    wait "$app" || true
  ' shoot "$@"
  echo "docs/$1 written"
}

shoot screenshot.png race18.csv table36.csv
shoot analysis-chart.png race18.csv
