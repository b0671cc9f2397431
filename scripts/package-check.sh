#!/usr/bin/env bash
# Packs a build folder as a Debian package (cpack -G DEB) and checks the
# package: lintian reports no error, the AppStream metadata and the desktop
# entry validate, the changelog and the metadata name this version, and the
# package's files unpacked into a scratch root run there: obrin-cli
# --version, a decode through the packaged plug-in, obrin --version without
# a display, and an offscreen start of the editor that a second start finds
# running. Prints lintian's and the validator's findings, the package's size
# and its Depends.
# Usage: scripts/package-check.sh [BUILD_DIR]    (default: build)
set -euo pipefail
umask 022
build=$(realpath "${1:-build}")
scratch=$(mktemp -d)
editor_pid=
cleanup() {
    if [ -n "$editor_pid" ]; then kill -KILL "$editor_pid" 2>/dev/null || true; fi
    rm -rf "$scratch"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[ -n "$version" ] || fail "no CPackConfig.cmake in $build (configure it first)"
(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >cpack.log 2>&1) ||
    { cat "$scratch/cpack.log" >&2; fail "cpack"; }
deb=$scratch/out/obrin_${version}_amd64.deb
[ -f "$deb" ] || fail "cpack made no $(basename "$deb")"

echo "== package: $(basename "$deb"), $(stat -c %s "$deb") bytes," \
    "$(dpkg-deb -f "$deb" Installed-Size) KiB installed"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
echo "Recommends: $(dpkg-deb -f "$deb" Recommends)"
case "$(dpkg-deb -f "$deb" Depends)" in
    *libqt6widgets6*libavformat* | *libavformat*libqt6widgets6*) ;;
    *) fail "Depends lacks what the binaries and plug-ins link" ;;
esac

echo "== lintian"
lintian --fail-on error --display-info --tag-display-limit 0 "$deb" ||
    fail "lintian reports errors"

root=$scratch/root
dpkg-deb -x "$deb" "$root"

changelog=$root/usr/share/doc/obrin/changelog.gz
zcat "$changelog" | head -n 1 | grep -q "^obrin ($version) " ||
    fail "the changelog's newest entry is not $version: add one to packaging/changelog"
metainfo=$root/usr/share/metainfo/org.obrin.obrin.metainfo.xml
grep -q "<release version=\"$version\"" "$metainfo" ||
    fail "the metainfo names no release $version: add one to desktop/org.obrin.obrin.metainfo.xml"

echo "== appstreamcli validate"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
desktop-file-validate "$root/usr/share/applications/obrin.desktop" || fail "desktop-file-validate"
grep -qx "Exec=/usr/bin/obrin %f" "$root/usr/share/applications/obrin.desktop" ||
    fail "the desktop entry does not start /usr/bin/obrin"

for program in obrin obrin-cli; do
    [ "$(readlink "$root/usr/bin/$program")" = "../lib/obrin/$program" ] ||
        fail "/usr/bin/$program does not lead to /usr/lib/obrin/$program"
    gzip -t "$root/usr/share/man/man1/$program.1.gz" || fail "no manual page $program(1)"
done
for file in vellin.so wendax.so marlet.so tessary.so filetype.ini help/help.html help/karaoke-tab.png; do
    [ -f "$root/usr/lib/obrin/$file" ] || fail "/usr/lib/obrin/$file missing"
done

echo "== the unpacked root"
# A user's bare environment: no display, folders of its own.
home=$scratch/home
run=$scratch/run
mkdir -p "$home" "$run"
chmod 700 "$run"
bare=(env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$run")

out=$("${bare[@]}" "$root/usr/bin/obrin-cli" --version)
[ "$out" = "obrin-cli $version" ] || fail "obrin-cli --version printed '$out'"
echo "obrin-cli --version: $out"
out=$("${bare[@]}" "$root/usr/bin/obrin" --version)
[ "$out" = "obrin $version" ] || fail "obrin --version printed '$out'"
echo "obrin --version: $out"
"${bare[@]}" "$root/usr/bin/obrin" --help | grep -q "A second start" || fail "obrin --help"

ffmpeg -loglevel error -f lavfi -i sine=frequency=440:duration=1 -c:a libmp3lame "$scratch/song.mp3"
"${bare[@]}" "$root/usr/bin/obrin-cli" decode "$scratch/song.mp3" "$scratch/song.wav" ||
    fail "the packaged obrin-cli cannot decode an MP3 through the packaged wendax"
[ -s "$scratch/song.wav" ] || fail "nothing decoded"
echo "obrin-cli decode: song.mp3 -> $(stat -c %s "$scratch/song.wav") bytes of WAV"

# The editor listens for second starts once its windows are built; it has
# then come up, and a second start hands it a song and ends at once.
"${bare[@]}" QT_QPA_PLATFORM=offscreen "$root/usr/bin/obrin" >"$scratch/editor.log" 2>&1 &
editor_pid=$!
for _ in $(seq 600); do
    [ -S "$run/obrin_socket" ] && break
    kill -0 "$editor_pid" 2>/dev/null || break
    sleep 0.1
done
if ! [ -S "$run/obrin_socket" ]; then
    cat "$scratch/editor.log" >&2
    fail "the packaged obrin did not come up offscreen"
fi
"${bare[@]}" QT_QPA_PLATFORM=offscreen "$root/usr/bin/obrin" "$scratch/song.mp3" ||
    fail "a second start did not end cleanly"
kill -0 "$editor_pid" 2>/dev/null || fail "the editor ended after the second start"
kill -TERM "$editor_pid"
status=0
wait "$editor_pid" || status=$?
editor_pid=
[ "$status" -eq 143 ] || { cat "$scratch/editor.log" >&2; fail "the editor ended with $status, not by SIGTERM"; }
echo "obrin offscreen: came up, took a second start's song, ended on SIGTERM"
echo "package checked: $(basename "$deb")"
