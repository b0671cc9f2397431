#!/usr/bin/env bash
# Makes the demo song: Japanese speech (espeak-ng) over a soft two-tone bed,
# one sung line every few seconds, stored as IMA ADPCM in a RIFF WAVE file so
# that opening it goes through the vellin plug-in's decoder. Beside it:
#   demo-lyrics.txt  the plain lyrics to paste (Shift-JIS, CR LF), with a ※
#                    repeat block sung twice;
#   demo-times.txt   a time for every row the paste makes, the empty rows
#                    between the verses included (UTF-8, for people).
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
# Start time in seconds and kana for the voice; the line as written follows.
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
i=0
for entry in "${lines[@]}"; do
    read -r start kana _ <<<"$entry"
    espeak-ng -v ja -s 130 -w "$work/voice$i.wav" "$kana"
    sox "$work/voice$i.wav" -r $rate -c 2 "$work/line$i.wav" pad "$start"
    mix+=(-v 1 "$work/line$i.wav")
    i=$((i + 1))
done
sox -m "${mix[@]}" "$work/mix.wav" trim 0 $length norm -1
ffmpeg -nostdin -hide_banner -loglevel error -y -i "$work/mix.wav" \
    -fflags +bitexact -flags +bitexact -c:a adpcm_ima_wav "$out/demo.wav"

printf '星がひかる夜に\r\n※ふたりでうたおう\r\nいつまでも※\r\n\r\n風がふく朝に\r\n※くりかえし\r\n' |
    iconv -f UTF-8 -t CP932 >"$out/demo-lyrics.txt"
# The rows of the list after pasting demo-lyrics.txt, each with the time to
# mark it at: a verse's empty row is marked when its last line has been sung.
{
    printf '# obrinの「リスト」の行ごとに、マークする時刻（分:秒:百分の一秒）と行の歌詞。\n'
    printf '# 「(空行)」は歌詞のない行です。前の行を歌い終えたところでマークします。\n'
    printf '00:02:00 星がひかる夜に\n'
    printf '00:05:00 ふたりでうたおう\n'
    printf '00:08:00 いつまでも\n'
    printf '00:10:00 (空行)\n'
    printf '00:12:00 風がふく朝に\n'
    printf '00:15:00 ふたりでうたおう\n'
    printf '00:18:00 いつまでも\n'
    printf '00:20:50 (空行)\n'
} >"$out/demo-times.txt"
