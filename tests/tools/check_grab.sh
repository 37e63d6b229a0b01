#!/usr/bin/env bash
# Runs grab on the simulated board and checks what it wrote, then seqtool on
# those recordings: info, verify, export to TIFF and BMP, and recover on
# copies cut off as a crashed writer leaves them.
# Usage: check_grab.sh <bin folder> [emulator...]
set -euo pipefail
bin="$1"; shift
exe=""; [ -e "$bin/grab.exe" ] && exe=.exe
EMU=("$@")
run() { local tool="$1"; shift; "${EMU[@]}" "$bin/$tool$exe" "$@"; }
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT; cd "$work"
fail() { echo "FAIL: $*"; exit 1; }
# DISPLAY stays as it is for every run: under Wine the first program of the
# prefix decides for all that follow whether windows can be opened.
display="${DISPLAY:-}"
unset QUORLEX_SIM
P=$((640 * 480))

# The default run: 640x480 grey at the default rate, nothing lost.
run grab --no-display --count 60 --output out >grab.txt 2>&1 || fail "grab: $(cat grab.txt)"
grep -q "^camera on serial port 0: SIMCAM 0A, GAIN 3 set and read back" grab.txt ||
  fail "no camera set-up in: $(cat grab.txt)"
grep -q "recorded 60 of 60 pictures .*, 0 lost" grab.txt || fail "summary: $(cat grab.txt)"
grep -q "at 25/s, ring of 16 (no display)" grab.txt || fail "default ring: $(cat grab.txt)"
run grab_check recording out/grab.seq 640 480 8 60 consecutive >/dev/null || fail "recording"
run grab_check picture out/last.tif 640 480 8 60 || fail "TIFF"
run grab_check picture out/last.bmp 640 480 8 60 || fail "BMP"
[ -s out/grab.avi ] || fail "no AVI"
[ -s pictor.log ] || fail "no trace"
echo "ok grab grey"

# Colour, another size and rate, on camera port B.
run grab --no-display --colour --width 100 --height 30 --rate 40 --count 12 --port 1 \
  --camera-set EXPOSURE 250 --output colour >grab.txt 2>&1 || fail "grab colour: $(cat grab.txt)"
grep -q "SIMCAM 0B, EXPOSURE 250" grab.txt || fail "camera B: $(cat grab.txt)"
run grab_check recording colour/grab.seq 100 30 24 12 consecutive >/dev/null || fail "colour recording"
run grab_check picture colour/last.tif 100 30 24 12 || fail "colour TIFF"
run grab_check picture colour/last.bmp 100 30 24 12 || fail "colour BMP"
echo "ok grab colour"

# Both ports at once, each into its own recording named after its port, with
# a line of its own; the single-port names are not written.
rm -f pictor.log
run grab --no-display --port 0,1 --colour --width 120 --height 40 --rate 50 --count 30 \
  --output two >grab.txt 2>&1 || fail "grab on two ports: $(cat grab.txt)"
sed -i 's/\r$//' grab.txt  # Windows line ends
grep -q "SIMCAM 0A, GAIN 3" grab.txt && grep -q "SIMCAM 0B, GAIN 3" grab.txt ||
  fail "cameras of both ports: $(cat grab.txt)"
grep -q "^grabber open: .* ports 0,1; 30 pictures of 120x40 colour at 50/s on each" grab.txt ||
  fail "two ports: $(cat grab.txt)"
