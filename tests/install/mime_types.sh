#!/bin/sh
# A file manager learns the file types from the installed MIME package: a made EVO, its copy
# named in lower case, and a disc's playlist get theirs, while a program stream ffmpeg made
# keeps video/mpeg. Run in a data folder of its own, as a user's ~/.local/share.
set -eu
prefix=$1 make_evo=$2 make_xpl=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

export XDG_DATA_HOME="$work/data" XDG_DATA_DIRS=/usr/share
# xdg-mime asks the desktop it finds; without one it asks the shared MIME database itself.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
mkdir -p "$XDG_DATA_HOME/mime/packages"
cp "$prefix/share/mime/packages/splitwick.xml" "$XDG_DATA_HOME/mime/packages/"
warnings=$(update-mime-database "$XDG_DATA_HOME/mime" 2>&1)
[ -z "$warnings" ] || { echo "update-mime-database: $warnings"; exit 1; }

"$make_evo" --out "$work/HVDVD_TS/FEATURE_1.EVO" --size 1M >/dev/null
cp "$work/HVDVD_TS/FEATURE_1.EVO" "$work/feature_1.evo"
mkdir -p "$work/ADV_OBJ"
"$make_xpl" "$work/ADV_OBJ/VPLST000.XPL" FEATURE_1
cp "$work/ADV_OBJ/VPLST000.XPL" "$work/disc.xpl"
ffmpeg -loglevel error -f lavfi -i testsrc=size=64x48:rate=25 -t 1 -c:v mpeg2video -f vob \
    "$work/clip.mpg"

failed=0
expect() {
    found=$(xdg-mime query filetype "$1")
    if [ "$found" != "$2" ]; then
        echo "$1: $found, expected $2"
        failed=1
    fi
}
expect "$work/HVDVD_TS/FEATURE_1.EVO" video/x-hddvd-evo
expect "$work/feature_1.evo" video/x-hddvd-evo
expect "$work/ADV_OBJ/VPLST000.XPL" application/x-hddvd-playlist
expect "$work/disc.xpl" application/x-hddvd-playlist
expect "$work/clip.mpg" video/mpeg
exit $failed
