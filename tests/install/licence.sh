#!/bin/sh
# The licence is said the same everywhere: COPYING is Debian's GPL-3 text, the copyright file is
# machine-readable with every file under GPL-3+, the AppStream description names it, both
# programs' --version say it, and the changelog carries the configured maintainer.
set -eu
source_dir=$1 prefix=$2 maintainer=$3
failed=0
fail() { echo "$*"; failed=1; }

if [ -f /usr/share/common-licenses/GPL-3 ]; then
    cmp -s "$source_dir/COPYING" /usr/share/common-licenses/GPL-3 ||
        fail "COPYING is not /usr/share/common-licenses/GPL-3"
fi
copyright=$prefix/share/doc/splitwick/copyright
head -n 1 "$copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' ||
    fail "$copyright is not in the machine-readable format"
[ "$(grep '^License:' "$copyright" | sort -u)" = "License: GPL-3+" ] ||
    fail "$copyright: $(grep '^License:' "$copyright")"
grep -q '/usr/share/common-licenses/GPL-3' "$copyright" || fail "$copyright does not point at the text"
grep -q '<project_license>GPL-3.0-or-later</project_license>' \
    "$prefix"/share/metainfo/com.corvellan.splitwick.metainfo.xml || fail "metainfo lacks project_license"
for program in splitwick splitwick-cli; do
    "$prefix/bin/$program" --version | grep -q 'GPL-3.0-or-later' || fail "$program --version lacks the licence"
done
gzip -dc "$prefix"/share/doc/splitwick/changelog.gz | grep -qF -- " -- $maintainer  " ||
    fail "the changelog's maintainer is not $maintainer"
case $maintainer in *.example* | *placeholder* | "") fail "maintainer $maintainer is a placeholder" ;; esac
exit $failed
