#!/usr/bin/env bash
# Set-up, Release build of the benchmarks, and a run of every one of them (or of those named).
#   scripts/bench.sh                 all benchmark programs
#   scripts/bench.sh Compare Bets    bench_CompareBench and bench_BetsBench only
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD=${KORVANE_BENCH_BUILD:-build/bench}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVANE_TESTS=OFF -DKORVANE_GUI=OFF -DKORVANE_BENCH=ON >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
programs=()
if (($#)); then
  for n in "$@"; do programs+=("$BUILD/bench/bench_${n}Bench"); done
else
  programs=("$BUILD"/bench/bench_*)
fi
for p in "${programs[@]}"; do
  [ -x "$p" ] || { echo "no benchmark $p" >&2; exit 2; }
  echo "== $(basename "$p")"
  "$p" --benchmark_counters_tabular=true
done
