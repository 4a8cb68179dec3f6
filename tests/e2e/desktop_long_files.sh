#!/usr/bin/env bash
# Long files through the windows, with real key presses on a virtual X
# display: a 3-hour MP3 and a 90-minute WAV, each silent for its first half.
# While the MP3 is still being analysed, the File menu's Customize item is
# opened by its key, and the time until its window shows is printed. Exact
# cuts are turned on, "1:23:45.250" and "1:25:00" are typed into the marks'
# fields and saved: the MP3 piece must decode (ffmpeg) to exactly the source's
# samples there, the WAV piece must hold exactly its sample frames' bytes.
# Over the silent half the time line must look clearly lighter than over the
# loud half, and the silent half must be marked as a pause once the analysis
# is done; the times after the program's start at which the MP3's loud half
# and its whole picture showed are printed. Exits 77 (skipped) without a
# virtual display or the encoders.
#
#   desktop_long_files.sh TOLVANE [PICTURE_FOLDER]
set -euo pipefail
app=$(realpath "$1") shots=${2:+$(realpath -m "$2")}
for tool in sox lame ffmpeg pamscale; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
source "$(dirname "$0")/common.sh"

ms() { echo $(($(date +%s%N) / 1000000)); }

# The main window's picture as a PPM file.
grab() {
  xwd -silent -id "$main" | xwdtopnm 2>/dev/null >"$1"
}

# The mean of each row of the picture $1 across a stripe a quarter of its
# width, starting $2 percent into it: of its grey, or of its channel $3 (0
# red, 2 blue).
row_means() {
  local width height
  read -r width height < <(pamfile "$1" | sed -n 's/.*, \([0-9]*\) by \([0-9]*\) .*/\1 \2/p')
  pamcut -left $((width * $2 / 100)) -width $((width / 4)) "$1" |
    if [ -n "${3:-}" ]; then pamchannel -tupletype GRAYSCALE "$3"; else ppmtopgm; fi |
    pamscale -width 1 -height "$height" | pamtopnm -plain | tail -n +4 | tr -s ' \n' '\n' | grep .
}

# How many rows of the picture are much darker (by $2 of 255 grey levels, 60
# unless given) across 60-85% of its width than across 15-40%: the rows where
# the time line's peaks show over the loud second half of the file and a flat
# line over its silent first half.
loud_rows() {
  paste <(row_means "$1" 15) <(row_means "$1" 60) | awk -v least="${2:-60}" '$1 - $2 > least { n++ } END { print n + 0 }'
}

# How many rows of the picture are tinted blue (by 20 levels more blue than
# red) across 15-40% of its width: the rows where the time line marks the
# silent first half as a pause, which it does once the analysis is done.
pause_rows() {
  paste <(row_means "$1" 15 0) <(row_means "$1" 15 2) | awk '$2 - $1 > 20 { n++ } END { print n + 0 }'
}

# Types a time into a mark's field (Alt+M the start, Alt+O the end); Return takes it.
mark() {
  keys "$1" ctrl+a
  xdotool type --delay 30 "$2"
  keys Return
}

# Saves the marked selection through Save As.
save_as() {
  keys alt+a
  window '^Save As$' >/dev/null
  xdotool type --delay 30 "$1"
  keys Return
  window '^Fragment Saved$' >/dev/null
  keys Return
}

# 3 hours of MP3, 44.1 kHz stereo at 128 kbit/s without a LAME tag: 10 s of
# silence encoded once, then 10 s of plucked chords, each repeated 540 times.
sox -n -r 44100 -c 2 -b 16 "$work/quiet.wav" trim 0 10
sox -n -r 44100 -c 2 -b 16 "$work/loud.wav" synth 10 pluck C3 pluck E3 pluck G3 tremolo 3 40
lame --quiet -t -b 128 "$work/quiet.wav" "$work/quiet.mp3"
lame --quiet -t -b 128 "$work/loud.wav" "$work/loud.mp3"
for _ in $(seq 540); do cat "$work/quiet.mp3"; done >"$work/long.mp3"
for _ in $(seq 540); do cat "$work/loud.mp3"; done >>"$work/long.mp3"
# 90 minutes of WAV, 16 kHz mono: 45 of silence, 45 of a tone.
sox -n -r 16000 -c 1 -b 16 "$work/quiet.wav" trim 0 2700
sox -n -r 16000 -c 1 -b 16 "$work/loud.wav" synth 2700 sine 220 vol 0.8
sox "$work/quiet.wav" "$work/loud.wav" "$work/long.wav"
rm "$work"/quiet.* "$work"/loud.*
cp "$work/long.mp3" "$work/long-was.mp3"
cp "$work/long.wav" "$work/long-was.wav"

opened=$(ms)
(cd "$work" && exec "$app" long.mp3) >"$work/app.log" 2>&1 &
pids+=($!)
main=$(window "^Tolvane - $work/long.mp3\$")
# A first picture, as soon as the window shows: the rows a little darker over
# the loud half tell whether the quick pass had drawn the loud half yet.
windowed=$(ms)
grab "$work/first.ppm"
first_ms=$(($(ms) - windowed)) first_rows=$(loud_rows "$work/first.ppm" 8)
xdotool windowfocus --sync "$main"

