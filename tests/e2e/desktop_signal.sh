#!/usr/bin/env bash
# Stops the built desktop program in the middle of writing a large file, on a
# virtual X display with real key presses: once with SIGTERM while it writes
# the first of four fragments (no output and no hidden part file may
# remain), once with the progress window's Cancel button (Alt+C) while it
# writes fragment 2 (fragment 1 stays whole, nothing of the fragment being
# written or any later one remains, and the program tells so in an
# "Information" box and runs on). The source
# is a sparse WAV file of 2 GB (400 MB on a disk with little room). Exits 77
# (skipped) when Xvfb or xdotool is missing or there is no virtual display.
#
#   desktop_signal.sh TOLVANE
set -euo pipefail
app=$(realpath "$1")

source "$(dirname "$0")/common.sh"
on_fail() { ls -la "$work" "$work/out" >&2 2>/dev/null || true; }

# Files the program left that are hidden parts of unfinished ones.
parts() {
  find "$work/out" -name '*.tolvane-part*' -printf '%f\n'
}

mkdir "$work/out"

# A 16-bit stereo 44100 Hz WAV file: a 44-byte header, then audio that takes
# no room on the disk. What is written of it takes room, so the size follows
# the free space.
size=$((2 * 1024 * 1024 * 1024))
[ "$(df -Pk "$work" | awk 'NR == 2 { print $4 }')" -gt $((6 * 1024 * 1024)) ] || size=$((400 * 1024 * 1024))
source="$work/Big Take.wav"
data=$((size - 44))
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))\\x$(printf %02x $(($1 >> 16 & 255)))\\x$(printf %02x $(($1 >> 24 & 255)))"; }
{
  printf 'RIFF'; le32 $((data + 36)); printf 'WAVEfmt '; le32 16
  printf '\x01\x00\x02\x00'; le32 44100; le32 176400; printf '\x04\x00\x10\x00'
  printf 'data'; le32 "$data"
} >"$source"
[ "$(stat -c %s "$source")" -eq 44 ] || fail "the header is not 44 bytes"
truncate -s "$size" "$source"
head -c 44 "$source" >"$work/header"

# Starts the program on the source (the file to open is its argument);
# prints its main window.
start() {
  (cd "$work" && exec "$app" "$source") >"$work/app.log" 2>&1 &
  app_pid=$!
  pids+=($app_pid)
}

# Shred Equally into four fragments, the Estimate window confirmed.
shred() {
  xdotool windowfocus --sync "$main"
  keys alt+f e
  window '^Shred Equally$' >/dev/null
  xdotool type --delay 30 "$work/out/part"
  keys Tab Tab Tab ctrl+a 4 alt+s
  # Space on the main window plays: it must reach the Estimate window's OK.
  xdotool windowfocus --sync "$(window '^Estimate$')"
  keys space
  sleep 0.2
}

# A fragment of a sparse source is written in a fraction of a second when the
# disk is memory: the test looks for the part file without pausing.

# 1. SIGTERM while a fragment is being written.
start
main=$(window "^Tolvane - $source\$")
shred
until=$((SECONDS + 20))
while [ -z "$(parts)" ] && [ "$SECONDS" -lt "$until" ]; do :; done
[ -n "$(parts)" ] || fail "no fragment was being written"
kill -TERM "$app_pid"
status=0
wait "$app_pid" || status=$?
[ "$status" -eq 143 ] || fail "the program ended with $status, not by SIGTERM"
[ -z "$(parts)" ] || fail "a part file remains after SIGTERM: $(parts)"
# A fast disk may have finished fragments before the signal: those stay
# whole, and nothing of the one being written.
left=$(ls "$work/out" | wc -l)
[ "$(ls "$work/out" | tr '\n' ' ')" = "$(seq -f 'PART-%g.wav' "$left" | tr '\n' ' ')" ] && [ "$left" -lt 4 ] ||
  fail "files remain after SIGTERM: $(ls -A "$work/out" | tr '\n' ' ')"
rm -f "$work/out"/*

# 2. Cancel (Alt+C) while a fragment of four is being written. A fast disk may
# have moved on to a later fragment when the key arrives: the fragments
# before the one being written stay, whole and in order.
start
main=$(window "^Tolvane - $source\$")
shred
until=$((SECONDS + 20))
while [ -z "$(parts)" ] && [ "$SECONDS" -lt "$until" ]; do :; done
[ -n "$(parts)" ] || fail "no fragment was being written"
progress=$(window '^Shreding')
xdotool windowfocus --sync "$progress" 2>/dev/null || true
keys alt+c
window '^Information$' >/dev/null
[ -z "$(parts)" ] || fail "a part file remains after Cancel: $(parts)"
kept=$(ls "$work/out" | wc -l)
[ "$kept" -lt 4 ] || fail "after Cancel the folder holds: $(ls -A "$work/out" | tr '\n' ' ')"
[ "$(ls "$work/out" | tr '\n' ' ')" = "$(seq -f 'PART-%g.wav' "$kept" | tr '\n' ' ')" ] ||
  fail "after Cancel the folder holds: $(ls -A "$work/out" | tr '\n' ' ')"
expected=$(((data / 4) / 4 * 4 + 44))
[ "$kept" -eq 0 ] || [ "$(stat -c %s "$work/out/PART-1.wav")" -eq "$expected" ] || fail "fragment 1 is not whole"
keys Return
kill -0 "$app_pid" 2>/dev/null || fail "the program ended after Cancel"
cmp -n 44 "$source" "$work/header" || fail "the source's header was changed"
[ "$(stat -c %s "$source")" -eq "$size" ] || fail "the source's size was changed"

# File > Exit ends the program.
xdotool windowfocus --sync "$main"
keys alt+f x
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program is still running after Exit"
echo "stopped mid-write: SIGTERM left no file, Cancel kept $kept whole fragment(s) and nothing after them"
