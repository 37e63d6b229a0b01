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
  # The display skips the pictures that come while it draws: each one it
  # was handed is checked.
  drawn=$(ls "drawn$w" | wc -l)
  [ "$drawn" -ge 1 ] && grep -q "^shown $drawn of the 4 recorded pictures" grab.txt ||
    fail "width $w: $drawn drawn: $(cat grab.txt)"
  for f in "drawn$w"/drawn_*.raw; do
    n=${f#drawn$w/drawn_}; n=${n%.raw}
    "$bin/grab_check" drawn "$f" "$w" 30 "$bits" "$n" || fail "width $w picture $n"
  done
  echo "ok $w x 30 x $bits drawn with rows the display reads"
done

QX_DRAW_PROBE=refuse LD_PRELOAD="$probe" "$bin/grab" --display --no-camera --count 5 \
  --output refused >grab.txt 2>&1 || fail "grab with a refusing display: $(cat grab.txt)"
[ "$(grep -c "display refused" grab.txt)" = 1 ] || fail "refusals reported: $(cat grab.txt)"
grep -q "grab: the display refused picture 1 (DrawBuffer returned -1)" grab.txt || fail "$(cat grab.txt)"
grep -q "^recorded 5 of 5 pictures" grab.txt || fail "$(cat grab.txt)"
echo "ok a refusing display is reported once"

# A slow screen: drawing falls behind, so pictures are skipped on screen and
# never lost from the recording. Each picture reaches the recording's writer
# straight from the grabber's ring: grab makes no copy of its own.
mkdir slow
QX_DRAW_PROBE="$PWD/slow" QX_DRAW_DELAY_MS=150 QX_COPY_PROBE="$PWD/handed.txt" LD_PRELOAD="$probe" \
  "$bin/grab" --display --no-camera --width 64 --height 32 --rate 100 --count 60 --buffers 64 \
  --output slowout >grab.txt 2>&1 || fail "grab with a slow display: $(cat grab.txt)"
grep -q "^recorded 60 of 60 pictures .*, 0 lost$" grab.txt || fail "$(cat grab.txt)"
"$bin/grab_check" recording slowout/grab.seq 64 32 8 60 consecutive >/dev/null || fail "recording"
shown=$(sed -n 's/^shown \([0-9]*\) of the 60 recorded pictures on the display$/\1/p' grab.txt)
[ -n "$shown" ] && [ "$shown" -ge 1 ] && [ "$shown" -lt 60 ] || fail "shown: $(cat grab.txt)"
[ "$(ls slow | wc -l)" = "$shown" ] || fail "drawn $(ls slow | wc -l), reported $shown"
for f in slow/drawn_*.raw; do
  n=${f#slow/drawn_}; n=${n%.raw}
  "$bin/grab_check" drawn "$f" 64 32 8 "$n" || fail "drawn picture $n"
done
[ "$(cat handed.txt)" = "$(printf 'ring 60\ncopy 0')" ] || fail "handed over: $(cat handed.txt)"
echo "ok a slow display skips pictures ($shown of 60 shown), none lost, none copied"

# Both ports with a display each: each port's pictures are shown and
# counted on their own line.
QX_DRAW_PROBE="$PWD/slow" QX_DRAW_DELAY_MS=50 QX_COPY_PROBE="$PWD/handed.txt" LD_PRELOAD="$probe" \
  "$bin/grab" --display --no-camera --port 0,1 --width 64 --height 32 --rate 100 --count 40 \
  --buffers 64 \
  --output twoout >grab.txt 2>&1 || fail "grab on two ports with displays: $(cat grab.txt)"
for p in 0 1; do
  grep -q "^port $p: recorded 40 of 40 pictures .*, 0 lost$" grab.txt || fail "$(cat grab.txt)"
  grep -q "^port $p: shown [1-9][0-9]* of the 40 recorded pictures on the display$" grab.txt ||
    fail "port $p shown: $(cat grab.txt)"
  "$bin/grab_check" recording twoout/grab_port$p.seq 64 32 8 40 consecutive >/dev/null ||
    fail "recording of port $p"
done
[ "$(cat handed.txt)" = "$(printf 'ring 80\ncopy 0')" ] || fail "handed over: $(cat handed.txt)"
echo "ok two ports with a display each"

# A writer that waits for the disk while the grabber refills the picture's
# buffer: the picture is in the recording, but is reported as damaged and
# the run ends with status 3. The pictures after it find the grabber more
# than half a ring ahead and are copied before they are handed over.
# Under ThreadSanitizer the writer reading the buffer the simulated board
# refills is that very overlap, as a board's DMA would be: not reported here.
status=0
TSAN_OPTIONS="${TSAN_OPTIONS:+$TSAN_OPTIONS:}report_bugs=0" \
  QX_WRITE_STALL=5:600 LD_PRELOAD="$probe" "$bin/grab" --no-display --no-camera --width 64 \
  --height 32 --rate 100 --buffers 16 --count 40 --output stalled >grab.txt 2>&1 || status=$?
[ "$status" = 3 ] || fail "status $status after a stalled write: $(cat grab.txt)"
grep -q "^recorded [0-9]* of 40 pictures .*, [1-9][0-9]* lost, 1 damaged$" grab.txt ||
  fail "$(cat grab.txt)"
grep -q "^copied [1-9][0-9]* pictures before handing them to the recording, which fell behind$" \
  grab.txt || fail "$(cat grab.txt)"
grep -q "^pictures overwritten while they were recorded (kept damaged): 5$" grab.txt ||
  fail "$(cat grab.txt)"
"$bin/grab_check" recording stalled/grab.seq 64 32 8 - >check.txt || true
[ "$(grep -c "^FAIL" check.txt)" -le 1 ] || fail "more than picture 5 damaged: $(cat check.txt)"
echo "ok a picture overwritten while it was written is reported damaged"
