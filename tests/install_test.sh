#!/usr/bin/env bash
# Installs a build into a fresh prefix and uses what was installed as a maker
# would: the program on an installed example, the man page, the bash
# completion, the schema; then checks the Debian package cpack makes.
#   install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

prefix=$work/prefix
# A build of the program alone (as ./demo.sh makes) has no man page or
# completion yet; the install makes them. Taken away here to stand for one.
rm -f "$build/generated/completions/svggenerator" "$build/generated/svggenerator.1.gz"
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
share=$prefix/share/svggenerator

# The installed program draws the installed example as the reference drawings show it.
(cd "$work" && "$prefix/bin/svggenerator" -j "$share/examples/midi_controller.json" -o out -m 3 -b 50 \
    --recess -n 2 -p 3 -d 6 -x 1 --vectorize=false >/dev/null) || fail "installed program failed"
diff -r "$source_dir/tests/reference/normal" "$work/out/midi_controller" >/dev/null ||
    fail "installed program's drawings differ from tests/reference/normal"

# The example's "$schema" member still points at the schema.
[ -f "$share/examples/$(sed -n 's/.*"\$schema": *"\([^"]*\)".*/\1/p' "$share/examples/midi_controller.json")" ] ||
    fail "the installed example's \$schema does not lead to the installed schema"

# The installed program finds the installed parts library, and the library
# its schema.
listed=$("$prefix/bin/svggenerator" --list-parts)
grep -qxF "  $share/parts.json" <<<"$listed" ||
    fail "the installed program does not find $share/parts.json"
[ -f "$share/schema/parts.schema.json" ] || fail "the parts schema is not installed"

# It finds the installed footprint map: the board example's pots are placed by it.
placed=$(cd "$work" && "$prefix/bin/svggenerator" -j "$share/examples/kicad_panel.json" -o out -m 3 -b 50 --simulate)
grep -qxF "Creating text: Knob 1.00 for pot1" <<<"$placed" ||
    fail "the installed program does not place the board example's pots (footprint_map.json not found?)"

# Every long option of --help is in the man page and in the completion.
options=$("$prefix/bin/svggenerator" --help | grep -oE '^ +(-[A-Za-z0-9], )?--[a-z0-9-]+' | grep -oE -- '--[a-z0-9-]+')
man_text=$(gzip -dc "$prefix/share/man/man1/svggenerator.1.gz" | sed 's/\\-/-/g')
for section in "PROJECT FILE" EXAMPLES "EXIT STATUS"; do
    grep -q "^\.SH \"*$section" <<<"$man_text" || fail "man page lacks the section $section"
done
completion=$prefix/share/bash-completion/completions/svggenerator
complete_words() {  # the completion's offers for a command line whose last word is being typed
    (cd "$work/tree" && bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1));
        _svggenerator; printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$@")
}
mkdir -p "$work/tree/boxes" && touch "$work/tree/box.json"
offered=$(complete_words svggenerator --)
for option in $options; do
    grep -qe "$option" <<<"$man_text" || fail "man page lacks $option"
    grep -qxe "$option" <<<"$offered" || fail "completion lacks $option"
done
[ "$(complete_words svggenerator -o '')" = "boxes" ] || fail "-o does not complete to folders only"
[ "$(complete_words svggenerator -j b | sort | tr '\n' ' ')" = "box.json boxes " ] || fail "-j does not complete files"
[ -z "$(complete_words svggenerator -m '')" ] || fail "-m offers words for a number"
[ "$(complete_words svggenerator --font-file b | sort | tr '\n' ' ')" = "box.json boxes " ] ||
    fail "--font-file does not complete files"
[ "$(complete_words svggenerator --parts b | sort | tr '\n' ' ')" = "box.json boxes " ] ||
    fail "--parts does not complete files"
[ "$(complete_words svggenerator --vectorizer b)" = "builtin" ] || fail "--vectorizer does not offer builtin"

# The Debian package: dependencies from the libraries, Inkscape recommended.
if command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null; then
    (cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null) || fail "cpack failed"
    deb=$(ls "$work"/package/svggenerator_*.deb 2>/dev/null | head -n 1)
    if [ -n "$deb" ]; then
        depends=$(dpkg-deb -f "$deb" Depends)
        grep -q 'libc6 (>=' <<<"$depends" || fail "package Depends lacks libc6 from shlibdeps: $depends"
        grep -q inkscape <<<"$depends" && fail "Inkscape must be recommended, not required"
        [ "$(dpkg-deb -f "$deb" Recommends)" = inkscape ] || fail "package does not recommend inkscape"
        contents=$(dpkg-deb -c "$deb")
        for path in usr/bin/svggenerator usr/share/man/man1/svggenerator.1.gz \
                    usr/share/bash-completion/completions/svggenerator usr/share/doc/svggenerator/copyright \
                    usr/share/doc/svggenerator/docs/parts.md \
                    usr/share/svggenerator/schema/project.schema.json \
                    usr/share/svggenerator/examples/midi_controller.json; do
            grep -q "\./$path\$" <<<"$contents" || fail "package lacks /$path"
        done
    else
        fail "cpack made no .deb"
    fi
else
    fail "dpkg-deb and dpkg-shlibdeps (dpkg-dev) are needed to check the package"
fi

[ $failures -eq 0 ] && echo "install and package checks passed"
exit $((failures > 0))
