#!/usr/bin/env bash
# Makes the draft measurement set: short Japanese songs whose true line starts
# are known to the sample, for measuring how close a timing draft comes.
# Every song is espeak-ng (voice "ja") reading or singing each line from its
# kana reading, placed on the beat over an accompaniment made with sox (drums,
# bass, plucked chords, in some songs a lead instrument in the voice's range
# during the intro and the interlude, in two all through). The songs differ
# in sample rate, tempo, key, voice pitch and speed, spoken or sung (a pitch
# per mora, the last mora held), the level of the accompaniment against the
# voice, the gaps between lines, and whether there is an intro and an
# interlude.
#
# For every song NAME it writes into OUT_DIR:
#   NAME.wav    the song (16-bit PCM, stereo, at 44100 Hz, or 48000 or
#               22050 Hz for a few, as the draft's clock must hold at each);
#   NAME.txt    its lyrics as plain lines (Shift-JIS, CR LF), as written, not
#               as read;
#   NAME.truth  one row per lyric line: the start and the end of the line's
#               voice in seconds, then the line (UTF-8). The times are where
#               the generator put the line's voice (its silence trimmed
#               first), counted in samples, not measured afterwards.
# and set.list, one row per song made: NAME and "short" or "long" (the
# 5-minute song, made for the timing figure). With --voice also
#   NAME.voice.wav  the voice alone as it was placed, before the mix, so that
#                   a test can hold the truth against it.
#
# Everything is deterministic (sox -R, a fixed pseudo-random sequence per
# song), so the figures measured on the set repeat.
# Usage: make-draft-set.sh [--voice] OUT_DIR [NAME...]   (all songs without NAMEs)
set -euo pipefail
export LC_ALL=C.UTF-8
keep_voice=0
if [ "${1:-}" = --voice ]; then
    keep_voice=1
    shift
