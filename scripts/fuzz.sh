#!/usr/bin/env bash
# Builds the libFuzzer targets in build-fuzz (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each of them for a while.
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
#
# SECONDS per target, 20 by default; TARGET is fuzz_wav, fuzz_mp3, fuzz_cut,
# fuzz_cue, fuzz_plan or fuzz_silence, all six by default. Each run starts from a scratch copy of
# fuzz/corpus/TARGET and fuzz/regressions/TARGET, so the committed corpus never
# grows. Inputs may reach 32 KiB, past the 10000-byte copy blocks. An input
# that crashes, runs over 5 seconds or allocates more than 64 MB at once stops
# its run and is saved in the scratch folder named at the end; keep it in
# fuzz/regressions/TARGET. Exits 1 when any target failed.
#
# Needs clang and libclang-rt-14-dev, which scripts/install-deps.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
  echo "usage: bash scripts/fuzz.sh [SECONDS] [fuzz_wav|fuzz_mp3|fuzz_cut|fuzz_cue|fuzz_plan|fuzz_silence ...]" >&2
  exit 2
fi
shift $(( $# > 0 ? 1 : 0 ))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_wav fuzz_mp3 fuzz_cut fuzz_cue fuzz_plan fuzz_silence)
for t in "${targets[@]}"; do
  case $t in
    fuzz_wav | fuzz_mp3 | fuzz_cut | fuzz_cue | fuzz_plan | fuzz_silence) ;;
    *) echo "fuzz.sh: unknown target $t" >&2; exit 2 ;;
  esac
done

if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ is missing; run scripts/install-deps.sh as root" >&2
  exit 1
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOLVANE_FUZZ=ON -DTOLVANE_BUILD_GUI=OFF -DTOLVANE_BUILD_TESTS=OFF -DTOLVANE_WERROR=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-fuzz-run.XXXXXX")
failed=()
summary=()
for t in "${targets[@]}"; do
  corpus=$scratch/$t/corpus
  artifacts=$scratch/$t/artifacts
  mkdir -p "$corpus" "$artifacts"
  cp fuzz/corpus/"$t"/* "$corpus"/
  if [ -d fuzz/regressions/"$t" ] && [ -n "$(ls -A fuzz/regressions/"$t")" ]; then
    cp fuzz/regressions/"$t"/* "$corpus"/
  fi
  log=$scratch/$t/log
  echo "== $t: $seconds s"
  status=0
  build-fuzz/fuzz/"$t" "$corpus" -max_total_time="$seconds" -timeout=5 \
    -rss_limit_mb=512 -malloc_limit_mb=64 -max_len=32768 -print_final_stats=1 \
    -artifact_prefix="$artifacts"/ >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ "$status" -ne 0 ]; then
    failed+=("$t")
    tail -n 60 "$log"
    summary+=("$t: FAILED (exit $status) after ${runs:-?} inputs; artifacts in $artifacts")
  else
    summary+=("$t: ${runs:-?} inputs, no failure")
  fi
done

echo "== summary"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz.sh: failed: ${failed[*]} (logs and inputs in $scratch)" >&2
  exit 1
fi
rm -rf "$scratch"
