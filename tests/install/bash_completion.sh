#!/bin/bash
# The installed completion of splitwick-cli, driven as bash drives it on a Tab.
set -u
prefix=$1
source /usr/share/bash-completion/bash_completion
source "$prefix/share/bash-completion/completions/splitwick-cli"
PATH=$prefix/bin:$PATH
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# The words offered for the command line given, the last word being the one completed.
offered() {
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _splitwick_cli splitwick-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort
}

expect() {
    local name=$1 expected=$2 found=$3
    if [ "$found" != "$expected" ]; then
        echo "$name: offered [$found], expected [$expected]"
        failed=1
    fi
}

expect commands "$(printf '%s\n' demux mkv read rebuild titles xpl)" "$(offered splitwick-cli '')"
expect "commands from r" "$(printf '%s\n' read rebuild)" "$(offered splitwick-cli r)"
for command in read demux rebuild mkv xpl titles; do
    options=$(splitwick-cli "$command" --help | grep -o -- '--[a-z][a-z-]*' | LC_ALL=C sort -u)
    expect "options of $command" "$options" "$(offered splitwick-cli "$command" x --)"
done
expect "second name of --streams" "$(printf 'video0,sub%s\n' 00 01 02 03 04 05 06 07 08 09 10 \
    11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31)" \
    "$(offered splitwick-cli demux x --streams video0,s)"

cd "$work" && touch a.EVO b.evo VPLST000.XPL notes.txt && mkdir -p disc/ADV_OBJ disc/HVDVD_TS &&
    touch disc/ADV_OBJ/VPLST000.XPL disc/ADV_OBJ/vplst002.xpl disc/ADV_OBJ/VPLST000.BAK
expect "files for read" "$(printf '%s\n' a.EVO b.evo disc)" "$(offered splitwick-cli read '')"
expect "files for xpl" "$(printf '%s\n' VPLST000.XPL disc)" "$(offered splitwick-cli xpl '')"
expect "disc or playlist for titles" "$(printf '%s\n' VPLST000.XPL disc)" \
    "$(offered splitwick-cli titles '')"
expect "folders for --out" disc "$(offered splitwick-cli demux a.EVO --out '')"

# --playlist takes a name in the disc's ADV_OBJ folder, however the disc is named.
for disc in disc disc/ disc/ADV_OBJ disc/HVDVD_TS disc/ADV_OBJ/VPLST000.XPL; do
    expect "--playlist of $disc" "$(printf '%s\n' VPLST000.XPL vplst002.xpl)" \
        "$(offered splitwick-cli mkv --out disc "$disc" --playlist '')"
done

# Every value offered is one the program takes: given it for a missing file, the program fails
# for the file (exit 1), not for the value (exit 2). Each row: a command and an option.
while read -r command option; do
    values=$(offered splitwick-cli "$command" disc "$option" '')
    [ -n "$values" ] || { echo "$command $option: nothing offered"; failed=1; }
    for value in $values; do
        splitwick-cli "$command" "$work/none.EVO" "$option" "$value" >/dev/null 2>&1
        status=$?
        [ $status -eq 1 ] || { echo "$command $option $value: exit $status"; failed=1; }
    done
done <<'ROWS'
demux --streams
rebuild --streams
mkv --streams
demux --lpcm
demux --sub
demux --playlist
mkv --playlist
ROWS
exit $failed
