#!/usr/bin/env bash
# Set-up, sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer) and the whole test suite,
# then every fuzz target for a fixed number of inputs (scripts/fuzz.sh, a clang build of its own),
# then the tests of the runs that read files on a second thread and of the batch writes that write
# on two under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD=${KORVANE_TEST_BUILD:-build/test}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVANE_SANITIZE=ON -DKORVANE_TESTS=ON >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
(cd "$BUILD" && ctest --output-on-failure -j"$(nproc)" --timeout 600)
scripts/fuzz.sh
TSAN=${KORVANE_TSAN_BUILD:-build/tsan}
cmake -S . -B "$TSAN" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_GUI=OFF -DKORVANE_TESTS=ON \
  -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread >/dev/null
threaded=(test_compare test_rank test_dayload test_app)
cmake --build "$TSAN" -j"$(nproc)" --target "${threaded[@]}"
for t in "${threaded[@]}"; do
  echo "ThreadSanitizer: $t"
  TSAN_OPTIONS=halt_on_error=1 "$TSAN/tests/$t" --gtest_brief=1
done
