# Shared by the end-to-end scripts: sourced after `set -euo pipefail`.
# Skips (77) without Xvfb or xdotool; makes the work folder $work, removed
# on exit with every process in $pids; starts a virtual X display for the
# program, with its home and settings inside $work.

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Says what failed and what the program printed; a script may define
# on_fail to show more.
fail() {
  echo "FAIL: $*" >&2
  sed "s/^/  program: /" "$work/app.log" >&2 2>/dev/null || true
  if declare -F on_fail >/dev/null; then on_fail; fi
  exit 1
}

# Waits up to 20 s for a window whose title matches; prints its id.
window() {
  for _ in $(seq 100); do
    local id
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.2
  done
  fail "no window titled '$1' (open: $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' '|'))"
}

# Keys, each followed by a pause: a mnemonic clicks its button only after a
# short animation, and a person is slower than that anyway.
keys() {
  for k in "$@"; do xdotool key "$k"; sleep 0.25; done
}

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "skipped: Xvfb did not start"; exit 77; }
export DISPLAY=":$(cat "$work/display")"
# The number is written before the server takes connections: wait for it.
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb
mkdir -m 700 "$work/run"
