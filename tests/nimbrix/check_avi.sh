#!/usr/bin/env bash
# AVI files checked with ffprobe and ffmpeg: frame count, size, rate, the
# grey palette, and every decoded frame equal to what was written. Without an
# emulator (the Linux build) also a grey AVI larger than 1 GiB.
# Usage: check_avi.sh <nimbrix_sample> [emulator...]; exit 77 without ffmpeg.
set -euo pipefail
sample="$1"; shift
EMU=("$@")
check="$sample"
# The frames are checked by the program of the build that runs natively.
[ ${#EMU[@]} -gt 0 ] && check="${NIMBRIX_NATIVE_SAMPLE:-}"
[ -n "$check" ] && [ ! -x "$check" ] && check=""
command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null || { echo "ffmpeg not installed"; exit 77; }
work=$(mktemp -d -p "${NIMBRIX_BIG_DIR:-${TMPDIR:-/tmp}}"); trap 'rm -rf "$work"' EXIT; cd "$work"
fail() { echo "FAIL: $*"; exit 1; }

probe() {
  ffprobe -v error -count_packets -select_streams v:0 \
    -show_entries stream=codec_name,width,height,pix_fmt,r_frame_rate,nb_read_packets -of csv=p=0 "$1"
}

decodeCheck() {  # file w h bits frames
  if [ -n "$check" ]; then
    ffmpeg -v error -i "$1" -f rawvideo -pix_fmt bgr24 - | "$check" avi-check "$2" "$3" "$4" "$5" >check.txt ||
      fail "decoded frames of $1 differ: $(cat check.txt)"
  else
    n=$(ffmpeg -v error -i "$1" -f rawvideo -pix_fmt bgr24 - | wc -c)
    [ "$n" = $(( $2 * $3 * 3 * $5 )) ] || fail "decoded $n bytes from $1"
  fi
}

for spec in "16 8 8 25.0 5 pal8 25/1" "12 6 24 12.345 4 bgr24 617/50" "20 10 8 7.5 3 pal8 15/2" \
            "4 2 24 10 1 bgr24 10/1"; do
  set -- $spec; w=$1; h=$2; bits=$3; fps=$4; n=$5; fmt=$6; rate=$7
  "${EMU[@]}" "$sample" avi-write out.avi "$w" "$h" "$bits" "$fps" "$n" || fail "write $spec"
  got=$(probe out.avi)
  [ "$got" = "rawvideo,$w,$h,$fmt,$rate,$n" ] || fail "ffprobe says '$got' for $spec"
  decodeCheck out.avi "$w" "$h" "$bits" "$n"
  # Readers that seek by the index must find every frame where it says.
  idx=$("${EMU[@]}" "$sample" avi-index out.avi | tr -d '\r') || fail "index of $spec: $idx"
  [ "$idx" = "index $n 0" ] || fail "index of $spec: $idx"
  echo "ok $spec"
done

if [ ${#EMU[@]} -eq 0 ]; then
  # 1100 frames of 1 MiB: past AVI 1.0's 1 GiB, so the file goes on in
  # OpenDML form and must still decode completely.
  "$sample" avi-write big.avi 1024 1024 8 25 1100 || fail "write big"
  size=$(stat -c %s big.avi)
  [ "$size" -gt $((1 << 30)) ] || fail "big.avi is only $size bytes"
  got=$(probe big.avi)
  [ "$got" = "rawvideo,1024,1024,pal8,25/1,1100" ] || fail "ffprobe says '$got' for big.avi"
  decodeCheck big.avi 1024 1024 8 1100
  idx=$("$sample" avi-index big.avi) || fail "index of big.avi: $idx"
  [ "${idx##* }" = 1100 ] || fail "index of big.avi: $idx"
  echo "ok big ($size bytes, $idx)"
fi
