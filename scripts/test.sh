#!/usr/bin/env bash
# Set-up, sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer) and the whole test suite,
# then every fuzz target for a fixed number of inputs (scripts/fuzz.sh, a clang build of its own).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD=${KORVANE_TEST_BUILD:-build/test}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVANE_SANITIZE=ON -DKORVANE_TESTS=ON >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
(cd "$BUILD" && ctest --output-on-failure -j"$(nproc)" --timeout 600)
scripts/fuzz.sh
