#!/usr/bin/env bash
# Builds the program and runs it on the example project into out/.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh

cmake --preset release -DSVGGENERATOR_TESTS=OFF >/dev/null
cmake --build --preset release -j "$(nproc 2>/dev/null || echo 2)" --target svggenerator
build/svggenerator -j examples/midi_controller.json -o out -m 3 -b 50 \
    --recess -n 2 -p 3 -d 6 -x 1 --keep-files "$@"
