#!/usr/bin/env bash
# BMP files checked against a reader and a writer that are not ours (ffmpeg):
# what we write decodes to the pixels we wrote, and what ffmpeg writes we
# read back exactly. Usage: check_bmp.sh <nimbrix_sample> [emulator...]
# Exit 77 (skipped) when ffmpeg is not installed.
set -euo pipefail
sample="$1"; shift
command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null || { echo "ffmpeg not installed"; exit 77; }
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT; cd "$work"
EMU=("$@")
fail() { echo "FAIL: $*"; exit 1; }

for spec in "5 3 8" "4 4 8" "7 5 24" "8 2 24" "1 1 8" "33 17 24"; do
  set -- $spec; w=$1; h=$2; bits=$3
  "${EMU[@]}" "$sample" bmp-write ours.bmp expected.bgr "$w" "$h" "$bits" || fail "write $spec"
  want=$([ "$bits" = 8 ] && echo pal8 || echo bgr24)
  got=$(ffprobe -v error -show_entries stream=width,height,pix_fmt -of csv=p=0 ours.bmp)
  [ "$got" = "$w,$h,$want" ] || fail "ffprobe says $got for $spec"
  ffmpeg -v error -y -i ours.bmp -f rawvideo -pix_fmt bgr24 decoded.bgr
  cmp -s decoded.bgr expected.bgr || fail "ffmpeg decodes other pixels for $spec"

  # The other way round: ffmpeg's file of the same pixels.
  if [ "$bits" = 8 ]; then
    ffmpeg -v error -y -f rawvideo -pix_fmt bgr24 -s "${w}x$h" -i expected.bgr -pix_fmt gray theirs.bmp
    ffmpeg -v error -y -f rawvideo -pix_fmt bgr24 -s "${w}x$h" -i expected.bgr -f rawvideo -pix_fmt gray expected.px
  else
    ffmpeg -v error -y -f rawvideo -pix_fmt bgr24 -s "${w}x$h" -i expected.bgr theirs.bmp
    cp expected.bgr expected.px
  fi
  info=$("${EMU[@]}" "$sample" bmp-read theirs.bmp read.px | tr -d '\r') || fail "read ffmpeg's file $spec"
  [ "$info" = "$w $h $bits" ] || fail "read $info for $spec"
  cmp -s read.px expected.px || fail "pixels of ffmpeg's file differ for $spec"
  echo "ok $spec"
done
