#!/bin/sh
# The sample disc that make run makes ends in a .mkv that plays: the title's H.264 picture with
# all its frames, its three audio tracks and its subtitle track, with their languages; ffmpeg
# decodes it without an error; it lasts as long as the playlist says, within a frame, and its
# chapters begin where the playlist's do.
set -u
source=$1
make_evo=$2 make_xpl=$3 cli=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
    echo "$*"
    failed=1
}

build=$work/build
mkdir -p "$build/tools/xpl"
ln -s "$make_evo" "$build/tools/splitwick-make-evo"
ln -s "$make_xpl" "$build/tools/xpl/splitwick-make-xpl"
"$source/scripts/make-sample-disc" "$build" "$work/disc" || exit 1
mkdir "$work/out"
"$cli" mkv "$work/disc" --title 1 --out "$work/out" >/dev/null || exit 1
mkv=$work/out/FEATURE_1.mkv
[ -s "$mkv" ] || { echo "no FEATURE_1.mkv: $(ls "$work/out")"; exit 1; }

# Playlist times, "HH:MM:SS:FF" on a 60fps timeline, in seconds; one frame is 1001/24000 s.
xpl=$work/disc/ADV_OBJ/VPLST000.XPL
seconds() { awk -F: '{ printf "%.6f\n", ((($1 * 60 + $2) * 60 + $3) * 60 + $4) * 1001 / 60000 }'; }
duration=$(grep -o 'titleDuration="[^"]*"' "$xpl" | cut -d'"' -f2 | seconds)
chapters=$(grep '<Chapter ' "$xpl" | grep -o 'titleTimeBegin="[^"]*"' | cut -d'"' -f2 | seconds)
near() { awk -v a="$1" -v b="$2" -v within="$3" 'BEGIN { d = a - b; exit !(d <= within && -d <= within) }'; }
frame=0.041708

tracks=$(ffprobe -v error -show_entries stream=codec_type,codec_name:stream_tags=language \
    -of csv=p=0 "$mkv")
expected=$(printf '%s\n' h264,video ac3,audio,eng eac3,audio,fre dts,audio,eng \
    hdmv_pgs_subtitle,subtitle,eng)
[ "$tracks" = "$expected" ] || fail "tracks [$tracks], expected [$expected]"

frames=$(ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames \
    -of csv=p=0 "$mkv")
wanted=$(awk -v d="$duration" 'BEGIN { printf "%.0f", d * 24000 / 1001 }')
[ "$frames" = "$wanted" ] || fail "$frames video frames, the playlist's $duration s hold $wanted"
subtitles=$(ffprobe -v error -count_packets -select_streams s -show_entries stream=nb_read_packets \
    -of csv=p=0 "$mkv")
[ "${subtitles:-0}" -gt 0 ] || fail "no subtitle packets"

errors=$(ffmpeg -nostdin -v error -i "$mkv" -map 0:v -map 0:a -f null - 2>&1 &&
    ffprobe -v error -select_streams s -show_frames "$mkv" 2>&1 >/dev/null)
[ -z "$errors" ] || fail "ffmpeg decodes it with errors: $errors"

# Each subtitle lies in the file among the pictures of its time, as players read it: no picture
# more than 0.6 s later (the muxer's half second of interleaving and a frame) before it, also
# at the seam of the title's parts.
late=$(ffprobe -v error -show_entries packet=codec_type,pts_time,dts_time,pos -of csv=p=0 "$mkv" |
    sort -t, -k4 -n | awk -F, '$1 == "video" { t = $3 == "N/A" ? $2 : $3; if (t > seen) seen = t }
        $1 == "subtitle" && seen > $2 + 0.6 { printf "%s s after pictures of %s s; ", $2, seen }')
[ -z "$late" ] || fail "subtitles stored late: $late"

lasts=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$mkv")
near "$lasts" "$duration" $frame || fail "it lasts $lasts s, the playlist $duration s"
for track in $(ffprobe -v error -select_streams a -show_entries stream_tags=DURATION -of csv=p=0 "$mkv" |
    awk -F: '{ print $1 * 3600 + $2 * 60 + $3 }'); do
    near "$track" "$duration" $frame || fail "an audio track lasts $track s, the playlist $duration s"
done

ffprobe -v error -show_entries chapter=start_time -of csv=p=0 "$mkv" >"$work/starts"
printf '%s\n' "$chapters" >"$work/chapters"
[ "$(wc -l <"$work/starts")" -eq "$(wc -l <"$work/chapters")" ] ||
    fail "chapters at [$(cat "$work/starts")], the playlist's at [$chapters]"
paste -d' ' "$work/chapters" "$work/starts" | while read -r want got; do
    near "$got" "$want" 0.001 || echo "a chapter at $got s, the playlist's at $want s"
done >"$work/late"
[ -s "$work/late" ] && fail "$(cat "$work/late")"
exit $failed