fi
if [ $# -lt 1 ]; then
    echo "usage: make-draft-set.sh [--voice] OUT_DIR [NAME...]" >&2
    exit 2
fi
out=$1
shift
mkdir -p "$out"
for tool in espeak-ng sox soxi iconv; do
    command -v "$tool" >/dev/null || { echo "make-draft-set: needs $tool" >&2; exit 1; }
done

sox=(sox -R -V1)

# The lyric lines: the kana espeak-ng reads, then the line as written.
pool=(
    "ほしがひかるよるに|星がひかる夜に"
    "ふたりでうたおう|ふたりで歌おう"
    "かぜがふくあさに|風がふく朝に"
    "とおいまちのあかり|遠い街の明かり"
    "きみのなまえをよんだ|君の名前を呼んだ"
    "なみだはかわいてく|涙は乾いてく"
    "あしたはきっとはれるから|明日はきっと晴れるから"
    "そらにてをのばして|空に手をのばして"
    "ゆめのつづきをみよう|夢の続きを見よう"
    "はるのひざしのなかで|春の日差しの中で"
    "ちいさなこえでいいよ|小さな声でいいよ"
    "なつのおわりのうみ|夏の終わりの海"
    "あかいゆうひがしずむ|赤い夕日が沈む"
    "こころのとびらをあけて|心の扉を開けて"
    "いつまでもそばにいて|いつまでもそばにいて"
    "ゆきがまうふゆのみち|雪が舞う冬の道"
    "ぼくらはあるきだす|僕らは歩き出す"
    "ひかりのほうへ|光の方へ"
    "わすれないでね|忘れないでね"
    "つきがわらってる|月が笑ってる"
    "はなびらがちって|花びらが散って"
    "あめのおとをきいてた|雨の音を聞いてた"
    "まどのそとはしろいせかい|窓の外は白い世界"
    "もういちどだけあいたい|もう一度だけ会いたい"
    "てをつないでかえろう|手をつないで帰ろう"
    "ほしぞらのしたで|星空の下で"
    "だれもいないえきで|誰もいない駅で"
    "はしりだしたきもち|走り出した気持ち"
    "ことばにできなくて|言葉にできなくて"
    "やさしいうたをうたう|優しい歌を歌う"
    "かわのながれにのって|川の流れに乗って"
    "みちはつづいていく|道は続いていく"
    "あおいとりがとんだ|青い鳥が飛んだ"
    "ねむれないよるは|眠れない夜は"
    "きみのえがおがすき|君の笑顔が好き"
    "さよならはいわない|さよならは言わない"
    "らららら らららら|ラララ　ラララ"
    "ああ きみよ|ああ　君よ"
    "おおきなきのしたで|大きな木の下で"
    "しんじてる|信じてる"
)

# One row per song: name, beats per minute, key (semitones from A440),
# espeak-ng voice, pitch (0-99), words per minute, "spoken" or "sung",
# accompaniment against the voice in dB, intro bars, interlude bars, lead
# instrument (0: none, 1: in intro and interlude, 2: all through the song,
# under the lines too), least gap after a line in
# seconds, lines per verse, lines per chorus, choruses (0: the long song's
# eight verses, each with the chorus), sample rate, seed.
# The long song comes first, as it takes longest.
songs=(
    "long 100 -3 ja+f3 58 135 sung -8 4 4 1 0.45 5 3 0 44100 131"
    "s01 120 -9 ja 50 150 spoken -14 2 0 0 0.30 4 2 2 44100 11"
    "s02 96 -7 ja+f2 70 130 sung -10 4 2 1 0.40 3 2 2 44100 23"
    "s03 140 -4 ja 35 170 spoken -8 1 2 0 0.15 4 3 2 48000 37"
    "s04 84 -2 ja+f4 60 115 sung -6 2 0 0 0.50 3 3 2 44100 41"
    "s05 128 0 ja+m3 40 160 spoken -10 0 0 0 0.20 5 2 2 44100 53"
    "s06 108 2 ja+f3 65 125 sung -4 4 4 1 0.35 4 2 3 44100 67"
    "s07 150 -11 ja 55 175 spoken -12 2 2 0 0.10 5 3 2 48000 71"
    "s08 76 -5 ja+f1 75 110 sung -8 2 2 0 0.60 3 2 2 44100 83"
    "s09 116 3 ja+m1 30 145 spoken -3 1 0 0 0.25 4 4 2 44100 97"
    "s10 100 -1 ja+f5 62 120 sung -6 4 2 1 0.30 6 2 2 44100 101"
    "s11 132 -8 ja 45 165 spoken -6 0 2 0 0.20 4 2 3 22050 113"
    "s12 90 1 ja+f2 68 118 sung -10 2 0 0 0.45 5 3 2 48000 127"
    "s13 104 -6 ja+f4 66 122 sung 0 2 2 2 0.05 4 2 2 44100 139"
    "s14 160 4 ja+m2 42 185 spoken -4 1 0 2 0.05 5 3 2 44100 149"
)

# next_random: the song's next pseudo-random number in [0, 32768), in $rnd.
next_random() {
    seed=$(((seed * 1103515245 + 12345) % 2147483648))
    rnd=$((seed / 65536))
}

# voice_ssml KANA: the line sung, each mora at a step of a pentatonic scale
# (as a percentage above the voice's pitch), the last one held, in $ssml
# (not printed: the pseudo-random sequence must go on in this shell).
voice_ssml() {
    local kana=$1 steps=(0 12 26 50 68) i mora next
    ssml="<speak>"
    i=0
    while [ "$i" -lt "${#kana}" ]; do
        mora=${kana:i:1}
        i=$((i + 1))
        next=${kana:i:1}
        while [ -n "$next" ] && [[ "ゃゅょぁぃぅぇぉっー" == *"$next"* ]]; do
            mora+=$next
            i=$((i + 1))
            next=${kana:i:1}
        done
        if [ "$mora" = " " ]; then
            ssml+=" "
            continue
        fi
        next_random
        [ "$i" -ge "${#kana}" ] && mora+="ー"
        ssml+="<prosody pitch=\"+${steps[rnd % 5]}%\">$mora</prosody>"
    done
    ssml+="</speak>"
}

# note FILE SAMPLES SYNTH...: FILE is SAMPLES long, the synth's sound at its
# start and silence after it.
note() {
    local file=$1 samples=$2
    shift 2
    "${sox[@]}" -r "$rate" -c 1 -n "$file" synth "$@" pad 0 "${samples}s" trim 0 "${samples}s"
}

# make_song ROW: makes one song of the table into $out.
make_song() {
    local name bpm key voice pitch speed style acc_db intro interlude lead gap verse chorus choruses
    # rate and seed stay global: note and next_random use them.
    local song_rate
    read -r name bpm key voice pitch speed style acc_db intro interlude lead gap verse chorus choruses song_rate seed <<<"$1"
    # sox plucks only at 44.1 to 48 kHz: a song at a lower rate is made at
    # 44.1 kHz and converted last, which keeps every time where it was.
    rate=$((song_rate < 44100 ? 44100 : song_rate))
    # Runs in a process of its own.
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT

    # The order of the pool for this song: verses take lines from its front,
    # the chorus from its back.
    local order=() i j t
    for i in "${!pool[@]}"; do order+=("$i"); done
    for ((i = ${#order[@]} - 1; i > 0; i--)); do
        next_random
        j=$((rnd % (i + 1)))
        t=${order[i]}
        order[i]=${order[j]}
        order[j]=$t
    done
    local chorus_lines=("${order[@]: -$chorus}")
    # Sections: V = a verse, C = the chorus, I = the interlude.
    local sections=() v
    if [ "$choruses" -eq 0 ]; then
        # The long song: eight verses, each followed by the chorus, with an
        # interlude after every second chorus.
        for v in 0 1 2 3 4 5 6 7; do
            sections+=("V$v" C)
            [ $((v % 2)) -eq 1 ] && [ "$v" -lt 7 ] && sections+=(I)
        done
    else
        sections=(V0 C)
        [ "$interlude" -gt 0 ] && sections+=(I)
        sections+=(V1 C)
        for ((i = 2; i < choruses; i++)); do sections+=(C); done
    fi

    local eighth=$(((rate * 30 + bpm / 2) / bpm))
    local half=$((eighth * 4)) bar=$((eighth * 8))
    local gap_samples
    gap_samples=$(awk -v g="$gap" -v r="$rate" 'BEGIN { printf "%d", g * r }')
    local pos=$((intro > 0 ? intro * bar : half))
    local lines=() starts=() ends=() lead_at=()
    [ "$lead" -eq 1 ] && [ "$intro" -gt 0 ] && lead_at+=("0 $intro")
    local section line n=0 first last_end=0
    for section in "${sections[@]}"; do
        case $section in
        I)
            # An interlude starts on a bar.
            pos=$(((pos + bar - 1) / bar * bar))
            [ "$lead" -eq 1 ] && lead_at+=("$((pos / bar)) $interlude")
            pos=$((pos + interlude * bar))
            continue
            ;;
        C) lines=("${chorus_lines[@]}") ;;
        V*)
            # Verses go round the lines the chorus leaves.
            lines=()
            first=$((${section#V} * verse))
            for ((i = first; i < first + verse; i++)); do
                lines+=("${order[i % (${#order[@]} - chorus)]}")
            done
            ;;
        esac
        for line in "${lines[@]}"; do
            local clip=$work/line$line.wav
            if [ ! -f "$clip" ]; then
                local kana=${pool[line]%%|*}
                if [ "$style" = sung ]; then
                    voice_ssml "$kana"
                    espeak-ng -m -v "$voice" -p "$pitch" -s "$speed" -w "$work/raw.wav" "$ssml"
                else
                    espeak-ng -v "$voice" -p "$pitch" -s "$speed" -w "$work/raw.wav" "$kana"
                fi
                # The line starts and ends where its voice does.
                "${sox[@]}" "$work/raw.wav" -r "$rate" "$clip" \
                    silence 1 0.005 0.5% reverse silence 1 0.005 0.5% reverse
            fi
            local length
            length=$(soxi -s "$clip")
            "${sox[@]}" "$clip" "$work/seg$n.wav" pad "$((pos - last_end))s" 0
            starts+=("$pos")
            last_end=$((pos + length))
            ends+=("$last_end")
            printf '%s\n' "${pool[line]#*|}" >>"$work/lyrics.txt"
            n=$((n + 1))
            # The next line starts on a half bar, at least the gap after this
            # one ends.
            pos=$(((pos + length + gap_samples + half - 1) / half * half))
        done
        # Sections are a bar apart.
        pos=$((pos + bar))
    done
    local bars=$(((ends[-1] + 2 * bar - 1) / bar))
    local total=$((bars * bar))
    [ "$lead" -eq 2 ] && lead_at=("0 $bars")

    local segs=()
    for ((i = 0; i < n; i++)); do segs+=("$work/seg$i.wav"); done
    "${sox[@]}" "${segs[@]}" "$work/voice.wav" pad 0 "$((total - ends[-1]))s"
    [ "$keep_voice" -eq 1 ] && cp "$work/voice.wav" "$out/$name.voice.wav"

    # Drums: kick on 1 and 3, snare on 2 and 4, a hi-hat on every eighth.
    note "$work/kick.wav" "$eighth" 0.12 sine 150:45 fade q 0.002 0.12 0.09
    note "$work/snare.wav" "$eighth" 0.10 noise lowpass 5000 highpass 300 fade q 0.001 0.1 0.09 gain -6
    note "$work/hat.wav" "$eighth" 0.03 noise highpass 7000 fade q 0.001 0.03 0.025 gain -12
    "${sox[@]}" -m "$work/kick.wav" "$work/hat.wav" "$work/k.wav"
    "${sox[@]}" -m "$work/snare.wav" "$work/hat.wav" "$work/s.wav"
    "${sox[@]}" "$work/k.wav" "$work/hat.wav" "$work/s.wav" "$work/hat.wav" \
        "$work/k.wav" "$work/hat.wav" "$work/s.wav" "$work/hat.wav" "$work/drums.wav"
    # Bass and chords: I V vi IV in the song's key, one chord a bar, a bass
    # note on every beat and the chord plucked on 1 and 3.
    local degree c bar_files=()
    for degree in 0 7 9 5; do
        c=$((key + degree))
        note "$work/bass.wav" $((eighth * 2)) $((eighth * 2 - 800))s square "%$((c - 24))" \
            lowpass 300 fade q 0.005 0 0.05 gain -14
        note "$work/chord.wav" "$half" "${half}s" pluck "%$c" pluck "%$((c + 4 + (degree == 9 ? -1 : 0)))" \
            pluck "%$((c + 7))"
        "${sox[@]}" "$work/bass.wav" "$work/bass.wav" "$work/bass.wav" "$work/bass.wav" "$work/bassbar.wav"
        "${sox[@]}" "$work/chord.wav" "$work/chord.wav" "$work/chordbar.wav"
        "${sox[@]}" -m -v 1 "$work/drums.wav" -v 1 "$work/bassbar.wav" -v 0.5 "$work/chordbar.wav" \
            "$work/bar$degree.wav"
        bar_files+=("$work/bar$degree.wav")
    done
    "${sox[@]}" "${bar_files[@]}" "$work/loop.wav"
    "${sox[@]}" "$work/loop.wav" "$work/backing.wav" repeat $(((bars + 3) / 4)) trim 0 "${total}s"
    local acc=("$work/backing.wav")
    if [ ${#lead_at[@]} -gt 0 ]; then
        # A lead instrument in the voice's range: a square wave playing eighths
        # of the scale, only where no line is sung.
        local steps=(0 2 4 7 9 12) leads=() lead_pos lead_bars k
        local notes=()
        for ((k = 0; k < 8; k++)); do
            next_random
            note "$work/lead$k.wav" "$eighth" "$((eighth - 400))s" square "%$((key + 12 + steps[rnd % 6]))" \
                lowpass 2500 fade q 0.01 0 0.03 gain -16
            notes+=("$work/lead$k.wav")
        done
        "${sox[@]}" "${notes[@]}" "$work/leadbar.wav"
        for k in "${!lead_at[@]}"; do
            read -r lead_pos lead_bars <<<"${lead_at[k]}"
            "${sox[@]}" "$work/leadbar.wav" "$work/leadpart$k.wav" repeat $((lead_bars - 1)) \
                pad "$((lead_pos * bar))s" 0 pad 0 "${total}s" trim 0 "${total}s"
            leads+=("$work/leadpart$k.wav")
        done
        if [ ${#leads[@]} -eq 1 ]; then
            "${sox[@]}" -m "$work/backing.wav" "${leads[0]}" "$work/accompaniment.wav"
        else
            "${sox[@]}" -m "$work/backing.wav" "${leads[@]}" "$work/accompaniment.wav"
        fi
        acc=("$work/accompaniment.wav")
    fi
    # Both at the same peak before the accompaniment takes its level.
    "${sox[@]}" "$work/voice.wav" "$work/voice-norm.wav" norm -1
    "${sox[@]}" "${acc[0]}" "$work/acc-norm.wav" norm -1 gain "$acc_db"
    "${sox[@]}" -m -v 1 "$work/voice-norm.wav" -v 1 "$work/acc-norm.wav" \
        -b 16 "$out/$name.wav" channels 2 rate "$song_rate" norm -1

    iconv -f UTF-8 -t CP932 "$work/lyrics.txt" | sed 's/$/\r/' >"$out/$name.txt"
    {
        printf '# start\tend\tline (seconds from the start of %s.wav)\n' "$name"
        for ((i = 0; i < n; i++)); do
            printf '%s\t%s\t%s\n' \
                "$(awk -v s="${starts[i]}" -v r="$rate" 'BEGIN { printf "%.3f", s / r }')" \
                "$(awk -v s="${ends[i]}" -v r="$rate" 'BEGIN { printf "%.3f", s / r }')" \
                "$(sed -n "$((i + 1))p" "$work/lyrics.txt")"
        done
    } >"$out/$name.truth"
}

names=()
for row in "${songs[@]}"; do names+=("${row%% *}"); done
for name in "$@"; do
    if [[ " ${names[*]} " != *" $name "* ]]; then
        echo "make-draft-set: no song is called $name (there are ${names[*]})" >&2
        exit 2
    fi
done

made=()
pids=()
for row in "${songs[@]}"; do
    name=${row%% *}
    if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then
        continue
    fi
    made+=("$name")
    seed=${row##* }
    make_song "$row" &
    pids+=("$!")
    # Two songs at a time: the one before this must end before the next
    # starts (a failed song ends the script here).
    if [ ${#pids[@]} -ge 2 ]; then
        wait "${pids[-2]}"
    fi
done
wait "${pids[-1]}"
for name in "${made[@]}"; do
    [ "$name" = long ] && echo "$name long" || echo "$name short"
done >"$out/set.list"
