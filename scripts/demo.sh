#!/usr/bin/env bash
# Set-up, Release build and the workbench on the bundled demo world.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD=${KORVANE_RELEASE_BUILD:-build/release}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVANE_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
exec "$BUILD/src/gui/korvane2" --demo "$@"
