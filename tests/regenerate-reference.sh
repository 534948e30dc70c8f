#!/usr/bin/env bash
# Rewrites the reference drawings from the example project. Run it only after
# a deliberate change to the output, and review the diff before committing:
#   cmake --build build && tests/regenerate-reference.sh
set -euo pipefail
cd "$(dirname "$0")/.."
binary=${1:-build/svggenerator}
settings=(-j examples/midi_controller.json -m 3 -b 50 --recess -n 2 -p 3 -d 6 -x 1 --vectorize=false)

for mode in normal separate; do
    rm -rf "tests/reference/$mode"
    extra=()
    [ "$mode" = separate ] && extra=(--separate-files)
    "$binary" "${settings[@]}" "${extra[@]}" -o "tests/reference/$mode" >/dev/null
    mv "tests/reference/$mode/midi_controller"/*.svg "tests/reference/$mode/"
    rmdir "tests/reference/$mode/midi_controller"
done
