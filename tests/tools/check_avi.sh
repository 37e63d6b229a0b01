#!/usr/bin/env bash
# The videos of grab and seqtool decode with ffmpeg to the recorded pictures
# (AVI frames run bottom row first). Exit 77 without ffmpeg.
# Usage: check_avi.sh <bin folder> [emulator...]
set -euo pipefail
bin="$1"; shift
exe=""; [ -e "$bin/grab.exe" ] && exe=.exe
EMU=("$@")
command -v ffmpeg >/dev/null || { echo "ffmpeg not installed"; exit 77; }
run() { local tool="$1"; shift; "${EMU[@]}" "$bin/$tool$exe" "$@"; }
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT; cd "$work"
fail() { echo "FAIL: $*"; exit 1; }
unset QUORLEX_SIM

decodesTo() {  # video recording
  ffmpeg -v error -i "$1" -f rawvideo -pix_fmt bgr24 decoded.raw -y || fail "ffmpeg cannot decode $1"
  run grab_check frames "$2" expected.raw || fail "frames of $2"
  cmp -s decoded.raw expected.raw || fail "$1 does not decode to the pictures of $2"
}

run grab --no-display --count 30 --width 320 --height 240 --output grey >grab.txt 2>&1 ||
  fail "grab: $(cat grab.txt)"
decodesTo grey/grab.avi grey/grab.seq
echo "ok grab grey video"
run grab --no-display --colour --count 8 --width 64 --height 40 --output colour >grab.txt 2>&1 ||
  fail "grab colour: $(cat grab.txt)"
decodesTo colour/grab.avi colour/grab.seq
run seqtool export colour/grab.seq avi colour.avi --rate 12.5 >/dev/null || fail "export avi"
decodesTo colour.avi colour/grab.seq
echo "ok colour videos"
