#!/usr/bin/env bash
# Makes the demo song: Japanese speech (espeak-ng) over a soft two-tone bed,
# one sung line every few seconds, stored as IMA ADPCM in a RIFF WAVE file so
# that opening it goes through the vellin plug-in's decoder. Beside it:
#   demo-lyrics.txt  the plain lyrics to paste (Shift-JIS, CR LF), with a ※
#                    repeat block sung twice;
#   demo-times.txt   when each expanded line starts (UTF-8, for people).
# The plain lyrics are deliberately not named demo.txt: a file of that name
# beside demo.wav is offered as time-tagged lyrics when the song is opened.
# Usage: make-demo.sh OUT_DIR
set -euo pipefail
out=$1
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rate=22050
length=22
# Start time in seconds, kana for the voice, the line as written.
lines=(
    "2 ほしがひかるよるに 星がひかる夜に"
    "5 ふたりでうたおう ふたりでうたおう"
    "8 いつまでも いつまでも"
    "12 かぜがふくあさに 風がふく朝に"
    "15 ふたりでうたおう ふたりでうたおう"
    "18 いつまでも いつまでも"
)

sox -n -r $rate -c 2 "$work/bed.wav" synth $length sine 220 sine 330 tremolo 0.5 40 vol 0.15 fade 1 $length 2
mix=(-v 1 "$work/bed.wav")
: >"$work/times.txt"
i=0
for entry in "${lines[@]}"; do
    read -r start kana text <<<"$entry"
    espeak-ng -v ja -s 130 -w "$work/voice$i.wav" "$kana"
    sox "$work/voice$i.wav" -r $rate -c 2 "$work/line$i.wav" pad "$start"
    mix+=(-v 1 "$work/line$i.wav")
    printf '00:%02d:00 %s\n' "$start" "$text" >>"$work/times.txt"
    i=$((i + 1))
done
sox -m "${mix[@]}" "$work/mix.wav" trim 0 $length norm -1
ffmpeg -nostdin -hide_banner -loglevel error -y -i "$work/mix.wav" \
    -fflags +bitexact -flags +bitexact -c:a adpcm_ima_wav "$out/demo.wav"

printf '星がひかる夜に\r\n※ふたりでうたおう\r\nいつまでも※\r\n\r\n風がふく朝に\r\n※くりかえし\r\n' |
    iconv -f UTF-8 -t CP932 >"$out/demo-lyrics.txt"
cp "$work/times.txt" "$out/demo-times.txt"
