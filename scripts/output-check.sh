#!/usr/bin/env bash
# Same bytes before and after a change: simulates a fixed three-year world, imports it, analyses it
# the three ways the program does (the unprocessed days of a year, a range of days, single days)
# and keeps the program folder and the printed analyses. With --save the result becomes the
# reference; otherwise it is compared byte for byte with the reference and every difference is
# listed (exit 1).
#   scripts/output-check.sh --save REF [BUILD]   make the reference with BUILD (default build/rel)
#   scripts/output-check.sh REF [BUILD]          run again and compare with REF
# BUILD needs the targets korvane2-cli and jvsim. KORVANE_CHECK_WORK names the scratch folder
# (default: a new folder under /tmp); it is left in place for a look after a difference.
set -euo pipefail
cd "$(dirname "$0")/.."
save=0
if [ "${1:-}" = "--save" ]; then save=1; shift; fi
[ $# -ge 1 ] || { sed -n 2,11p "$0" >&2; exit 2; }
ref=$1
build=${2:-build/rel}
cli=$PWD/$build/src/cli/korvane2-cli
sim=$PWD/$build/src/sim/jvsim
[ -x "$cli" ] && [ -x "$sim" ] || { echo "build korvane2-cli and jvsim in $build first" >&2; exit 2; }
work=${KORVANE_CHECK_WORK:-$(mktemp -d /tmp/korvane-output-check.XXXXXX)}
rm -rf "$work"
mkdir -p "$work/out"
prog=$work/prog
k() { "$cli" --home "$prog" --yes "$@"; }

# The world: three years of race days, final odds for the last month.
"$sim" --out "$work/feed" --seed 2024 --from 2023-12-01 --to 2026-11-30 --odds-from 2026-11-01 >/dev/null
k import --setup --from 20231101 --feed "$work/feed" >"$work/out/import.txt" 2>/dev/null
# The unprocessed-days run needs the comparison after a load.
printf '[AllRace]\r\nExecComp=1\r\n' >>"$prog/Korvane2.ini"
k unprocessed 2024 --run >"$work/out/unprocessed-2024.txt" 2>/dev/null
k analyse --from 20250101 --to 20251231 >"$work/out/analyse-2025.txt" 2>/dev/null
# Five single days: two analysed again, three never analysed before.
for d in 20241228 20250105 20260110 20260607 20261129; do
  k analyse "$d" >"$work/out/analyse-$d.txt" 2>/dev/null
done
# Every stored file but the ones that hold the time of the run.
mkdir -p "$work/tree"
(cd "$prog" && find . -type f ! -name ErrorLog.txt ! -name '*.lock' ! -name .tempsweep | LC_ALL=C sort) >"$work/out/files.txt"
(cd "$prog" && tar cf - -T "$work/out/files.txt" --mtime=@0 --owner=0 --group=0 --numeric-owner) | (cd "$work/tree" && tar xf -)

if ((save)); then
  rm -rf "$ref"
  mkdir -p "$ref"
  mv "$work/tree" "$ref/tree"
  mv "$work/out" "$ref/out"
  echo "reference saved in $ref ($(wc -l <"$ref/out/files.txt") files)"
  exit 0
fi
if diff -r -q "$ref/tree" "$work/tree" && diff -r -q "$ref/out" "$work/out"; then
  echo "same bytes: $(wc -l <"$work/out/files.txt") files and the printed analyses (work folder $work)"
else
  echo "DIFFERENT (work folder $work)" >&2
  exit 1
fi
