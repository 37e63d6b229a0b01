#!/usr/bin/env bash
# grab and seqtool as a user meets them when things go wrong: a full disk,
# Ctrl-C and SIGTERM, output folders that are missing or unusable, command
# lines that cannot be used, and files that are not (closed) recordings.
# Usage: check_grab_stops.sh <bin folder> [emulator...]
set -euo pipefail
bin="$1"; shift
exe=""; [ -e "$bin/grab.exe" ] && exe=.exe
EMU=("$@")
run() { local tool="$1"; shift; "${EMU[@]}" "$bin/$tool$exe" "$@"; }
work=$(mktemp -d); pid=""
trap '[ -n "$pid" ] && kill -9 $pid 2>/dev/null; rm -rf "$work"' EXIT; cd "$work"
fail() { echo "FAIL: $*"; exit 1; }
unset QUORLEX_SIM
P=$((640 * 480))

# A full disk, made by a limit on the size of files (about five buffers of
# the recording): the summary counts exactly the pictures on disk, and the
# recording is closed so that it verifies.
set +e
(trap '' XFSZ; ulimit -f 20000; exec "${EMU[@]}" "$bin/grab$exe" --no-display --no-camera \
  --count 100 --output full) >full.txt 2>&1
status=$?
set -e
[ "$status" = 1 ] || fail "status $status on a full disk: $(cat full.txt)"
run seqtool verify full/grab.seq >verify.txt || fail "verify after a full disk: $(cat verify.txt)"
ondisk=$(run grab_check recording full/grab.seq 640 480 8 - consecutive | tr -d '\r') ||
  fail "recording after a full disk: $ondisk"
[ "$ondisk" -gt 0 ] && [ "$ondisk" -lt 100 ] || fail "$ondisk pictures on disk"
grep -q "^recorded $ondisk of 100 pictures" full.txt || fail "summary ($ondisk on disk): $(cat full.txt)"
grep -Eq "grab: (writing to|closing) the recording full/grab.seq failed" full.txt ||
  fail "no word of the failure: $(cat full.txt)"
echo "ok full disk: $ondisk pictures on disk and counted"

