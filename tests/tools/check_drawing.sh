#!/usr/bin/env bash
# What grab hands the display, seen through a stand-in for the display
# library: rows the display can show, and a display that refuses pictures
# reported once.
# Usage: check_drawing.sh <bin folder> <stand-in library>
set -euo pipefail
bin="$1"; probe="$2"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT; cd "$work"
fail() { echo "FAIL: $*"; exit 1; }
unset QUORLEX_SIM
# Sanitizer builds: the stand-in comes before the sanitizer's runtime.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"

# Rows of 642 grey or 3 x 101 colour bytes are not a multiple of 4 bytes.
for case in "642 8 --grey" "101 24 --colour" "640 8 --grey"; do
  set -- $case; w=$1; bits=$2; mkdir -p "drawn$w"
  QX_DRAW_PROBE="$PWD/drawn$w" LD_PRELOAD="$probe" "$bin/grab" --display --no-camera $3 \
    --width "$w" --height 30 --count 4 --output "out$w" >grab.txt 2>&1 || fail "grab $w: $(cat grab.txt)"
  for n in 1 2 3 4; do
    "$bin/grab_check" drawn "drawn$w/drawn_$n.raw" "$w" 30 "$bits" $n || fail "width $w picture $n"
  done
  echo "ok $w x 30 x $bits drawn with rows the display reads"
done

QX_DRAW_PROBE=refuse LD_PRELOAD="$probe" "$bin/grab" --display --no-camera --count 5 \
  --output refused >grab.txt 2>&1 || fail "grab with a refusing display: $(cat grab.txt)"
[ "$(grep -c "display refused" grab.txt)" = 1 ] || fail "refusals reported: $(cat grab.txt)"
grep -q "grab: the display refused picture 1 (DrawBuffer returned -1)" grab.txt || fail "$(cat grab.txt)"
grep -q "^recorded 5 of 5 pictures" grab.txt || fail "$(cat grab.txt)"
echo "ok a refusing display is reported once"
