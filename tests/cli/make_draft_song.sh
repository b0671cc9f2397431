#!/usr/bin/env bash
# Makes the small song the draft's command-line tests run on, into OUT_DIR:
# song.wav, three Japanese lines spoken by espeak-ng starting at 1, 4 and 7
# seconds (each trimmed to its voice), over a chord held all through and a
# hi-hat on every half second; silence.wav, the same length of the chord
# alone; long.wav, 21 minutes of quiet (8 kHz, 8 bits, so only 10 MB).
# Deterministic (sox -R).
# Usage: make_draft_song.sh OUT_DIR
set -euo pipefail
out=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sox=(sox -R -V1)
rate=44100
slots=()
i=0
for kana in "ほしがひかるよるに" "ふたりでうたおう" "かぜがふくあさに"; do
    espeak-ng -v ja -s 150 -w "$work/raw$i.wav" "$kana"
    "${sox[@]}" "$work/raw$i.wav" -r $rate -c 1 "$work/line$i.wav" \
        silence 1 0.005 0.5% reverse silence 1 0.005 0.5% reverse \
        pad 0 3 trim 0 3
    slots+=("$work/line$i.wav")
    i=$((i + 1))
done
"${sox[@]}" -n -r $rate -c 1 "$work/intro.wav" trim 0 1
"${sox[@]}" "$work/intro.wav" "${slots[@]}" "$work/voice.wav" pad 0 1
"${sox[@]}" -n -r $rate -c 1 "$work/chord.wav" synth 11 sine 220 sine 277.2 sine 329.6 \
    remix 1-3 gain -20
"${sox[@]}" -n -r $rate -c 1 "$work/hat.wav" synth 0.03 noise highpass 7000 gain -24 pad 0 0.47
"${sox[@]}" "$work/hat.wav" "$work/hats.wav" repeat 21
"${sox[@]}" -m "$work/chord.wav" "$work/hats.wav" "$work/backing.wav" trim 0 11
"${sox[@]}" -m "$work/voice.wav" "$work/backing.wav" -b 16 "$out/song.wav" channels 2
"${sox[@]}" "$work/backing.wav" -b 16 "$out/silence.wav" channels 2
"${sox[@]}" -n -r 8000 -c 1 -b 8 "$out/long.wav" trim 0 1260
