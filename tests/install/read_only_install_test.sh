#!/usr/bin/env bash
# An installation the user may not write to works end to end: installs the
# build into a scratch prefix, puts installed_road beside the installed
# program, makes the prefix read-only and runs it as a user without write
# access (as root, the unprivileged "nobody" takes the user's place, since
# permissions do not stop root). Offscreen, with a scratch home and no XDG
# variables, so the program chooses ~/.config and ~/.cache of that home:
# start, open an MP3, mark, save the lyrics, export, change an option, close;
# then start again and find the option.
# Usage: read_only_install_test.sh BUILD_DIR INSTALLED_ROAD MP3_FILE
set -euo pipefail
build=$1
road=$2
mp3=$3

scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
chmod 755 "$scratch"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
folder=$(dirname "$(readlink -f "$prefix/bin/obrin")")
cp "$road" "$folder/installed_road"

home=$scratch/home
mkdir -p "$home/music" "$home/runtime"
cp "$mp3" "$home/music/song.mp3"
chmod 700 "$home/runtime"
as_user=()
if [ "$(id -u)" = 0 ]; then
    user=65534 # nobody
    chown -R "$user:$user" "$home"
    as_user=(setpriv --reuid="$user" --regid="$user" --clear-groups --)
fi
chmod -R a-w "$prefix"

run() {
    "${as_user[@]}" env -u XDG_CONFIG_HOME -u XDG_CACHE_HOME -u XDG_STATE_HOME -u XDG_DATA_HOME \
        HOME="$home" XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=offscreen "$@"
}

if run touch "$folder/probe" 2>/dev/null; then
    fail "the user may still write into $folder"
fi
before=$(find "$prefix" -printf '%p %s %T@\n' | sort)

run "$folder/installed_road" first "$home/music/song.mp3" || fail "the first run"
[ -f "$home/.config/obrin/obrin.ini" ] || fail "no obrin.ini in ~/.config/obrin"
[ -d "$home/.cache/obrin" ] || fail "no cache folder"
[ ! -e "$home/.cache/obrin/obrin_temp.wav" ] || fail "the decoded song is left after the close"
[ -f "$home/music/song.txt" ] && [ -f "$home/music/song.snc" ] || fail "lyrics or export missing"

run "$folder/installed_road" second || fail "the second run"
[ "$(find "$prefix" -printf '%p %s %T@\n' | sort)" = "$before" ] || fail "the prefix changed"
echo "ran from the read-only $prefix as user $("${as_user[@]}" id -un)"
