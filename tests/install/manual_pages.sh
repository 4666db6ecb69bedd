#!/bin/sh
# Both manual pages render without a warning at 80 columns and hold every option of the
# program's help; the window's page and the README name every box of its Options page.
set -eu
prefix=$1
source=$2
failed=0
for program in splitwick splitwick-cli; do
    page=$prefix/share/man/man1/$program.1.gz
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    if [ -n "$warnings" ]; then
        echo "$page: $warnings"
        failed=1
    fi
    text=$(LC_ALL=C MANWIDTH=80 man -l "$page" 2>/dev/null)
    help_option=--help
    [ "$program" = splitwick-cli ] && help_option=--help-all
    for option in $("$prefix/bin/$program" $help_option | grep -o -- '--[a-z][a-z-]*' | sort -u); do
        printf '%s\n' "$text" | grep -q -- "$option" ||
            { echo "$page lacks $option"; failed=1; }
    done
done

# The boxes as the window lays them out, spaces squeezed (a caption holds two in a row).
boxes=$(sed -n 's/.*\(tickedBox\|new QCheckBox\)("\([^"]*\)".*/\2/p' \
    "$source/src/ui/window_layout.cpp" | tr -s ' ')
[ -n "$boxes" ] || { echo "no box of the Options page found in window_layout.cpp"; failed=1; }
for document in "$prefix/share/man/man1/splitwick.1.gz" "$prefix/share/doc/splitwick/README.md"; do
    # The page's source, whose words no line break or hyphen parts.
    text=$(gzip -dcf "$document" | tr -s ' \n' '  ')
    printf '%s\n' "$boxes" | while IFS= read -r box; do
        printf '%s\n' "$text" | grep -qF -- "$box" || { echo "$document lacks \"$box\""; exit 1; }
    done || failed=1
done
exit $failed
