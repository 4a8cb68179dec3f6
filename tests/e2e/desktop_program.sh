#!/usr/bin/env bash
# Drives the built desktop program as a person would, on a virtual X display,
# with real key presses: opens a WAV file through the Open dialog, moves the
# thumb with the arrow keys, marks seconds 2 to 5 with Start and End, saves
# them through the Save dialog, then shreds the file into three through Shred
# Equally and its Estimate window, whose notice names the files written; then
# turns on Exact cuts in Customize, types a selection's start and end to the
# millisecond and saves it, which must hold exactly those sample frames. Every
# file written is checked against tolvane-cut's for the same request. Then it
# starts the program again: from File > Recent Files, with the file as its
# argument (where the last run's window stood), and with a file it refuses.
# --help and --version are run without a display, before anything else.
# Exits 77 (skipped) when there is no virtual display. With a folder for pictures, takes the main window's
# (whole seconds, and exact marks), the Shred Equally dialog's and the Estimate window's there.
#
#   desktop_program.sh TOLVANE TOLVANE_CUT SAMPLE_WAV [PICTURE_FOLDER]
set -euo pipefail
app=$(realpath "$1") cut=$(realpath "$2") sample=$(realpath "$3") shots=${4:+$(realpath -m "$4")}

# --help and --version need no display; an unknown option is a usage error.
help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$app" --help) || { echo "FAIL: --help failed" >&2; exit 1; }
[[ $help == "Usage: tolvane [FILE]"* ]] || { echo "FAIL: --help printed: $help" >&2; exit 1; }
version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$app" --version) || { echo "FAIL: --version failed" >&2; exit 1; }
[ "$version" = "tolvane 0.1.0" ] || { echo "FAIL: --version printed: $version" >&2; exit 1; }
status=0
env -u DISPLAY "$app" --bogus 2>/dev/null || status=$?
[ "$status" = 2 ] || { echo "FAIL: an unknown option ended with $status, not 2" >&2; exit 1; }

source "$(dirname "$0")/common.sh"

# The window's picture, as NAME.png in the picture folder, if one was given.
picture() {
  [ -n "$shots" ] || return 0
  mkdir -p "$shots"
  xwd -silent -id "$1" | xwdtopnm 2>/dev/null | pnmtopng >"$shots/$2.png"
}

# Capitals and a space in the name, as real files have them.
source="$work/Sample Take.WAV"
cp "$sample" "$source"
(cd "$work" && exec "$app") >"$work/app.log" 2>&1 &
app_pid=$!
pids+=($app_pid)

main=$(window '^Tolvane$')
xdotool windowfocus --sync "$main"
keys alt+f o
window '^Open$' >/dev/null
xdotool type --delay 30 "Sample Take.WAV"
keys Return
main=$(window "^Tolvane - $source\$")

# The time line has the focus once the file is open; Home, then two steps
# right: second 2.
xdotool windowfocus --sync "$main"
keys Home Right Right alt+s Right Right Right alt+e
picture "$main" main-window

keys alt+a
window '^Save As$' >/dev/null
xdotool type --delay 30 "$work/piece.wav"
keys Return
window '^Fragment Saved$' >/dev/null
keys Return

"$cut" save "$source" --from 2 --to 5 -o "$work/expected.wav" >/dev/null
cmp "$work/piece.wav" "$work/expected.wav" || fail "the saved piece differs from tolvane-cut's"
cmp "$source" "$sample" || fail "the source was changed"

