#!/usr/bin/env bash
# A recording cut short by killing grab while it writes: seqtool recover
# brings back every picture whose record lies whole in the file.
# Usage: check_killed.sh <bin folder> [emulator...]
set -euo pipefail
bin="$1"; shift
EMU=("$@")
exe=""; [ -e "$bin/grab.exe" ] && exe=.exe
run() { local tool="$1"; shift; "${EMU[@]}" "$bin/$tool$exe" "$@"; }
work=$(mktemp -d); trap 'kill -9 $pid 2>/dev/null || true; rm -rf "$work"' EXIT; cd "$work"
fail() { echo "FAIL: $*"; exit 1; }
unset QUORLEX_SIM
w=1000; h=1000; R=$((24 + w * h))
# Started directly (not through a function) so that $! is grab itself.
"${EMU[@]}" "$bin/grab$exe" --no-display --no-camera --count 100000 --width $w --height $h --rate 100 \
  --output out >grab.txt 2>&1 &
pid=$!
# Until at least three buffers of 4,000,000 bytes are on disk.
for _ in $(seq 600); do
  size=$(stat -c %s out/grab.seq 2>/dev/null || echo 0)
  [ "$size" -ge 12000000 ] && break
  kill -0 $pid 2>/dev/null || fail "grab ended early: $(cat grab.txt)"
  sleep 0.05
done
kill -9 $pid; wait $pid 2>/dev/null || true
# Writes the system had already taken on still land.
sleep 1
size=$(stat -c %s out/grab.seq)
[ "$size" -ge 12000000 ] || fail "only $size bytes were written"
whole=$(( (size - 40) / R ))
if run seqtool verify out/grab.seq >verify.txt; then fail "verify passed: $(cat verify.txt)"; fi
run seqtool recover out/grab.seq >recover.txt || fail "recover: $(cat recover.txt)"
got=$(run grab_check recording out/grab.seq $w $h 8 - | tr -d "\r") || fail "recovered recording: $got"
[ "$got" = "$whole" ] && [ "$got" -ge 11 ] || fail "recovered $got pictures, $whole records lay whole in $size bytes"
run seqtool verify out/grab.seq >verify.txt || fail "verify after recover: $(cat verify.txt)"
echo "ok killed at $size bytes: $got pictures recovered"
