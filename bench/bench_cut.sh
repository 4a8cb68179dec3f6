#!/usr/bin/env bash
# Throughput and memory of tolvane-cut against a plain copy of the same file.
#
#   bash bench/bench_cut.sh [SIZE_MB] [WORK_DIR]
#
# Generates a PCM WAV of about SIZE_MB megabytes (default 500), then times, one
# after the other on the same file: cp, `save` of the whole length, `shred -n 4`
# and `shred -n 4 --overlap 2`. Prints each wall time, its ratio to the copy and
# the peak resident memory of each tolvane-cut run. Needs a built tree (build/).
set -euo pipefail
cd "$(dirname "$0")/.."
size_mb=${1:-500}
work=${2:-$(mktemp -d)}
cut=./build/tolvane-cut
[ -x "$cut" ] || { echo "build first: bash scripts/run.sh" >&2; exit 1; }
mkdir -p "$work"
src="$work/bench.wav"

# 16-bit stereo 44100 Hz: whole seconds of 176400 bytes.
secs=$(( size_mb * 1000000 / 176400 ))
./build/make-sample-wav "$src" "$secs"
sync
cat "$src" > /dev/null # start every run from a warm page cache

now() { date +%s.%N; }
run_timed() { # label, command...
    local label=$1; shift
    local t0 t1 mem
    t0=$(now)
    /usr/bin/time -f '%M' -o "$work/mem" "$@" > /dev/null 2>&1
    t1=$(now)
    mem=$(cat "$work/mem")
    echo "$label $(awk -v a="$t0" -v b="$t1" 'BEGIN{print b-a}') $mem"
}

# Three rounds, interleaved, keeping each run's best time and largest memory.
declare -A best mem
labels=(copy save shred4 shred4-overlap2)
for round in 1 2 3; do
    for label in "${labels[@]}"; do
        case $label in
            copy) r=$(run_timed copy cp "$src" "$work/copy.wav") ;;
            save) r=$(run_timed save "$cut" save "$src" --from 0 --to "$secs" -o "$work/save.wav") ;;
            shred4) r=$(run_timed shred4 "$cut" shred "$src" -n 4 --base "$work/frag") ;;
            shred4-overlap2) r=$(run_timed shred4-overlap2 "$cut" shred "$src" -n 4 --overlap 2 --base "$work/frag") ;;
        esac
        rm -f "$work/copy.wav" "$work/save.wav" "$work"/FRAG-*.wav
        sync # leave no write-back of one run to the next
        read -r _ t m <<< "$r"
        if [ -z "${best[$label]:-}" ] || awk -v a="$t" -v b="${best[$label]}" 'BEGIN{exit !(a<b)}'; then
            best[$label]=$t
        fi
        if [ -z "${mem[$label]:-}" ] || [ "$m" -gt "${mem[$label]}" ]; then mem[$label]=$m; fi
    done
done

printf 'file: %s (%d MB, %d s of audio)\n' "$src" "$(( $(stat -c %s "$src") / 1000000 ))" "$secs"
copy_time=${best[copy]}
printf '%-18s %10s %8s %12s\n' run seconds ratio peak-KiB
for label in "${labels[@]}"; do
    ratio=$(awk -v a="${best[$label]}" -v b="$copy_time" 'BEGIN{print a/b}')
    m=${mem[$label]}
    [ "$label" = copy ] && m="-"
    printf '%-18s %10.3f %8.2f %12s\n' "$label" "${best[$label]}" "$ratio" "$m"
done
rm -f "$src"
