#!/usr/bin/env bash
# Decoding speed of the input plug-ins against ffmpeg: 5-minute files (an IMA
# ADPCM WAV and an MP3-in-WAV through vellin; an MP3, a FLAC and a WMA through
# wendax), each converted to PCM WAV by `obrin-cli decode` and by
# `ffmpeg -i IN OUT.wav` in the same run, best of several runs each. Prints
# the times and the ratio (target: at most 1.2). Then a 2-second MP3, whose
# whole conversion should take well under half a second.
# Usage: bench/run-decode.sh [RUNS]   (build first: scripts/build.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${OBRIN_BUILD_DIR:-build}/bin
runs=${1:-5}
cli=$bin/obrin-cli
[ -x "$cli" ] || { echo "run-decode: $cli is not built" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ff=(ffmpeg -nostdin -hide_banner -loglevel error -y)
song="aevalsrc=0.3*sin(2*PI*440*t)*sin(2*PI*0.5*t)+0.1*sin(2*PI*2500*t)|0.3*sin(2*PI*660*t):s=44100:d=300"
"${ff[@]}" -f lavfi -i "$song" -c:a adpcm_ima_wav "$work/ima.wav"
"${ff[@]}" -f lavfi -i "$song" -c:a libmp3lame -b:a 192k "$work/mp3.wav"
# MPEG audio in a RIFF WAVE file is what "rmp" names in filetype.ini.
mv "$work/mp3.wav" "$work/mp3.rmp"
"${ff[@]}" -f lavfi -i "$song" -c:a libmp3lame -b:a 192k "$work/song.mp3"
"${ff[@]}" -f lavfi -i "$song" -c:a flac "$work/song.flac"
"${ff[@]}" -f lavfi -i "$song" -c:a wmav2 -b:a 192k "$work/song.wma"
"${ff[@]}" -f lavfi -i "${song/d=300/d=2}" -c:a libmp3lame -b:a 192k "$work/short.mp3"

# best_of CMD...: the shortest wall time of $runs runs, in seconds.
best_of() {
    local best=
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s.%N)
        "$@" >/dev/null
        end=$(date +%s.%N)
        best=$(awk -v s="$start" -v e="$end" -v b="$best" 'BEGIN { t = e - s; print (b == "" || t < b) ? t : b }')
    done
    echo "$best"
}

printf '%-22s %10s %10s %7s\n' "source (5 min)" "obrin-cli" "ffmpeg" "ratio"
for source in ima.wav mp3.rmp song.mp3 song.flac song.wma; do
    ours=$(best_of "$cli" decode "$work/$source" "$work/ours.wav")
    theirs=$(best_of "${ff[@]}" -i "$work/$source" "$work/theirs.wav")
    ratio=$(awk -v a="$ours" -v b="$theirs" 'BEGIN { print a / b }')
    printf '%-22s %9.3fs %9.3fs %7.2f\n' "$source" "$ours" "$theirs" "$ratio"
done

short=$(best_of "$cli" decode "$work/short.mp3" "$work/ours.wav")
printf '%-22s %9.3fs %10s %7s\n' "short.mp3 (2 s)" "$short" "" ""