# Opens File > Customize by its keys; prints the milliseconds from the item's
# key to its window showing.
customize() {
  keys alt+f
  local pressed
  pressed=$(ms)
  xdotool key c
  for _ in $(seq 2000); do
    xdotool search --onlyvisible --name '^Customize overlap...$' >/dev/null 2>&1 && break
  done
  local answered
  answered=$(ms)
  xdotool windowfocus --sync "$(window '^Customize overlap...$')"
  echo $((answered - pressed))
}

# While the analysis runs: Exact cuts on (Alt+X), then OK.
busy=$(customize)
keys alt+x Tab space
xdotool windowfocus --sync "$main"

# The loud half shows once the analysis has reached it.
drawn=""
for _ in $(seq 480); do
  grab "$work/mp3.ppm"
  [ "$(loud_rows "$work/mp3.ppm")" -ge 8 ] && { drawn=$(ms); break; }
  sleep 0.25
done
[ -n "$drawn" ] || fail "the MP3's loud half never showed in the time line"
whole=""
for _ in $(seq 480); do
  [ "$(pause_rows "$work/mp3.ppm")" -ge 8 ] && { whole=$(ms); break; }
  sleep 0.25
  grab "$work/mp3.ppm"
done
[ -n "$whole" ] || fail "the MP3's silent half was never marked as a pause"

mark alt+m "1:23:45.250"
mark alt+o "1:25:00"
save_as "$work/piece.mp3"
xdotool windowfocus --sync "$main"
# By now the analysis is done: the same key once more.
idle=$(customize)
# Exact cuts off and on again, then OK: the dialog swallows Escape.
keys alt+x alt+x Tab space
# Without a LAME tag a gapless decoder leaves out the 576 samples an encoder
# puts first and its own 529: sample s of the time line is decoded sample
# s + 1105. 1:23:45.250 is sample 221613525, 1:25:00 sample 224910000.
from=221613525 to=224910000
ffmpeg -v error -i "$work/piece.mp3" -f s16le - >"$work/piece.raw"
[ "$(stat -c %s "$work/piece.raw")" = $(((to - from) * 4)) ] ||
  fail "the MP3 piece decodes to $(stat -c %s "$work/piece.raw") bytes, not $(((to - from) * 4))"
# The decoder and tail stop early once head has its bytes: only head's status counts.
(set +o pipefail
  ffmpeg -v error -i "$work/long.mp3" -f s16le - 2>/dev/null | tail -c +$(((from + 1105) * 4 + 1)) |
    head -c $(((to - from) * 4)) >"$work/source.raw")
cmp "$work/source.raw" "$work/piece.raw" ||
  fail "the MP3 piece does not decode to the source's samples 1:23:45.250 to 1:25:00"

# File > Open the WAV, after saying Yes to opening another file.
xdotool windowfocus --sync "$main"
keys alt+f o
window '^Comfirm$' >/dev/null
keys Return
window '^Open$' >/dev/null
xdotool type --delay 30 "$work/long.wav"
keys Return
main=$(window "^Tolvane - $work/long.wav\$")
xdotool windowfocus --sync "$main"
shown=""
for _ in $(seq 120); do
  grab "$work/wav.ppm"
  [ "$(loud_rows "$work/wav.ppm")" -ge 8 ] && { shown=yes; break; }
  sleep 0.25
done
[ -n "$shown" ] || fail "over the WAV's silent half the time line looks like over its loud half"
mark alt+m "1:23:45.250"
mark alt+o "1:25:00"
sleep 0.3
if [ -n "$shots" ]; then
  mkdir -p "$shots"
  grab "$work/wav.ppm"
  pnmtopng "$work/wav.ppm" >"$shots/long-wav.png"
fi
save_as "$work/piece.wav"
# 2 bytes a frame at 16 kHz: frames 80404000 to 81600000, behind a 44-byte header.
from=80404000 to=81600000
[ "$(stat -c %s "$work/piece.wav")" = $((44 + (to - from) * 2)) ] ||
  fail "the WAV piece has $(stat -c %s "$work/piece.wav") bytes, not $((44 + (to - from) * 2))"
cmp <(tail -c +45 "$work/piece.wav") <(set +o pipefail; tail -c +$((44 + from * 2 + 1)) "$work/long.wav" | head -c $(((to - from) * 2))) ||
  fail "the WAV piece's audio is not the source's frames $from to $to"
cmp "$work/long.mp3" "$work/long-was.mp3" || fail "the MP3 source was changed"
cmp "$work/long.wav" "$work/long-was.wav" || fail "the WAV source was changed"

keys alt+f x
echo "3-hour MP3: a picture taken within ${first_ms} ms of its window showing had ${first_rows} rows darker over" \
  "the loud half."
echo "3-hour MP3: Customize opened ${busy} ms after its key while the file was analysed, ${idle} ms once it" \
  "was done; its loud half showed $((drawn - opened)) ms and its whole picture, the pause marked," \
  "$((whole - opened)) ms after the program started; 1:23:45.250 to 1:25:00" \
  "decodes to the source's samples. 90-minute WAV: the same stretch holds the source's bytes."
