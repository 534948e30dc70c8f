#!/usr/bin/env bash
# Each folder of the program's source includes only itself and the folders
# below it, so that the drawing of a panel never depends on the file work
# built on top of it.
#
#   layering_test.sh SOURCE_DIR
set -euo pipefail
cd "$1"
# Lowest first.
layers=(settings panel parts kicad graphics joints drawing testpiece vector dxf lightburn sheets run studio)
status=0
for ((i = 0; i < ${#layers[@]}; i++)); do
    folder=${layers[i]}
    allowed=" ${layers[*]:0:i+1} "
    while IFS=: read -r file line text; do
        included=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$text")
        if [[ "$allowed" != *" $included "* ]]; then
            echo "$file:$line: $folder/ includes $included/, which is above it" >&2
            status=1
        fi
    done < <(grep -Hn '^#include "[a-z_]*/' "$folder"/*.cpp "$folder"/*.hpp 2>/dev/null || true)
done
# A folder of source that is not in the list has no place yet.
for dir in */; do
    dir=${dir%/}
    if compgen -G "$dir/*.[ch]pp" >/dev/null && [[ " ${layers[*]} tests fuzz bench " != *" $dir "* ]]; then
        echo "$dir/ holds source but has no place among the layers" >&2
        status=1
    fi
done
exit $status
