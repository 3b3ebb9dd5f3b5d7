#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer + ASan + UBSan) in build/fuzz, writes their seed
# inputs from a small simulated world and runs every target.
#
#   scripts/fuzz.sh            each target for a fixed number of inputs (what CI runs)
#   scripts/fuzz.sh SECONDS    each target for SECONDS seconds, by hand; the corpus grows in
#                              build/fuzz/corpus/<target> and is reused by the next run
#
# A crash, a memory error or a failed check stops the script with the failing input saved as
# build/fuzz/crash-<target>-*; replay it with build/fuzz/fuzz/<target> <that file>.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${KORVANE_FUZZ_BUILD:-build/fuzz}
SECONDS_EACH=${1:-}
# Inputs per target in the fixed run: about ten seconds each on an idle two-core machine (the
# day targets load a whole race day per input). KORVANE_FUZZ_RUNS overrides them all.
declare -A RUNS_OF=([cp932]=30000 [record_file]=5000 [settings]=2000 [candidate_sets]=1500
                    [payout_odds]=1500 [past_run]=2000 [day_store]=200 [day_files]=100)
CXX_CLANG=$(command -v clang++ || command -v clang++-14)

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER="$CXX_CLANG" \
  -DKORVANE_FUZZ=ON "${launcher[@]}" >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target fuzz_all

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

SEEDS="$BUILD/seeds"
[ -d "$SEEDS" ] || "$BUILD/fuzz/fuzz_seeds" "$SEEDS"
status=0
for bin in "$BUILD"/fuzz/fuzz_*; do
  target=$(basename "$bin")
  [ "$target" = fuzz_seeds ] && continue
  name=${target#fuzz_}
  corpus="$BUILD/corpus/$name"
  mkdir -p "$corpus"
  limits=(-runs="${KORVANE_FUZZ_RUNS:-${RUNS_OF[$name]:-1000}}" -seed=1)
  [ -n "$SECONDS_EACH" ] && limits=(-max_total_time="$SECONDS_EACH")
  start=$(date +%s)
  if "$bin" "${limits[@]}" -max_len=131072 -timeout=20 -rss_limit_mb=3072 \
       -artifact_prefix="$BUILD/crash-$target-" "$corpus" "$SEEDS/$name" >"$BUILD/$target.log" 2>&1; then
    echo "fuzz: $target ok ($(grep -o 'Done [0-9]* runs' "$BUILD/$target.log" | tail -1), $(( $(date +%s) - start )) s)"
  else
    echo "fuzz: $target FAILED"
    tail -40 "$BUILD/$target.log"
    status=1
  fi
done
exit $status
