#!/usr/bin/env bash
# Makes the two pictures of README.md: the demo's display window, captured on
# a virtual X display while grab runs, and the last picture grab wrote.
# Needs a built linux preset (scripts/demo builds it).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work=$(mktemp -d)
n=$((90 + RANDOM % 100))
Xvfb ":$n" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 50); do DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
cd "$work"
DISPLAY=":$n" "$here/build/linux/bin/grab" --display --colour --count 100 --output . >grab.txt &
grab=$!
sleep 2
ffmpeg -v error -f x11grab -draw_mouse 0 -video_size 800x600 -i ":$n" -frames:v 1 \
  -vf crop=640:480:0:0 "$here/docs/images/demo-display.png" -y
wait $grab
ffmpeg -v error -i last.bmp "$here/docs/images/demo-last-picture.png" -y
echo "written: docs/images/demo-display.png, docs/images/demo-last-picture.png"
