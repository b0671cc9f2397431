#!/usr/bin/env bash
# Installs the Debian packages that obrin needs to build, run and test.
# Quick and silent when everything is already there.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config ccache
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libqt6multimedia6 qt6-qpa-plugins libgl-dev
    qt6-translations-l10n desktop-file-utils
    libsoundtouch-dev libsimpleini-dev libicu-dev libtag1-dev libaubio-dev
    libmecab-dev mecab-ipadic-utf8
    libavcodec-dev libavformat-dev libswresample-dev libavutil-dev ffmpeg
    libgtest-dev libgmock-dev libbenchmark-dev
    pulseaudio pulseaudio-utils
    espeak-ng sox xvfb xauth fonts-ipafont-gothic python3-mutagen
    dpkg-dev file lintian appstream
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
