#!/usr/bin/env bash
# The comparisons with Inkscape hold on a machine whose bold sans-serif is not
# DejaVu: the user's fontconfig here prefers Liberation Sans, as a desktop's
# Noto or Liberation would, and the builtin converter's tests still pass.
#
#   font_preference_test.sh TEST_BINARY
set -euo pipefail
tests=$1
home=$(mktemp -d "${TMPDIR:-/tmp}/svggenerator-fonts.XXXXXX")
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/fontconfig"
cat >"$home/fontconfig/fonts.conf" <<'CONF'
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <alias binding="strong">
    <family>sans-serif</family>
    <prefer><family>Liberation Sans</family></prefer>
  </alias>
</fontconfig>
CONF
export XDG_CONFIG_HOME=$home XDG_CACHE_HOME=$home/cache
unset FONTCONFIG_FILE
preferred=$(fc-match sans-serif:bold family)
if [ "$preferred" != "Liberation Sans" ]; then
    echo "the machine's preference did not take: sans-serif:bold is $preferred" >&2
    exit 1
fi
echo "sans-serif:bold here: $preferred"
"$tests" --gtest_filter='BuiltinVectorizer.*:SvgConversion.*'