for p in 0 1; do
  grep -q "^port $p: recorded 30 of 30 pictures .*, 0 lost$" grab.txt || fail "port $p: $(cat grab.txt)"
  grep -q "^port $p: outputs: two/grab_port$p.seq, two/grab_port$p.avi, two/last_port$p.tif, two/last_port$p.bmp (last picture 30)" grab.txt ||
    fail "outputs of port $p: $(cat grab.txt)"
  run grab_check recording two/grab_port$p.seq 120 40 24 30 consecutive >/dev/null ||
    fail "recording of port $p"
  run seqtool verify two/grab_port$p.seq >verify.txt || fail "verify port $p: $(cat verify.txt)"
  run grab_check picture two/last_port$p.tif 120 40 24 30 || fail "TIFF of port $p"
  run grab_check picture two/last_port$p.bmp 120 40 24 30 || fail "BMP of port $p"
  [ -s two/grab_port$p.avi ] || fail "no AVI of port $p"
  # Every picture of the port was taken from the port's own ring.
  [ "$(grep -c "Px_getImagePtr([^,]*,[0-9]*,$p)" pictor.log)" = 30 ] ||
    fail "pictures taken on port $p: $(grep -c "Px_getImagePtr(" pictor.log)"
done
grep -q "^ports 0,1 together: 60 of 60 pictures in .*, 0 lost$" grab.txt || fail "$(cat grab.txt)"
[ ! -e two/grab.seq ] && [ ! -e two/last.tif ] || fail "single-port names written: $(ls two)"
# A port given twice, or one the board does not have, is refused.
for bad in 0,0 0,2 0, ,1; do
  if run grab --no-display --no-camera --port "$bad" >err.txt 2>&1; then fail "--port $bad"; fi
  grep -q "bad value $bad for --port" err.txt || fail "--port $bad: $(cat err.txt)"
done
run grab --help | grep -q -- "--port .*comma-separated" || fail "--port in the usage"
echo "ok grab on two ports"

# With a display the pictures are drawn as they are recorded.
if [ -n "$display" ]; then
  run grab --display --count 10 --output shown >grab.txt 2>&1 ||
    fail "grab with display: $(cat grab.txt)"
  grep -q "no display window" grab.txt && fail "no window on $display: $(cat grab.txt)"
  run grab_check recording shown/grab.seq 640 480 8 10 consecutive >/dev/null || fail "shown recording"
  echo "ok grab with display"
fi

# Failures end with the library's own text and a non-zero status.
if run grab --no-display --no-camera --applet no_such_applet --count 1 >err.txt 2>&1; then
  fail "a missing applet was accepted"
fi
grep -q "Px_Init(no_such_applet, 0) failed" err.txt || fail "missing applet: $(cat err.txt)"
if run grab --no-display --board 3 --count 1 >err.txt 2>&1; then fail "board 3 was accepted"; fi
grep -q "camera: cannot open serial port 6" err.txt || fail "board 3: $(cat err.txt)"
if run grab --no-display --no-camera --width 2 >err.txt 2>&1; then fail "width 2 accepted"; fi
if run grab --no-display --no-camera --rate 100001 >err.txt 2>&1; then fail "rate 100001 accepted"; fi
grep -q "bad value 100001 for --rate" err.txt || fail "rate 100001: $(cat err.txt)"
echo "ok grab failures"

# Rates above 1000 per second are taken (small regions of fast cameras): the
# run records its pictures; on a loaded machine some may be lost (status 3).
status=0
run grab --no-display --no-camera --width 64 --height 8 --rate 20000 --count 400 --buffers 64 \
  --output fast >grab.txt 2>&1 || status=$?
[ "$status" = 0 ] || [ "$status" = 3 ] || fail "rate 20000: status $status: $(cat grab.txt)"
grep -q "400 pictures of 64x8 grey at 20000/s" grab.txt &&
  grep -q "^recorded [0-9]* of 400 pictures" grab.txt || fail "rate 20000: $(cat grab.txt)"
run grab_check recording fast/grab.seq 64 8 8 "$(sed -n 's/^recorded \([0-9]*\) of.*/\1/p' grab.txt)" \
  >/dev/null || fail "rate 20000 recording"
echo "ok grab above 1000/s"

# Without --buffers the ring holds a quarter second of pictures.
run grab --no-display --no-camera --rate 400 --count 5 --output quarter >grab.txt 2>&1 ||
  fail "rate 400: $(cat grab.txt)"
grep -q "at 400/s, ring of 100 (no display)" grab.txt || fail "ring at 400/s: $(cat grab.txt)"
run grab_check recording quarter/grab.seq 640 480 8 5 consecutive >/dev/null || fail "rate 400 recording"
echo "ok grab ring"

# seqtool on the grey recording.
run seqtool info out/grab.seq >info.txt || fail "info"
grep -q "pictures      60" info.txt && grep -q "numbers       1 .. 60" info.txt || fail "info: $(cat info.txt)"
run seqtool verify out/grab.seq >verify.txt || fail "verify: $(cat verify.txt)"
mkdir tif bmp
run seqtool export out/grab.seq tiff tif --first 10 --end 13 >/dev/null || fail "export tiff"
run seqtool export colour/grab.seq bmp bmp --first 11 >/dev/null || fail "export bmp"
[ "$(ls tif)" = "$(printf 'picture_000011.tif\npicture_000012.tif\npicture_000013.tif')" ] ||
  fail "exported TIFF files: $(ls tif)"
for n in 11 12 13; do run grab_check picture tif/picture_0000$n.tif 640 480 8 $n || fail "tif $n"; done
[ "$(ls bmp)" = picture_000012.bmp ] || fail "exported BMP files: $(ls bmp)"
run grab_check picture bmp/picture_000012.bmp 100 30 24 12 || fail "bmp 12"
if run seqtool export out/grab.seq tiff tif --first 60 >/dev/null 2>&1; then fail "range past the end"; fi
echo "ok seqtool info verify export"

# A writer that died leaves records but no count: cut copies of the recording
# at a record's end, inside a record and at a buffer's end, with the count
# and first-number fields cleared, as on disk before the close.
crashed() {  # name length
  head -c "$2" out/grab.seq >"$1"
  printf '\0\0\0\0\0\0\0\0' | dd of="$1" bs=1 seek=32 conv=notrunc status=none
}
R=$((24 + P))
for cut in "$((40 + 7 * R)) 7" "$((40 + 7 * R + 1000)) 7" "4000000 $(( (4000000 - 40) / R ))" \
            "$((40 + 60 * R)) 60" "20 -"; do
  set -- $cut; len=$1; want=$2
  crashed cut.seq "$len"
  if [ "$want" = - ]; then
    if run seqtool recover cut.seq >rec.txt 2>&1; then fail "recovered a file without header"; fi
    continue
  fi
  if [ "$want" -gt 0 ]; then
    if run seqtool verify cut.seq >/dev/null; then fail "verify passed a crashed recording"; fi
  fi
  run seqtool recover cut.seq >rec.txt || fail "recover $len: $(cat rec.txt)"
  run grab_check recording cut.seq 640 480 8 "$want" consecutive >/dev/null ||
    fail "recovered from $len bytes"
  run seqtool recover cut.seq >rec.txt || fail "recover twice"
  grep -q "complete: $want pictures" rec.txt || fail "recover twice: $(cat rec.txt)"
  run seqtool verify cut.seq >rec.txt || fail "verify after recover: $(cat rec.txt)"
  echo "ok recover $len bytes: $want pictures"
done
