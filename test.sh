#!/usr/bin/env bash
# Builds and runs the whole test suite: once on the release build, once with
# AddressSanitizer and UndefinedBehaviorSanitizer; then replays the fuzzing
# corpora and fuzzes each target briefly (fuzz/run.sh); then runs the tests
# of the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh --tests

jobs=$(nproc 2>/dev/null || echo 2)
for preset in release asan; do
    echo "=== $preset ==="
    cmake --preset "$preset" -DSVGGENERATOR_TESTS=ON >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
done

fuzz/run.sh

echo "=== windows (under Wine) ==="
cmake --preset windows -DSVGGENERATOR_TESTS=ON >/dev/null
cmake --build --preset windows -j "$jobs"
# The build folder's own Wine prefix; its first start sets it up.
start=$(date +%s)
cmake/wine-run.sh "$PWD/build-windows/wineprefix" cmd /c exit 0
echo "Wine prefix ready in $(($(date +%s) - start)) s"
# A test whose Wine process fails to start gets one more run: Wine under load
# now and then ends a program before it runs (no output, status 1), which
# says nothing about the program.
ctest --preset windows -j "$jobs" --repeat until-pass:2
