#!/usr/bin/env bash
# TIFF files checked with libtiff's own tools: the tags we write, in the
# order libtiff stores them. Usage: check_tiff.sh <nimbrix_sample> [emulator...]
# Exit 77 (skipped) when the tools are not installed.
set -euo pipefail
sample="$1"; shift
EMU=("$@")
command -v tiffinfo >/dev/null && command -v tiffdump >/dev/null && command -v tiffcp >/dev/null || { echo "libtiff tools not installed"; exit 77; }
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT; cd "$work"
fail() { echo "FAIL: $*"; exit 1; }

for spec in "5 3 8 1 min-is-white" "7 4 8 3 RGB color" "6 2 16 3 RGB color" "3 2 8 4 min-is-white"; do
  set -- $spec; w=$1; h=$2; bits=$3; spp=$4; shift 4; photo="$*"
  "${EMU[@]}" "$sample" tiff-write out.tif "$w" "$h" "$bits" "$spp" || fail "write $spec"
  info=$(tiffinfo out.tif 2>&1)
  for want in "Image Width: $w Image Length: $h" "Resolution: 150, 150 pixels/inch" \
              "Bits/Sample: $bits" "Compression Scheme: None" "Photometric Interpretation: $photo" \
              "FillOrder: msb-to-lsb" "Samples/Pixel: $spp" "Rows/Strip: $h" \
              "Planar Configuration: single image plane"; do
    grep -qF "$want" <<<"$info" || fail "tiffinfo lacks '$want' for $spec: $info"
  done
  # Exactly these tags (numbers as tiffdump prints them), nothing else.
  tags=$(tiffdump out.tif | sed -n 's/^[A-Za-z]* (\([0-9]*\)) .*/\1/p' | sort -n | tr '\n' ' ')
  [ "$tags" = "256 257 258 259 262 266 273 277 278 279 282 283 284 296 " ] || fail "tags $tags for $spec"
  echo "ok $spec"
done

# Copies compressed by libtiff's own tool are read back as the original: a
# flat 4096 x 4096 picture (thousands of times larger than its file) and a
# colour picture in strips of 16 rows. The Windows build's libtiff has only
# the codecs that need no other library (LZW, PackBits): there, files of the
# others must be refused, never misread.
if [ ${#EMU[@]} -gt 0 ]; then readable=" lzw packbits "; else readable=" lzw zip zstd lzma packbits "; fi
"${EMU[@]}" "$sample" tiff-write flat.tif 4096 4096 8 1 0 || fail "write flat"
"${EMU[@]}" "$sample" tiff-read flat.tif flat.raw >/dev/null || fail "read flat"
"${EMU[@]}" "$sample" tiff-write mixed.tif 301 77 8 3 || fail "write mixed"
"${EMU[@]}" "$sample" tiff-read mixed.tif mixed.raw >/dev/null || fail "read mixed"
for codec in lzw zip zstd lzma packbits; do
  if ! tiffcp -c "$codec" -r 4096 flat.tif "flat-$codec.tif" 2>/dev/null; then
    echo "skip $codec: this tiffcp lacks it"; continue
  fi
  tiffcp -c "$codec" -r 16 mixed.tif "mixed-$codec.tif" || fail "tiffcp $codec"
  for pic in flat mixed; do
    file="$pic-$codec.tif"
    if [[ "$readable" == *" $codec "* ]]; then
      "${EMU[@]}" "$sample" tiff-read "$file" out.raw >/dev/null 2>&1 || fail "$file ($(stat -c %s "$file") bytes) not read"
      cmp -s out.raw "$pic.raw" || fail "$file read differently"
    elif "${EMU[@]}" "$sample" tiff-read "$file" out.raw >/dev/null 2>&1; then
      fail "$file read without its codec"
    fi
  done
  echo "ok $codec ($(stat -c %s "flat-$codec.tif") bytes for 16 MiB)"
done
# Samples plane after plane are refused rather than returned as interleaved.
tiffcp -p separate mixed.tif planar.tif
if "${EMU[@]}" "$sample" tiff-read planar.tif out.raw >/dev/null 2>&1; then fail "planar file read"; fi
echo "ok planar refused"
