#!/bin/sh
# Both programs on a bad day of their surroundings: pipes and devices as input, a temporary folder
# that is missing, read-only or full, standard output onto a full device, a current folder that no
# longer exists, device nodes and named pipes where files are expected. Each case gives the exit
# status and a line the run must print, and what must be left on disk.
#
# The cases that mount a small or read-only /tmp run in a mount namespace of their own and make
# device nodes, which needs root (as in CI); elsewhere they are skipped with the reason, and the
# script ends with status 77, which CTest reports as skipped, once the others have passed.
#
# Usage: environment_faults.sh KVRBUILD KVRVIEW BOARD.CFG
set -u
kvrbuild=$1 kvrview=$2 board=$3
work=$(mktemp -d "$PWD/faults.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0 skipped=""

# expect NAME STATUS TEXT COMMAND: runs COMMAND with sh; its exit status must be STATUS and its
# standard output and error together must hold TEXT.
expect() {
  name=$1 status=$2 text=$3
  shift 3
  timeout 60 sh -c "$1" >out.txt 2>&1
  got=$?
  if [ "$got" -ne "$status" ] || ! grep -qF -- "$text" out.txt; then
    echo "FAIL: $name: exit status $got (wanted $status), output:"
    sed 's/^/    /' out.txt | head -n 20
    failures=$((failures + 1))
  else
    echo "ok: $name"
  fi
}
# fail NAME: records a failure of what the case leaves behind.
fail() {
  echo "FAIL: $1"
  failures=$((failures + 1))
}

export K="$kvrbuild" V="$kvrview" B="$board"
"$kvrbuild" -g2 -- "$board" board.dat >/dev/null || fail "the example does not compile"
parsed="The configure file has been successfully parsed."

# A pipe is read whole into a copy in the temporary folder the environment names.
expect "a pipe" 0 "$parsed" 'cat "$B" | "$K" -p2 -- /dev/stdin'
expect "TMPDIR is honoured" 0 \
  "No copy of this pipe or device could be made in the temporary folder \`$work/none': No such file or directory." \
  "cat \"\$B\" | TMPDIR='$work/none' \"\$K\" -p2 -- /dev/stdin"

# Standard output that does not arrive is reported, with exit status 1 (the in-process table
# holds a redirection file and kvrview's output file on a full device).
expect "an analysis onto a full device" 1 "kvrbuild: standard output could not be written" \
  '"$K" -va board.dat >/dev/full'
expect "the manual onto a full device" 1 "kvrbuild: standard output could not be written" \
  '"$K" -vh >/dev/full'

# A current folder that no longer exists: the usual message for a file that does not open.
mkdir gone
expect "kvrbuild in a folder that is gone" 1 "An error occurred when opening the redirection file." \
  'cd gone && rmdir ../gone && "$K" -o log -p2 -- "$B"'
mkdir gone
expect "kvrview in a folder that is gone" 1 "kvrview: cannot write \`x.dot': No such file or directory" \
  'cd gone && rmdir ../gone && "$V" -o x.dot "$B"'

# A write that fails midway (a size limit here, a full disk below) leaves the file that was there
# byte for byte, and no new or temporary file: kvrview writes its output beside the file and
# renames it over the file only once it is whole; a link is written through to its target.
no_temporary() {
  [ -z "$(ls -A | grep '\.kvr')" ] || fail "$1 leaves a temporary file: $(ls -A | grep '\.kvr')"
}
echo old >x.dot
expect "kvrview -o past the size limit" 1 "kvrview: cannot write \`x.dot': File too large" \
  'ulimit -f 1 && "$V" -o x.dot "$B"'
[ "$(cat x.dot)" = old ] || fail "a write past the size limit damaged the file that was there"
no_temporary "a write past the size limit"
cp board.dat keep.dat
expect "kvrview --build past the size limit" 1 "kvrview: cannot write \`keep.dat': File too large" \
  'ulimit -f 1 && "$V" --build -o keep.dat "$B"'
cmp -s keep.dat board.dat || fail "a build past the size limit damaged the database that was there"
ln -s made.dot dangling.dot
expect "kvrview -o a dangling link past the size limit" 1 "File too large" \
  'ulimit -f 1 && "$V" -o dangling.dot "$B"'
[ -L dangling.dot ] && [ ! -e made.dot ] || fail "a dangling link's target was left half-written"
no_temporary "a write through a dangling link"
expect "kvrview --build of a good board" 0 "built" \
  '"$V" --build -o keep.dat "$B" && "$V" -o x.dot "$B" && echo built'
cmp -s keep.dat board.dat || fail "kvrview --build did not write what kvrbuild -g2 writes"

# A board configuration file that is a named pipe is refused, also while a writer waits (the
# in-process table holds one without).
mkfifo f.cfg
(printf ';CFG-2.0\n' >f.cfg &)
expect "-e -f a named pipe with a writer" 1 "file is a pipe, a device or a socket, which this" \
  '"$K" -e -f f.cfg'
: <f.cfg  # lets the writer go

# Cases that need root: a read-only or small /tmp in a mount namespace, and device nodes.
if ! unshare -m true 2>/dev/null; then
  skipped="no mount namespace (unshare -m needs root)"
else
  # in_tmpfs OPTIONS COMMAND: a script that runs COMMAND with a fresh tmpfs of these options on
  # /tmp, and TMPDIR unset; run it with unshare -m sh. The build may itself lie under /tmp, which
  # the tmpfs hides: the commands use copies in the current folder, which stays theirs.
  cp "$kvrbuild" ./kvrbuild && cp "$kvrview" ./kvrview && cp "$board" ./board.cfg
  in_tmpfs() {
    printf 'mount -t tmpfs -o %s tmpfs /tmp || exit 99\nunset TMPDIR\n%s\n' "$1" "$2" >ns.sh
  }
  in_tmpfs ro 'cat board.cfg | ./kvrbuild -p2 -- /dev/stdin'
  expect "a read-only /tmp" 0 \
    "No copy of this pipe or device could be made in the temporary folder \`/tmp': Read-only file system." \
    'unshare -m sh ns.sh'
  in_tmpfs ro 'cat board.cfg | TMPDIR=. ./kvrbuild -p2 -- /dev/stdin'
  expect "a read-only /tmp, TMPDIR elsewhere" 0 "$parsed" 'unshare -m sh ns.sh'
  head -c 1000000 /dev/zero | tr '\0' ';' >big.cfg
  in_tmpfs size=64k 'cat big.cfg | ./kvrbuild -p2 -- /dev/stdin; echo "/tmp holds $(ls -A /tmp | wc -l) files"'
  expect "a full /tmp" 0 \
    "The copy of this pipe or device could not be written in the temporary folder \`/tmp': No space left on device." \
    'unshare -m sh ns.sh'
  grep -qx "/tmp holds 0 files" out.txt || fail "a copy that could not be made whole is left in /tmp"
  in_tmpfs size=1m './kvrbuild -p2 -- /dev/zero'
  expect "endless /dev/zero with a full /tmp" 0 \
    "The copy of this pipe or device could not be written in the temporary folder \`/tmp': No space left on device." \
    'unshare -m sh ns.sh'
  in_tmpfs ro './kvrview --cfg board.dat'
  expect "kvrview --cfg with a read-only /tmp" 0 "[POD_DRVR] 'DSK4X11PP.DLL'" 'unshare -m sh ns.sh'
  awk 'BEGIN { print ";CFG-2.0"; for (i = 0; i < 300; i++) printf "\"d%d\" BYPASS006\n", i }' >wide.cfg
  printf 'mkdir -p small && mount -t tmpfs -o size=8k tmpfs small || exit 99\necho old >small/x.dot\n%s\nstatus=$?\necho "left: $(cat small/x.dot) $(ls -A small | wc -l)"\nexit $status\n' \
    './kvrview -o small/x.dot wide.cfg' >ns.sh
  expect "kvrview -o onto a full disk" 1 "kvrview: cannot write \`small/x.dot': No space left on device" \
    'unshare -m sh ns.sh'
  grep -qx "left: old 1" out.txt || fail "a write onto a full disk damaged the file that was there"
  if mknod myfull c 1 7 2>/dev/null; then
    expect "kvrview onto a device node" 1 "kvrview: cannot write \`myfull': No space left on device" \
      '"$V" -o myfull "$B"'
    [ -c myfull ] || fail "kvrview removed the device node it could not write"
  else
    skipped="mknod is not allowed here"
  fi
fi

echo "$failures failed"
[ "$failures" -eq 0 ] || exit 1
if [ -n "$skipped" ]; then
  echo "SKIPPED in part: $skipped"
  exit 77
fi
exit 0
