#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that the installed
# programs run from there: the links lead to the program folder, where the
# plug-ins, the registry and the help lie, and the desktop entry starts the
# installed editor for the music types the registry opens.
# Usage: install_test.sh BUILD_DIR WAVE_FILE
set -euo pipefail
build=$1
wave=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null

program=$(readlink -f "$prefix/bin/obrin")
folder=$(dirname "$program")
[ -x "$program" ] || fail "bin/obrin does not lead to the program"
[ "$(dirname "$(readlink -f "$prefix/bin/obrin-cli")")" = "$folder" ] || fail "obrin-cli elsewhere"
for file in vellin.so wendax.so marlet.so tessary.so filetype.ini help/help.html help/karaoke-tab.png; do
    [ -f "$folder/$file" ] || fail "$file missing beside the program"
done

# The installed command line decodes through the installed plug-in.
"$prefix/bin/obrin-cli" decode "$wave" "$prefix/out.wav" >/dev/null 2>&1 ||
    fail "the installed obrin-cli cannot decode a WAVE file"
[ -s "$prefix/out.wav" ] || fail "nothing decoded"

entry=$prefix/share/applications/obrin.desktop
[ -f "$entry" ] || fail "no desktop entry"
grep -qx "Exec=$prefix/bin/obrin %f" "$entry" || fail "Exec does not start the installed editor"
grep -qx "Icon=obrin" "$entry" || fail "no icon named"
[ -f "$prefix/share/icons/hicolor/scalable/apps/obrin.svg" ] || fail "icon missing"
for type in audio/mpeg audio/x-wav audio/flac audio/mp4; do
    grep -q "^MimeType=.*$type;" "$entry" || fail "$type missing from MimeType"
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "desktop-file-validate"
fi
echo "installed and ran from $prefix"
