#!/bin/sh
# Both manual pages render without a warning at 80 columns and hold every option of the
# program's help.
set -eu
prefix=$1
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
exit $failed
