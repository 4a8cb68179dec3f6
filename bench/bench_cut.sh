#!/usr/bin/env bash
# Throughput and memory of tolvane-cut against a plain copy of the same bytes,
# on the file systems it writes to.
#
#   bash bench/bench_cut.sh [SIZE_MB] [DIR]
#
# Generates a PCM WAV of about SIZE_MB megabytes (default 500) and times on it,
# one after the other: cp, `save` of the whole length, `shred -n 4` and `split`
# at three points (skipped, with a note, by a tolvane-cut without it). Each is
# run twice: with its outputs removed (fresh), then again over the files the
# first run wrote (replacing). Every run starts after `sync`, with the source
# in the page cache. Prints the best time of ROUNDS rounds (default 5), its
# ratio to the fresh copy's, the MB written to the disk while the run lasted
# (the median; a flush the file system forces shows there) and the largest
# peak resident memory. cp is told not to share blocks (--reflink=never): on
# XFS and btrfs it would otherwise write nothing.
#
# Works in a new folder in DIR (default: the temporary folder), removed at the
# end. Measures there, then, as root, on XFS and btrfs, and on ext4 when DIR is
# not on ext4: each a file system in an image file in that folder, mounted
# through a loop device (bench/bench_fs.sh). A file system that cannot be made
# or mounted here is reported and skipped.
# TOLVANE_BUILD names the build tree (default: build), ROUNDS the rounds.
set -euo pipefail
cd "$(dirname "$0")/.."
size_mb=${1:-500}
build=${TOLVANE_BUILD:-build}
rounds=${ROUNDS:-5}
cut=$build/tolvane-cut
[ -x "$cut" ] || { echo "build first: bash scripts/run.sh" >&2; exit 1; }
. bench/bench_fs.sh
parent=${2:-${TMPDIR:-/tmp}}
mkdir -p "$parent"
work=$(mktemp -d "$(cd "$parent" && pwd)/tolvane-bench.XXXXXX")
mounted=()
cleanup() {
    local mnt
    for mnt in "${mounted[@]}"; do fs_unmount "$mnt"; done
    rm -rf "$work"
}
trap cleanup EXIT

# 16-bit stereo 44100 Hz: whole seconds of 176400 bytes.
secs=$(( size_mb * 1000000 / 176400 ))
labels=(copy save shred4)
if "$cut" --help 2>&1 | grep -q 'tolvane-cut split'; then
    labels+=(split3)
else
    echo "note: this tolvane-cut has no split command; split is not measured" | tee -a "$work/report"
fi

now() { date +%s.%N; }

# A virtual machine may hand free memory back to its host, and touching it
# again then costs a fault on the host for every page, which can make a run
# several times slower by chance. Touching a little more than a run fills,
# just before it, keeps that out of the figures, for cp as for tolvane-cut.
touch_memory() { dd if=/dev/zero of=/dev/null bs=$(( size_mb * 6 / 5 ))M count=1 status=none; }

# Sectors written so far to a block device, read from its stat file: what a
# file system flushes while a run lasts shows there.
sectors_written() { awk '{print $7}' "$1" 2> /dev/null || echo 0; }

# Prints the wall time, the peak KiB and the MB written to the disk while one
# run of a label's command lasted.
run_one() { # label, source, output folder, device's stat file
    local t0 t1 s0 s1
    local -a cmd
    case $1 in
        copy) cmd=(cp --reflink=never "$2" "$3/copy.wav") ;;
        save) cmd=("$cut" save "$2" --from 0 --to "$secs" -o "$3/save.wav") ;;
        shred4) cmd=("$cut" shred "$2" -n 4 --base "$3/frag") ;;
        split3) cmd=("$cut" split "$2" --at "$(( secs / 4 )),$(( secs / 2 )),$(( secs * 3 / 4 ))" -o "$3/split") ;;
    esac
    touch_memory
    s0=$(sectors_written "$4")
    t0=$(now)
    if ! /usr/bin/time -f '%M' -o "$work/mem" "${cmd[@]}" > /dev/null 2> "$work/err"; then
        echo "failed: ${cmd[*]}: $(tail -n 2 "$work/err")" >&2
        return 1
    fi
    t1=$(now)
    s1=$(sectors_written "$4")
    echo "$(awk -v a="$t0" -v b="$t1" 'BEGIN{print b-a}') $(tail -n 1 "$work/mem") $(( (s1 - s0) / 2048 ))"
}

