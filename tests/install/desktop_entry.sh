#!/bin/sh
# The menu entry and the AppStream description pass the desktop's validators, and the entry
# names only file types that the MIME package defines.
set -eu
prefix=$1
desktop=$prefix/share/applications/splitwick.desktop

desktop-file-validate "$desktop"
appstreamcli validate --no-net --pedantic "$prefix"/share/metainfo/com.corvellan.splitwick.metainfo.xml
# The tree: the metainfo's launchable is the installed entry, whose icon is installed.
appstreamcli validate-tree --no-net --pedantic "$(dirname "$prefix")"

types=$(sed -n 's/^MimeType=//p' "$desktop" | tr ';' ' ')
[ -n "$types" ] || { echo "$desktop names no MIME type"; exit 1; }
for type in $types; do
    grep -q "<mime-type type=\"$type\">" "$prefix"/share/mime/packages/splitwick.xml ||
        { echo "$desktop names $type, which splitwick.xml does not define"; exit 1; }
done
