#!/bin/sh
# Installs the build into ROOT/usr (as make install DESTDIR=ROOT PREFIX=/usr does) and checks
# that exactly the expected files arrive: the programs, never a test, tool or benchmark.
set -eu
build=$1 root=$2 expected=$3

rm -rf "$root"
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
installed=$(cd "$root" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
if [ "$installed" != "$(LC_ALL=C sort "$expected")" ]; then
    echo "Installed files differ from $expected (- expected, + installed):"
    printf '%s\n' "$installed" | diff -u "$expected" - | tail -n +3
    exit 1
fi

# Each PNG has the size its folder names.
for png in "$root"/usr/share/icons/hicolor/*x*/apps/splitwick.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    file -b "$png" | grep -q "PNG image data, ${size%x*} x ${size#*x}," ||
        { echo "$png is not $size: $(file -b "$png")"; exit 1; }
done
echo "install tree: $(printf '%s\n' "$installed" | wc -l) files as expected"
