#!/usr/bin/env bash
# The 32-bit Windows build under wine. Installs what it needs on a fresh Debian machine (the
# mingw-w64 cross compiler and wine with the i386 architecture), cross-builds the core, the
# command line, the simulator, the Qt-free test programs and the stand-in JV-Link component
# (cmake/mingw-i686.cmake), registers the stand-in with regsvr32 and then checks, under wine:
#   1. the core's test programs;
#   2. jvsim.exe writes the same feed as the Linux jvsim;
#   3. korvane2-cli.exe --jvlink com import --setup reads that feed through COM from the stand-in,
#      then load, analyse and vote run; every file of the program folder and the vote file are
#      byte-identical to the Linux run of the same commands on the same feed (error-log times
#      aside), and so is what the commands print;
#   4. the JV-Link result codes: the stand-in answers each code of the start-up and result
#      message table, and serves a record of the wrong length; the command line prints and logs
#      what the Linux build prints and logs with the replay answering the same; an unregistered
#      component gives the start-up check's message.
# The Linux programs are those of the main test build (KORVANE_TEST_BUILD, default build/test)
# when present, else a build of their own. Set-up, build and run times are printed.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=${KORVANE_WIN_BUILD:-build/windows}
LINUX_BUILD=${KORVANE_TEST_BUILD:-build/test}
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
say() { echo "test-windows: $*"; }
T0=$(date +%s)

# ---- packages ---------------------------------------------------------------------------------
PACKAGES=(cmake ninja-build googletest g++-mingw-w64-i686-posix wine wine32:i386)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  say "installing ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
T1=$(date +%s)

