#!/usr/bin/env bash
# TIFF files checked with libtiff's own tools: the tags we write, in the
# order libtiff stores them. Usage: check_tiff.sh <nimbrix_sample> [emulator...]
# Exit 77 (skipped) when the tools are not installed.
set -euo pipefail
sample="$1"; shift
EMU=("$@")
command -v tiffinfo >/dev/null && command -v tiffdump >/dev/null || { echo "libtiff tools not installed"; exit 77; }
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
