#!/bin/sh
# make run builds exactly the programs that scripts/run-sample starts (the tests only with
# make test), and everything it makes stays in sample/: the disc, the outputs and the window's
# settings for the sample, so a fresh checkout stays clean and the user's settings untouched.
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

# The build make run asks for, from make's dry run: one, of named targets.
builds=$(make -n -s -C "$source" run BUILD="$work/none" | grep -- ' --build ')
[ "$(printf '%s\n' "$builds" | wc -l)" -eq 1 ] || fail "make run builds more than once: $builds"
built=$(printf '%s\n' "$builds" | sed -n 's/.* --target //p' | tr ' ' '\n' | sort -u)
started=$(cat "$source/scripts/run-sample" "$source/scripts/make-sample-disc" |
    grep -o '"$build/[^"]*"' | sed 's|.*/||; s|"||' | sort -u)
[ "$built" = "$started" ] || fail "make run builds [$built], run-sample starts [$started]"

# A build folder with the real tools, and a window that records how it was started and saves
# a setting of its own, as closing it does.
build=$work/build
mkdir -p "$build/tools/xpl" "$build/src/cli" "$build/src/ui"
ln -s "$make_evo" "$build/tools/splitwick-make-evo"
ln -s "$make_xpl" "$build/tools/xpl/splitwick-make-xpl"
ln -s "$cli" "$build/src/cli/splitwick-cli"
cat >"$build/src/ui/splitwick" <<'WINDOW'
#!/bin/sh
echo "$XDG_CONFIG_HOME $*" >>"$STARTS"
echo "WindowState=int:2" >>"$XDG_CONFIG_HOME/Corvellan/Splitwick.conf"
WINDOW
chmod +x "$build/src/ui/splitwick"

checkout=$work/checkout
mkdir -p "$checkout" "$work/home/.config"
cd "$checkout" || exit 1
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" STARTS="$work/starts"
for run in 1 2; do
    DISPLAY=:99 "$source/scripts/run-sample" "$build" >/dev/null || fail "window run $run failed"
done
here=$(pwd -P)
expected="$here/sample/config sample/HVDVD_TS/FEATURE_1.EVO"
[ "$(cat "$STARTS")" = "$(printf '%s\n%s' "$expected" "$expected")" ] ||
    fail "window started as [$(cat "$STARTS")], expected twice [$expected]"
settings=$(cat sample/config/Corvellan/Splitwick.conf)
expected=$(printf '%s\n' "Workdir=string:$here/sample/out/" "EVOdir=string:$here/sample/HVDVD_TS/" \
    "XPLdir=string:$here/sample/ADV_OBJ/" "WindowState=int:2" "WindowState=int:2")
[ "$settings" = "$expected" ] || fail "sample settings [$settings], expected [$expected]"
[ -z "$(ls -A "$HOME/.config")" ] || fail "the user's settings were touched: $(ls -A "$HOME/.config")"

unset DISPLAY WAYLAND_DISPLAY
printed=$("$source/scripts/run-sample" "$build") || fail "command-line run failed"
[ -s sample/out/FEATURE_1.mkv ] || fail "no .mkv of the title in sample/out: $(ls sample/out)"
[ "$(ls sample/out)" = FEATURE_1.mkv ] || fail "more than the .mkv in sample/out: $(ls sample/out)"
[ "$(printf '%s\n' "$printed" | tail -1)" = "The sample's film: $here/sample/out/FEATURE_1.mkv" ] ||
    fail "the last line does not say where the .mkv is: $(printf '%s\n' "$printed" | tail -1)"
# A disc older than the script that makes it (one of random payloads, say) is made anew.
touch -d 2000-01-01 sample/ADV_OBJ/VPLST000.XPL
"$source/scripts/run-sample" "$build" >/dev/null || fail "command-line run on an old disc failed"
[ -n "$(find sample/ADV_OBJ/VPLST000.XPL -newer "$source/scripts/make-sample-disc")" ] ||
    fail "an old sample disc was kept"
[ "$(ls -A)" = sample ] || fail "make run left [$(ls -A | paste -sd' ')] in the checkout"
exit $failed