least() { printf '%s\n' "$@" | sort -g | head -n 1; }
most() { printf '%s\n' "$@" | sort -g | tail -n 1; }
median() { printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

measure() { # folder, what to call its file system
    local dir=$1 name=$2 src=$1/bench.wav out=$1/out
    local round label pass key r t m w stat dev
    local -A times=() mems=() written=()
    mkdir -p "$dir"
    dev=$(findmnt -n -o SOURCE --target "$dir")
    stat=/sys/class/block/$(basename "$(readlink -f "${dev%%[*}")")/stat
    "$build/make-sample-wav" "$src" "$secs" > /dev/null
    sync
    cat "$src" > /dev/null # every run reads the source from the page cache
    for (( round = 0; round < rounds; round++ )); do
        # Each round starts with another command, so that none always
        # follows the same one and inherits what it left to the system.
        local k=$(( round % ${#labels[@]} ))
        for label in "${labels[@]:k}" "${labels[@]:0:k}"; do
            rm -rf "$out"
            mkdir -p "$out/split"
            for pass in fresh replacing; do
                sync # leave no write-back of one run to the next
                r=$(run_one "$label" "$src" "$out" "$stat") || exit 1
                read -r t m w <<< "$r"
                key=$label/$pass
                times[$key]+=" $t"
                mems[$key]+=" $m"
                written[$key]+=" $w"
            done
        done
    done
    rm -rf "$out" "$src"
    sync
    local copy_time
    copy_time=$(least ${times[copy/fresh]})
    {
        printf '\n%s: %s on %s (%d MB source, %d s of audio)\n' "$name" "$dir" "$dev" "$size_mb" "$secs"
        printf '%-7s %8s %6s %5s %12s %6s %5s %9s\n' run fresh-s ratio MB replacing-s ratio MB peak-KiB
        for label in "${labels[@]}"; do
            printf '%-7s' "$label"
            for pass in fresh replacing; do
                t=$(least ${times[$label/$pass]})
                printf ' %*.3f %6.2f %5d' $([ $pass = fresh ] && echo 8 || echo 12) "$t" \
                    "$(awk -v a="$t" -v b="$copy_time" 'BEGIN{print a/b}')" "$(median ${written[$label/$pass]})"
            done
            printf ' %9s\n' "$(most ${mems[$label/fresh]} ${mems[$label/replacing]})"
        done
    } | tee -a "$work/report"
}

read -r fstype device <<< "$(findmnt -n -o FSTYPE,SOURCE --target "$work")"
echo "kernel $(uname -r), $(nproc) cores; $work is on $fstype ($device)" | tee -a "$work/report"
measure "$work/here" "$fstype"

for kind in ext4 xfs btrfs; do
    [ "$kind" = "$fstype" ] && continue
    mnt=$work/mnt-$kind
    # Room for the source and two runs' outputs.
    if why=$(fs_mount "$kind" "$work/$kind.img" "$mnt" $(( size_mb * 4 + 512 ))); then
        mounted+=("$mnt")
        measure "$mnt" "$kind (image on a loop device)"
        fs_unmount "$mnt"
        mounted=()
        rm -f "$work/$kind.img"
    else
        printf '\n%s: not measured: %s\n' "$kind" "$why" | tee -a "$work/report"
    fi
done

printf '\n== summary\n'
cat "$work/report"