# File > Shred Equally: a base name, three fragments, the estimate looked at,
# then Shred and the estimate confirmed.
xdotool windowfocus --sync "$main"
keys alt+f e
shred=$(window '^Shred Equally$')
xdotool type --delay 30 "$work/part"
keys Tab Tab Tab ctrl+a 3
picture "$shred" shred-equally
keys alt+e
estimate=$(window '^Estimate$')
sleep 0.3
picture "$estimate" estimate
keys space
xdotool windowfocus --sync "$shred"
keys alt+s
window '^Estimate$' >/dev/null
keys space
window '^Information$' >/dev/null
keys Return
for _ in $(seq 100); do [ -e "$work/PART-3.wav" ] && ! xdotool search --onlyvisible --name '^Shred Equally$' >/dev/null 2>&1 && break; sleep 0.2; done
mkdir "$work/expected"
"$cut" shred "$source" -n 3 --base "$work/expected/part" >/dev/null
for i in 1 2 3; do
  cmp "$work/PART-$i.wav" "$work/expected/PART-$i.wav" || fail "fragment $i differs from tolvane-cut's"
done
[ ! -e "$work/PART-4.wav" ] || fail "a fourth fragment was written"

# File > Customize: Exact cuts on (Alt+X), then OK (the next control). The
# marks' fields show up; the start and end are typed there, each taken by
# Return, and Save writes exactly the sample frames between them.
xdotool windowfocus --sync "$main"
keys alt+f c
window '^Customize overlap...$' >/dev/null
keys alt+x Tab space
xdotool windowfocus --sync "$main"
keys alt+m ctrl+a
xdotool type --delay 30 "0:00:02.250"
keys Return alt+o ctrl+a
xdotool type --delay 30 "0:00:04"
keys Return
sleep 0.3
picture "$main" exact-marks
keys alt+a
window '^Save As$' >/dev/null
xdotool type --delay 30 "$work/exact.wav"
keys Return
window '^Fragment Saved$' >/dev/null
keys Return
# The sample: a 44-byte header, then 4 bytes a frame at 44100 frames a second;
# 2.25 s is frame 99225, 4 s frame 176400.
span=$(((176400 - 99225) * 4))
[ "$(stat -c %s "$work/exact.wav")" = $((44 + span)) ] || fail "the exact piece has $(stat -c %s "$work/exact.wav") bytes, not $((44 + span))"
cmp <(tail -c "$span" "$work/exact.wav") <(tail -c +$((44 + 99225 * 4 + 1)) "$source" | head -c "$span") ||
  fail "the exact piece's audio is not the sample's frames 99225 to 176400"
"$cut" save "$source" --exact --from 0:00:02.250 --to 0:00:04 -o "$work/exact-expected.wav" >/dev/null
cmp "$work/exact.wav" "$work/exact-expected.wav" || fail "the exact piece differs from tolvane-cut's"

# File > Exit ends the program.
xdotool windowfocus --sync "$main"
keys alt+f x
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program is still running after Exit"

# Starts the program with the arguments given and waits for a window titled so.
start() {
  local title=$1
  shift
  (cd "$work" && exec "$app" "$@") >"$work/app.log" 2>&1 &
  app_pid=$!
  pids+=($app_pid)
  main=$(window "$title")
}
quit() {
  xdotool windowfocus --sync "$main"
  keys alt+f x
  for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app_pid" 2>/dev/null && fail "the program is still running after Exit"
  return 0
}

# File > Recent Files > 1 opens the file opened last.
start '^Tolvane$'
xdotool windowfocus --sync "$main"
keys alt+f r 1
window "^Tolvane - $source\$" >/dev/null
xdotool windowmove --sync "$main" 200 150
quit

# The file given as argument is open at start, in the window's last place; a
# file it refuses leaves the empty window after its message.
start "^Tolvane - $source\$" "Sample Take.WAV"
place=$(xdotool getwindowgeometry "$main" | sed -n 's/.*Position: \([0-9]*,[0-9]*\).*/\1/p')
[ "$place" = "200,150" ] || fail "the window came back at $place, not where it was closed (200,150)"
quit
echo "not audio" >"$work/notes.txt"
start '^Error$' notes.txt
keys Return
main=$(window '^Tolvane$')
quit
echo "through the windows: seconds 2 to 5 saved ($(stat -c %s "$work/piece.wav") bytes), three fragments shredded, as tolvane-cut writes them, and 0:02.250 to 0:04 saved to the sample ($(stat -c %s "$work/exact.wav") bytes)"