# ---- builds -----------------------------------------------------------------------------------
LAUNCHER=()
command -v ccache >/dev/null && LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
# -O1: the programs run a small world; the compile time is what counts here.
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE=-O1 -DKORVANE_TESTS=ON "${LAUNCHER[@]}" >/dev/null
# Every core test program but the two of the comparison engine (pure arithmetic, the slowest to
# build and run): the end-to-end run below holds its output to the Linux build's byte for byte.
TESTS=()
for d in tests/core/*/; do
  case $(basename "$d") in compare | rank) ;; *) TESTS+=("test_$(basename "$d")") ;; esac
done
cmake --build "$BUILD" -j"$(nproc)" --target korvane2-cli jvsim replay_component "${TESTS[@]}"

LCLI=$LINUX_BUILD/src/cli/korvane2-cli
LSIM=$LINUX_BUILD/src/sim/jvsim
if [ ! -x "$LCLI" ] || [ ! -x "$LSIM" ]; then
  LINUX_BUILD=build/linux-cli
  cmake -S . -B "$LINUX_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVANE_GUI=OFF -DKORVANE_TESTS=OFF \
    "${LAUNCHER[@]}" >/dev/null
  cmake --build "$LINUX_BUILD" -j"$(nproc)" --target korvane2-cli jvsim
  LCLI=$LINUX_BUILD/src/cli/korvane2-cli
  LSIM=$LINUX_BUILD/src/sim/jvsim
fi
LCLI=$ROOT/$LCLI
LSIM=$ROOT/$LSIM
WCLI=$ROOT/$BUILD/src/cli/korvane2-cli.exe
WSIM=$ROOT/$BUILD/src/sim/jvsim.exe
T2=$(date +%s)

# ---- wine -------------------------------------------------------------------------------------
export WINEPREFIX=$ROOT/$BUILD/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export ASAN_OPTIONS=detect_leaks=0
unset DISPLAY WAYLAND_DISPLAY
# Wine runs the 32-bit programs only where the kernel executes 32-bit code. On a system without
# that (a kernel built without IA32 emulation) every wine call fails with "Exec format error":
# the cross-build above is then all that can be checked here, and the script says so.
if ! probe=$(wine --version 2>&1); then
  if grep -q "Exec format error" <<<"$probe"; then
    say "this system does not execute 32-bit programs ($(grep -m1 "Exec format error" <<<"$probe")):"
    say "the Windows build compiled; its checks under wine were SKIPPED"
    say "installs $((T1 - T0)) s, builds $((T2 - T1)) s"
    exit 0
  fi
  say "wine does not start: $probe"
  exit 1
fi
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
wpath() { winepath -w "$1" 2>/dev/null; }
FAILED=0
fail() { say "FAILED: $*"; FAILED=$((FAILED + 1)); }

# 1. The core's test programs. Left out: what holds only on a case-sensitive file system (two
# folders whose names differ in case), POSIX path forms ("/srv/k2"), and tests that build a
# Japanese file name as fs::path(std::string) themselves (the system's code page on Windows).
FILTER=-$(tr -d ' \n' <<'LIST'
ProgramFolders.StartUpCreatesTheDataFoldersAndReusesAnyCaseSpelling:SettingsFile.FileNameIsMatchedWithoutRegardToCase:
ProgramFolders.HomeGivenOrTheExecutablesFolder:StoreTest.DayFolderIsFoundWithoutRegardToCase:
PastRunPath.AnExistingSeiFolderIsUsedWhateverItsCase:PointRateCsv.ExistingFolderOfAnyCase:
PastRunBuilder.OnlyFinalResultsAreWrittenAndBadIdsNeverBecomePaths:FeedImport.RebuiltPastRunTreeEqualsTheImportedOne:
VoteThroughPluginTest.*:Folders.PickerOpensAtTheStoredFolderAndStoresTheChoice
LIST
)
for t in "${TESTS[@]}"; do
  exe=$BUILD/tests/$t.exe
  [ -f "$exe" ] || continue
  if ! out=$(wine "$exe" --gtest_brief=1 --gtest_filter="$FILTER" 2>&1); then
    echo "$out" | tail -40
    fail "$t"
  else
    say "$t: $(echo "$out" | grep -E '^\[  PASSED  \]' | tr -d '\r')"
  fi
done

# 2. + 3. The end-to-end run.
RUN=$ROOT/$BUILD/e2e
rm -rf "$RUN"
mkdir -p "$RUN"
TO=$(date -d "last sunday" +%F)  # a race day inside the set-up import's two years
# Three months of history: enough common opponents for the analysis to mark runners and the
# candidate sets to give bets.
SIMARGS=(--seed 11 --from "$(date -d "$TO -96 days" +%F)" --to "$TO" --odds-from "$(date -d "$TO -1 day" +%F)" --recent-weeks 1)
DAY=$(date -d "$TO" +%Y%m%d)
"$LSIM" --out "$RUN/feed" "${SIMARGS[@]}" >/dev/null
wine "$WSIM" --out "$(wpath "$RUN/feed-win")" "${SIMARGS[@]}" >/dev/null
diff -r -q "$RUN/feed" "$RUN/feed-win" >/dev/null || fail "jvsim.exe wrote another feed than jvsim"

wine regsvr32 /s "$(wpath "$ROOT/$BUILD/tests/windows/ReplayComponent.dll")" || fail "regsvr32 ReplayComponent.dll"
export KORVANE_STANDIN_FEED=

# Runs one command line in $RUN/<side> for both builds: linux|windows ARGS...; output in
# <side>/out/<n>.txt (CR LF made LF: the Windows console's line ends).
n=0
cli() {
  local side=$1; shift
  local dir=$RUN/$side rc=0
  mkdir -p "$dir/out"
  if [ "$side" = linux ]; then
    (cd "$dir" && "$LCLI" --home prog --yes "$@" >"out/$n.txt" 2>"out/$n.err") || rc=$?
  else
    (cd "$dir" && wine "$WCLI" --home prog --yes "$@" >"out/$n.txt" 2>"out/$n.err") || rc=$?
  fi
  sed -i 's/\r$//' "$dir/out/$n.txt" "$dir/out/$n.err"
  echo "rc=$rc" >>"$dir/out/$n.txt"
  if [ -f "$dir/prog/ErrorLog.txt" ]; then cp "$dir/prog/ErrorLog.txt" "$dir/out/$n.log"; fi
  masked "$side" "$dir/out/$n".*
}
# True when run n printed and logged the same on both sides.
same() {
  local f ok=0
  for f in "$RUN/linux/out/$1".* "$RUN/windows/out/$1".*; do
    cmp -s "$RUN/linux/out/${f##*/}" "$RUN/windows/out/${f##*/}" || { diff "$RUN/linux/out/${f##*/}" "$RUN/windows/out/${f##*/}" | head -10; ok=1; }
  done
  return $ok
}
# What differs by nature between two runs: the moment (the import's start message, the error
# log's times), the program folder's own path (the log's start entry) and the separator of the
# paths the commands print (UTF-8 text; the CP932 log is left as it is).
masked() {
  local side=$1; shift
  local prog=$RUN/$side/prog f
  if [ "$side" = windows ]; then prog=$(wpath "$prog"); fi
  perl -pi -e 'BEGIN { $p = shift } s/\Q$p\E/<program folder>/g;
    s#\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}#yyyy/mm/dd hh:nn:ss#g; s#\d{2}:\d{2}:\d{2}#hh:nn:ss#g;
    s#\d{2}時\d{2}分\d{2}秒#hh時nn分ss秒#g' "$prog" "$@"
  if [ "$side" = windows ]; then
    for f in "$@"; do case $f in */out/*.txt | */out/*.err) perl -pi -e 's#\\#/#g' "$f" ;; esac; done
  fi
}
both() { # ARGS... run on both sides (the Windows side imports through COM)
  n=$((n + 1))
  cli linux "$@"
  if [ "$1" = import ]; then
    KORVANE_STANDIN_FEED=$(wpath "$RUN/feed") cli windows --jvlink com "$@"
  else
    cli windows "$@"
  fi
}
for side in linux windows; do
  mkdir -p "$RUN/$side/prog" "$RUN/$side/plugin/kaime"
  printf '[Dir]\r\nTavoroTohyo2=plugin\r\n' >"$RUN/$side/prog/Korvane2.ini"
done
W0=$(date +%s)
n=$((n + 1))
cli linux import --setup --feed ../feed
KORVANE_STANDIN_FEED=$(wpath "$RUN/feed") cli windows --jvlink com import --setup
both load "$DAY"
both analyse "$DAY"
voted=""
for race in 1 11; do
  for type in TAN UMAFUKU; do
    both vote "$DAY" $race --type $type
    if grep -q '^rc=0$' "$RUN/linux/out/$n.txt"; then voted="race $race $type"; break 2; fi
  done
done
[ -n "$voted" ] || fail "no race of the day gave bets to vote"
W1=$(date +%s)
for side in linux windows; do
  if [ -f "$RUN/$side/prog/ErrorLog.txt" ]; then masked $side "$RUN/$side/prog/ErrorLog.txt"; fi
  rm -f "$RUN/$side/prog/SEI/.tempsweep"  # the day of the last temporary-file search: a date
done
if diff -r "$RUN/linux" "$RUN/windows" >"$RUN/diff.txt"; then
  say "end-to-end: $(find "$RUN/linux/prog" -type f | wc -l) files of the program folder, the vote file ($voted) and every command's output identical; wine run $((W1 - W0)) s"
else
  head -40 "$RUN/diff.txt"
  fail "the Windows program folder differs from the Linux one (diff in $RUN/diff.txt)"
fi

# 4. Result codes through COM against the replay. A small feed of one week.
ERR=$ROOT/$BUILD/codes
rm -rf "$ERR"
mkdir -p "$ERR"
ESIM=(--seed 5 --from "$(date -d "$TO -6 days" +%F)" --to "$TO" --recent-weeks 1)
"$LSIM" --out "$ERR/feed" "${ESIM[@]}" >/dev/null
# A record of the wrong length: the first record of the first file loses ten bytes.
first=$(ls "$ERR/feed/RACEDIFN" | head -1)
perl -0777 -pi -e 's/\A([^\r]*?).{10}\r\n/$1\r\n/s' "$ERR/feed/RACEDIFN/$first"
CODES=(
  "JVInit -101" "JVInit -102" "JVInit -103"
  "JVOpen -1" "JVOpen -2" "JVOpen -111" "JVOpen -112" "JVOpen -114" "JVOpen -115" "JVOpen -116" "JVOpen -201"
  "JVOpen -202" "JVOpen -211" "JVOpen -301" "JVOpen -302" "JVOpen -303" "JVOpen -305" "JVOpen -401" "JVOpen -411"
  "JVOpen -412" "JVOpen -413" "JVOpen -421" "JVOpen -431" "JVOpen -501" "JVOpen -504"
  "JVStatus -201" "JVStatus -203" "JVStatus -502"
  "JVRead -201" "JVRead -202" "JVRead -203" "JVRead -402" "JVRead -403" "JVRead -502" "JVRead -503"
  "Version 0480" ""
)
RUN=$ERR
i=0
for code in "${CODES[@]}"; do
  i=$((i + 1))
  rm -rf "$ERR/linux/prog" "$ERR/windows/prog" "$ERR/case"
  cp -r "$ERR/feed" "$ERR/case"
  # A read error after some records, every other error at the first call.
  case "$code" in JVRead*) echo "$code 20" >"$ERR/case/inject.txt" ;; "") ;; *) echo "$code" >"$ERR/case/inject.txt" ;; esac
  n=$i
  cli linux import --setup --feed ../case
  KORVANE_STANDIN_FEED=$(wpath "$ERR/case") cli windows --jvlink com import --setup
  same $n || fail "result code ${code:-none}: output or log differs"
done
# The component not registered: the start-up check's message, as the replay gives it when absent.
n=$((i + 1))
rm -rf "$ERR/linux/prog" "$ERR/windows/prog" "$ERR/case"
cp -r "$ERR/feed" "$ERR/case"
echo "Available 1" >"$ERR/case/inject.txt"
cli linux import --setup --feed ../case
wine regsvr32 /s /u "$(wpath "$ROOT/$BUILD/tests/windows/ReplayComponent.dll")"
cli windows --jvlink com import --setup
wine regsvr32 /s "$(wpath "$ROOT/$BUILD/tests/windows/ReplayComponent.dll")"
same $n || fail "unregistered component: message differs"
grep -q 'rc=1' "$ERR/windows/out/$n.txt" || fail "unregistered component: the import did not fail"
say "result codes: ${#CODES[@]} cases and the unregistered component compared"
T3=$(date +%s)

say "installs $((T1 - T0)) s, builds $((T2 - T1)) s, wine runs $((T3 - T2)) s"
if ((FAILED)); then
  say "$FAILED check(s) failed"
  exit 1
fi
say "all checks passed"
