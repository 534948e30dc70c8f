#!/usr/bin/env bash
# The Windows package: cpack in a Windows build folder makes one zip holding
# the exe, the README, the schema and the examples in one folder.
#   zip_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null)
zip=$(ls "$work"/package/svggenerator-*.zip | head -n 1)
contents=$(cmake -E tar tf "$zip")
failures=0
for path in svggenerator.exe README.md docs/parts.md schema/project.schema.json examples/midi_controller.json parts.json \
    schema/parts.schema.json footprint_map.json; do
    grep -qE "^svggenerator-[^/]+/$path\$" <<<"$contents" || { echo "FAIL: zip lacks $path"; failures=1; }
done
[ $failures -eq 0 ] && echo "zip holds the exe, README, schema and examples"
exit $failures