# Ctrl-C and SIGTERM: the recording is closed, the outputs written, the
# summary printed, and the status tells which signal it was.
# Wine does not hand these signals to Windows programs as such.
signals="INT:130 TERM:143"; [ -n "$exe" ] && signals=""
for sig in $signals; do
  name=${sig%%:*}; want=${sig##*:}
  # Background jobs start with SIGINT ignored, which grab leaves so.
  rm -rf stop; env --default-signal=INT "${EMU[@]}" "$bin/grab$exe" --no-display --no-camera --count 100000 --width 320 \
    --height 240 --rate 200 --output stop >stop.txt 2>&1 &
  pid=$!
  for _ in $(seq 400); do
    size=$(stat -c %s stop/grab.seq 2>/dev/null || echo 0)
    [ "$size" -ge 8000000 ] && break
    kill -0 $pid 2>/dev/null || fail "grab ended early: $(cat stop.txt)"
    sleep 0.05
  done
  kill -s "$name" $pid
  set +e; wait $pid; status=$?; set -e; pid=""
  [ "$status" = "$want" ] || fail "SIG$name: status $status: $(cat stop.txt)"
  run seqtool verify stop/grab.seq >verify.txt || fail "verify after SIG$name: $(cat verify.txt)"
  n=$(run grab_check recording stop/grab.seq 320 240 8 - consecutive | tr -d '\r') ||
    fail "recording after SIG$name: $n"
  grep -q "^recorded $n of 100000 pictures" stop.txt || fail "summary after SIG$name: $(cat stop.txt)"
  [ -s stop/grab.avi ] && [ -s stop/last.tif ] && [ -s stop/last.bmp ] ||
    fail "outputs after SIG$name: $(ls -l stop)"
  echo "ok SIG$name: $n pictures kept, status $status"
done

# Output folders: missing parents are made; one that cannot be made is
# reported with the system's reason before the camera is touched.
run grab --no-display --count 3 --output a/b/c >made.txt 2>&1 || fail "a/b/c: $(cat made.txt)"
run grab_check recording a/b/c/grab.seq 640 480 8 3 consecutive >/dev/null || fail "a/b/c recording"
# grab prints only its own lines.
grep -q "picnr" made.txt && fail "lines of the file library: $(cat made.txt)"
echo file >plain
rm -f pictor.log
if run grab --no-display --count 3 --output plain/sub >bad.txt 2>&1; then fail "plain/sub accepted"; fi
grep -q "grab: cannot create the folder plain/sub: Not a directory" bad.txt ||
  grep -q "grab: cannot create the folder plain/sub: .*" bad.txt || fail "folder: $(cat bad.txt)"
grep -q "camera" bad.txt && fail "the camera was set up first: $(cat bad.txt)"
[ -e pictor.log ] && fail "the grabber was opened first"
echo "ok output folders"

# Command lines: the option at fault is named, and the usage follows;
# --help goes to standard output.
expectUsage() {  # tool expected-text args...
  local tool=$1 text=$2; shift 2
  set +e; run "$tool" "$@" >out.txt 2>err.txt; local status=$?; set -e
  [ "$status" = 2 ] || fail "$tool $*: status $status"
  grep -qF -- "$text" err.txt || fail "$tool $*: $(cat err.txt)"
  grep -q "^usage: $tool" err.txt || fail "$tool $*: no usage in $(cat err.txt)"
  [ -s out.txt ] && fail "$tool $*: standard output $(cat out.txt)"
  return 0
}
expectUsage grab "option --count needs a value" --no-display --count
expectUsage grab "unknown option --frames" --frames 10
expectUsage grab "unknown option --bogus" --bogus
expectUsage grab "bad value ten for --count" --count ten
expectUsage grab "bad value 99999999999 for --width" --width 99999999999
expectUsage grab "option --camera-set needs a name and a value" --camera-set GAIN
expectUsage seqtool "unknown option --last" export x.seq tiff out --last 3
expectUsage seqtool "option --first needs a value" export x.seq tiff out --first
expectUsage seqtool "bad value x for --end" export x.seq tiff out --end x
expectUsage seqtool "unknown command show" show x.seq
for tool in grab seqtool; do
  run $tool --help >out.txt 2>err.txt || fail "$tool --help: status $?"
  grep -q "^usage: $tool" out.txt || fail "$tool --help: $(cat out.txt)"
  [ -s err.txt ] && fail "$tool --help wrote to standard error: $(cat err.txt)"
done
echo "ok command lines"

# seqtool on what is not a closed recording.
run grab --no-display --no-camera --count 10 --output rec >/dev/null 2>&1 || fail "grab rec"
R=$((24 + P))
head -c $((40 + 5 * R + 100)) rec/grab.seq >cut.seq
if run seqtool info cut.seq >raw.txt; then fail "info passed a cut recording"; fi
tr -d '\r' <raw.txt >info.txt
grep -q "^numbers       1 .. ? (the file ends inside record 5 of 10)$" info.txt ||
  fail "info on a cut recording: $(cat info.txt)"
grep -q "^file size" info.txt || fail "info on a cut recording: $(cat info.txt)"
cp rec/grab.seq open.seq
printf '\0\0\0\0\0\0\0\0' | dd of=open.seq bs=1 seek=32 conv=notrunc status=none
if run seqtool info open.seq >raw.txt; then fail "info passed an unclosed recording"; fi
tr -d '\r' <raw.txt >info.txt
grep -q "not closed" info.txt && grep -q "seqtool recover open.seq" info.txt ||
  fail "info on an unclosed recording: $(cat info.txt)"
mkdir folder.seq; echo "no recording here" >text.seq
for what in "folder.seq:folder.seq is a folder, not a recording" \
            "text.seq:text.seq is not a recording (no recording header)" \
            "missing.seq:cannot open missing.seq: "; do
  file=${what%%:*}; text=${what#*:}
  for cmd in info verify recover "export tiff tif" "export avi v.avi"; do
    set -- $cmd
    if run seqtool "$1" "$file" "${@:2}" >out.txt 2>err.txt; then fail "$cmd $file passed"; fi
    grep -qF "seqtool: $text" err.txt || fail "seqtool $cmd $file: $(cat err.txt)"
  done
done
echo "ok seqtool on cut, unclosed and non-recordings"
