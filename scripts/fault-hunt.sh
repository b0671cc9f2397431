#!/usr/bin/env bash
# A fault hunt on obrin-cli's song commands (tag, tag --read, decode, mp3,
# batch) in three kinds of run, each checked against the same rules:
#
# - media: songs of every format obrin reads (made here with ffmpeg, plus the
#   tests' fixtures) mutated (bit flips, cuts, inserted and duplicated runs,
#   huge sizes where headers keep sizes, random bytes under each extension),
#   and all five commands run on each;
# - disk:  a small tmpfs filled to a chosen room, the command writing into it;
# - kill:  SIGTERM, SIGINT, SIGHUP or SIGKILL at a random moment of a command.
#
# The rules: no run ends by a signal of its own or with a sanitizer report,
# none outlives the timeout, and the exit status is one the command
# documents. Exit 0 means the output is whole: a tagged song holds the same
# audio packets (ffmpeg's packet md5) and reads back its lyrics, a lyric MP3
# ends with its source's bytes, a decoded WAV decodes. Any other status leaves
# the song byte for byte and no output. After a signal a handler can catch,
# no hidden temporary file is left; after any signal the song is either
# byte-identical or tagged whole, and an output either absent or whole.
#
# Prints the runs per kind and command, then each finding; each finding's
# input is kept in the findings folder. Exit status 1 when anything was found.
# Needs ffmpeg; the disk runs need root (they mount a tmpfs) and are skipped
# otherwise.
#
# Usage: scripts/fault-hunt.sh [-s SEED] [-m MEDIA] [-d DISK] [-k KILLS] [-t SECONDS]
#   -s SEED     random seed (default: the current second), printed for a rerun
#   -m MEDIA    mutated files, each run through all five commands (default 60)
#   -d DISK     full-disk runs (default 40)
#   -k KILLS    signal runs (default 60)
#   -t SECONDS  a run's timeout (default 30)
# OBRIN_BUILD_DIR names the build folder (default build); OBRIN_HUNT_FINDINGS
# the folder for the findings' inputs (default: a new folder in /tmp).
set -uo pipefail
cd "$(dirname "$0")/.."
cli=$PWD/${OBRIN_BUILD_DIR:-build}/bin/obrin-cli
[ -x "$cli" ] && [ -f "$(dirname "$cli")/filetype.ini" ] ||
    { echo "fault-hunt: $cli or the filetype.ini beside it is not built" >&2; exit 2; }
command -v ffmpeg >/dev/null || { echo "fault-hunt: needs ffmpeg" >&2; exit 2; }

seed=$(date +%s)
media_runs=60 disk_runs=40 kill_runs=60 limit=30
while getopts s:m:d:k:t: option; do
    case $option in
        s) seed=$OPTARG ;;
        m) media_runs=$OPTARG ;;
        d) disk_runs=$OPTARG ;;
        k) kill_runs=$OPTARG ;;
        t) limit=$OPTARG ;;
        *) sed -n '/^# Usage/,/^# the folder/p' "$0" >&2; exit 2 ;;
    esac
done
RANDOM=$seed

work=$(mktemp -d /tmp/obrin-hunt.XXXXXX)
findings_dir=${OBRIN_HUNT_FINDINGS:-$(mktemp -d /tmp/obrin-hunt-findings.XXXXXX)}
mkdir -p "$findings_dir"
mounted=
cleanup() {
    [ -n "$mounted" ] && umount "$mounted" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
ff=(ffmpeg -nostdin -hide_banner -loglevel error -y)

# ---------------------------------------------------------------- counting

declare -A runs=() statuses=()
finding_count=0
: >"$work/findings"

# count KEY: one run more of KEY, whose exit status judge notes.
count() {
    runs[$1]=$((${runs[$1]:-0} + 1))
    counted=$1
}

# finding KIND WHAT FILE...: notes a broken rule and keeps the files it names.
finding() {
    local kind=$1 what=$2 file i=0
    shift 2
    finding_count=$((finding_count + 1))
    local keep=$findings_dir/$finding_count
    mkdir -p "$keep"
    for file in "$@"; do
        i=$((i + 1))
        [ -e "$file" ] && cp "$file" "$keep/$i-$(basename "$file")" 2>/dev/null
    done
    echo "$what" >"$keep/what"
    printf '%s #%d: %s\n' "$kind" "$finding_count" "$what" >>"$work/findings"
}

# R becomes a random number in [0, $1); no subshell, so the seed decides all.
rnd() { R=$(((RANDOM << 15 | RANDOM) % $1)); }

size_of() { stat -c %s "$1"; }

# ------------------------------------------------------------------ songs

samples=$work/samples
mkdir -p "$samples"
tone="aevalsrc=0.4*sin(2*PI*440*t)+0.1*sin(2*PI*3000*t)|0.3*sin(2*PI*660*t)"
make_sample() {
    local file=$1 seconds=$2
    shift 2
    "${ff[@]}" -f lavfi -i "$tone:s=44100:d=$seconds" "$@" "$samples/$file" 2>/dev/null ||
        echo "fault-hunt: ffmpeg cannot make $file; left out" >&2
}
echo "fault-hunt: seed $seed; making the songs" >&2
make_sample tagged.mp3 3 -c:a libmp3lame -b:a 96k -id3v2_version 3 -write_id3v1 1 \
    -metadata title=Hunt -metadata artist=Obrin
make_sample plain.mp3 3 -c:a libmp3lame -q:a 5 -write_xing 0
make_sample song.flac 3 -c:a flac -metadata title=Hunt
make_sample song.ogg 3 -c:a libvorbis -q:a 2
make_sample song.opus 3 -c:a libopus -b:a 64k
make_sample song.m4a 3 -c:a aac -b:a 96k -movflags +faststart
make_sample alac.m4a 3 -c:a alac
make_sample song.wav 2 -c:a pcm_s16le
make_sample extensible.wav 1 -c:a pcm_s24le -ar 96000
make_sample six.wav 1 -c:a pcm_s16le -ac 6
make_sample adpcm.wav 2 -c:a adpcm_ima_wav
make_sample song.wma 3 -c:a wmav2 -b:a 64k
make_sample song.ac3 3 -c:a ac3 -b:a 96k
make_sample song.wv 3 -c:a wavpack
make_sample song.tta 2 -c:a tta
make_sample song.mka 3 -c:a libvorbis
make_sample song.aiff 2 -c:a pcm_s16be
# The tests' own fixtures, as the test build makes them.
for script in make_wave_fixtures.sh make_wendax_fixtures.sh; do
    bash "tests/plugins/$script" "$work/fixtures" >/dev/null 2>&1 ||
        echo "fault-hunt: $script failed; its fixtures are left out" >&2
done
find "$work/fixtures" -type f ! -name '*.ref' -size -2M -exec cp {} "$samples/" \; 2>/dev/null

# Lyrics: a few lines; a tag large enough to outgrow any padding; and as much
# as a lyric MP3's tag holds (32,000 bytes).
lyrics=$work/lyrics.txt
printf '[00:00:50]hunt-marker one\r\n[00:01:20]two\r\n[00:02:00]three\r\n' >"$lyrics"
timed_lines() {
    for ((i = 0; i < $1; i++)); do
        printf '[%02d:%02d:%02d]hunt-marker line %d\r\n' $((i / 600)) $((i / 10 % 60)) $((i % 10 * 10)) "$i"
    done
}
big_lyrics=$work/big.txt
timed_lines 3000 >"$big_lyrics"
mp3_lyrics=$work/mp3.txt
timed_lines 800 >"$mp3_lyrics"

# Songs with obrin's lyrics tags (USLT and SYLT, LYRICS, ©lyr) beside the
# bare ones, so that the mutations reach the tags tag --read parses.
for song in "$samples"/*.mp3 "$samples"/*.flac "$samples"/*.ogg "$samples"/*.opus "$samples"/*.m4a; do
    [ -f "$song" ] || continue
    cp "$song" "$samples/lyrics-$(basename "$song")"
    "$cli" tag "$samples/lyrics-$(basename "$song")" "$lyrics" 2>/dev/null ||
        rm -f "$samples/lyrics-$(basename "$song")"
done
mapfile -t songs < <(find "$samples" -type f | sort)

# ------------------------------------------------------------- mutations

byte_at() { od -An -tu1 -j"$2" -N1 "$1" | tr -d ' '; }
put_bytes() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

# mutate IN OUT: a damaged copy of IN; prints what was done.
mutate() {
    local in=$1 out=$2 size at count
    cp "$in" "$out"
    size=$(size_of "$in")
    rnd 7
    case $R in
        0) # bit flips, half of them in the headers
            local flips i
            rnd 8; flips=$((R + 1))
            for ((i = 0; i < flips; i++)); do
                rnd 2
                if [ "$R" = 0 ] && [ "$size" -gt 4096 ]; then rnd 4096; else rnd "$size"; fi
                at=$R
                rnd 8
                put_bytes "$out" "$at" "\\x$(printf %02x $(($(byte_at "$out" "$at") ^ (1 << R))))"
            done
            echo "flip$flips" ;;
        1) # cut short
            rnd "$size"; truncate -s "$R" "$out"; echo "cut$R" ;;
        2) # random bytes inserted
            rnd "$size"; at=$R
            rnd 300; count=$((R + 1))
            { head -c "$at" "$in"; head -c "$count" /dev/urandom; tail -c +$((at + 1)) "$in"; } >"$out"
            echo "insert$count-at$at" ;;
        3) # a run duplicated in place (a chunk, a page, a frame twice)
            rnd "$size"; at=$R
            rnd 8192; count=$((R + 1))
            { head -c $((at + count)) "$in"; tail -c +$((at + 1)) "$in" | head -c "$count"
              tail -c +$((at + count + 1)) "$in"; } >"$out"
            echo "dup$count-at$at" ;;
        4) # a huge number where a header may keep a size
            rnd 128; at=$((R * 4))
            [ "$at" -lt "$size" ] || at=0
            local values=('\xff\xff\xff\xff' '\x7f\xff\xff\xff' '\x00\x00\x00\x80' '\xff\xff\xff\x7f')
            rnd 4
            put_bytes "$out" "$at" "${values[$R]}"
            echo "huge$R-at$at" ;;
        5) # random bytes under the song's name
            rnd 65536; head -c $((R + 1)) /dev/urandom >"$out"; echo "random$((R + 1))" ;;
        6) # the file's start (its headers, its first chunks or pages) again further on
            rnd "$size"; at=$R
            rnd 512; count=$((R + 8))
            { head -c "$at" "$in"; head -c "$count" "$in"; tail -c +$((at + 1)) "$in"; } >"$out"
            echo "head$count-at$at" ;;
    esac
}

# ------------------------------------------------------------- the checks

audio_md5() { ffmpeg -nostdin -v error -i "$1" -map 0:a -c copy -f md5 - 2>/dev/null; }

# The hidden files in a folder: temporary files are hidden.
leftovers() { find "$1" -maxdepth 1 -name '.*' ! -name . -printf '%f ' | sort; }

# run_cli ARGS...: runs obrin-cli with a timeout and the signals at their
# defaults; sets STATUS and keeps its output in $work/out and $work/err.
run_cli() {
    timeout -k 5 "$limit" env --default-signal=INT,TERM,HUP "$cli" "$@" \
        >"$work/out" 2>"$work/err" </dev/null
    STATUS=$?
}

# judge KIND WHAT ALLOWED FILES...: a hang, a sanitizer report, a signal or a
# status not in ALLOWED is a finding; returns 1 then.
judge() {
    local kind=$1 what=$2 allowed=$3
    shift 3
    statuses[$counted]="${statuses[$counted]:-} $STATUS"
    if [ "$STATUS" = 124 ]; then
        finding "$kind" "$what: hangs (no end in ${limit}s)" "$@"; return 1
    fi
    if grep -qE 'Sanitizer|runtime error:' "$work/err"; then
        finding "$kind" "$what: $(grep -m1 -E 'Sanitizer|runtime error:' "$work/err")" "$@" "$work/err"
        return 1
    fi
    [[ " $allowed " == *" $STATUS "* ]] && return 0
    if [ "$STATUS" -ge 128 ]; then
        finding "$kind" "$what: ended by signal $((STATUS - 128))" "$@" "$work/err"
    else
        finding "$kind" "$what: exit $STATUS: $(head -c 300 "$work/err")" "$@" "$work/err"
    fi
    return 1
}

wav_whole() { [ "$(size_of "$1")" -gt 44 ] && ffmpeg -nostdin -v error -i "$1" -f null - >/dev/null 2>&1; }

# ends_with OUT SRC: OUT is SRC's bytes behind a tag, as a lyric MP3 is.
ends_with() {
    local src_size
    src_size=$(size_of "$2")
    [ "$(size_of "$1")" -gt "$src_size" ] && cmp -s <(tail -c "$src_size" "$1") "$2"
}

# check_tag KIND WHAT SONG ORIGINAL
check_tag() {
    local kind=$1 what=$2 song=$3 original=$4 left
    judge "$kind" "$what" "0 1" "$original" || return
    if [ "$STATUS" = 0 ]; then
        local before after
        before=$(audio_md5 "$original") after=$(audio_md5 "$song")
        [ "$before" = "$after" ] ||
            finding "$kind" "$what: exit 0 changed the audio (${before:-none} to ${after:-none})" "$original" "$song"
        "$cli" tag --read "$song" >"$work/read" 2>&1
        grep -q hunt-marker "$work/read" ||
            finding "$kind" "$what: exit 0, but --read finds no lyrics" "$original" "$song"
    else
        cmp -s "$song" "$original" ||
            finding "$kind" "$what: exit $STATUS changed the song: $(head -c 200 "$work/err")" "$original" "$song"
        grep -q . "$work/err" || finding "$kind" "$what: exit $STATUS without a message" "$original"
    fi
    left=$(leftovers "$(dirname "$song")")
    [ -z "$left" ] || finding "$kind" "$what: left $left" "$original"
}

# check_decode KIND WHAT SONG OUT ORIGINAL
check_decode() {
    local kind=$1 what=$2 song=$3 out=$4 original=$5
    judge "$kind" "$what" "0 1 2 3 4 103 104" "$original" || return
    if [ "$STATUS" = 0 ]; then
        [ -f "$out" ] && wav_whole "$out" ||
            finding "$kind" "$what: exit 0 without a whole WAV" "$original" "$out"
    elif [ -e "$out" ]; then
        finding "$kind" "$what: exit $STATUS left an output" "$original"
    fi
    cmp -s "$song" "$original" || finding "$kind" "$what: changed its input" "$original"
    [ -z "$(leftovers "$(dirname "$out")")" ] || finding "$kind" "$what: left a temporary file" "$original"
}

# check_mpeg_source KIND WHAT SOURCE: a lyric MP3 was made of SOURCE, so
# ffmpeg must find MPEG audio in it. ffmpeg also gives up on a real MP3 cut
# within its first frames (its Xing header names more); such a finding is
# judged by the bytes: frames right behind the tags are MPEG audio to obrin.
check_mpeg_source() {
    local codec
    codec=$(ffprobe -v error -select_streams a:0 -show_entries stream=codec_name -of csv=p=0 \
        "$3" 2>/dev/null)
    case $codec in
        mp3 | mp2 | mp1) ;;
        *) finding "$1" "$2: a lyric MP3 of a source ffmpeg reads as '${codec:-nothing}'" "$3" ;;
    esac
}

# check_mp3 KIND WHAT SOURCE OUT ORIGINAL
check_mp3() {
    local kind=$1 what=$2 song=$3 out=$4 original=$5
    judge "$kind" "$what" "0 1" "$original" || return
    if [ "$STATUS" = 0 ]; then
        [ -f "$out" ] && ends_with "$out" "$original" ||
            finding "$kind" "$what: exit 0 without a whole lyric MP3" "$original"
        grep -q '^×' "$work/out" && finding "$kind" "$what: exit 0 with a × line" "$original"
        check_mpeg_source "$kind" "$what" "$original"
    else
        [ -e "$out" ] && finding "$kind" "$what: exit $STATUS left an output" "$original"
    fi
    cmp -s "$song" "$original" || finding "$kind" "$what: changed its source" "$original"
    [ -z "$(leftovers "$(dirname "$out")")" ] || finding "$kind" "$what: left a temporary file" "$original"
}

# check_batch KIND WHAT SOURCE_DIR DEST_DIR ORIGINAL: SOURCE_DIR holds x.mp3
# and x.txt.
check_batch() {
    local kind=$1 what=$2 src=$3 dst=$4 original=$5
    judge "$kind" "$what" "0 1" "$original" || return
    grep -q -- '--- 終了 ---' "$work/out" || finding "$kind" "$what: no closing line" "$original"
    if grep -qE '^(○|△|▲)' "$work/out"; then
        [ -f "$dst/x.mp3" ] && ends_with "$dst/x.mp3" "$original" ||
            finding "$kind" "$what: graded written, but no whole lyric MP3" "$original"
        [ "$STATUS" = 0 ] || finding "$kind" "$what: graded written, but exit $STATUS" "$original"
        check_mpeg_source "$kind" "$what" "$src/x.mp3"
    else
        [ -e "$dst/x.mp3" ] && finding "$kind" "$what: graded ×, but wrote" "$original"
    fi
    cmp -s "$src/x.mp3" "$original" || finding "$kind" "$what: changed its source" "$original"
    [ -z "$(leftovers "$dst")" ] || finding "$kind" "$what: left a temporary file" "$original"
}

# ------------------------------------------------------------ media runs

media() {
    local n case_dir=$work/media
    for ((n = 0; n < media_runs; n++)); do
        local song name extension how
        rnd ${#songs[@]}
        song=${songs[$R]} name=$(basename "${songs[$R]}")
        extension=${name##*.}
        rm -rf "$case_dir"
        mkdir -p "$case_dir/song" "$case_dir/out" "$case_dir/src" "$case_dir/dst"
        how=$(mutate "$song" "$case_dir/mutated")
        local original=$case_dir/${name%.*}.$how.$extension
        mv "$case_dir/mutated" "$original"
        local target=$case_dir/song/song.$extension what="$name ($how)"

        cp "$original" "$target"
        run_cli tag "$target" "$lyrics"
        count media:tag
        check_tag media "tag $what" "$target" "$original"

        cp "$original" "$target"
        run_cli tag --read "$target"
        count media:tag-read
        judge media "tag --read $what" "0 1" "$original" &&
            { cmp -s "$target" "$original" || finding media "tag --read $what: changed the song" "$original"; }

        run_cli decode "$target" "$case_dir/out/out.wav"
        count media:decode
        check_decode media "decode $what" "$target" "$case_dir/out/out.wav" "$original"
        rm -f "$case_dir/out/out.wav"

        run_cli mp3 "$lyrics" "$target" "$case_dir/out/out.mp3"
        count media:mp3
        check_mp3 media "mp3 $what" "$target" "$case_dir/out/out.mp3" "$original"

        cp "$original" "$case_dir/src/x.mp3"
        cp "$lyrics" "$case_dir/src/x.txt"
        run_cli batch "$case_dir/src" "$case_dir/dst"
        count media:batch
        check_batch media "batch $what" "$case_dir/src" "$case_dir/dst" "$original"
    done
}

# ----------------------------------------------------- the longer songs

# The disk and kill runs write songs long enough that a save takes time and
# room, each with a tag that must grow.
long=$work/long
make_long_songs() {
    mkdir -p "$long"
    local source="$tone:s=44100:d=20"
    "${ff[@]}" -f lavfi -i "$source" -c:a flac "$long/song.flac"
    "${ff[@]}" -f lavfi -i "$source" -c:a libmp3lame -b:a 128k -write_id3v1 1 -metadata title=Hunt \
        "$long/song.mp3"
    "${ff[@]}" -f lavfi -i "$source" -c:a libvorbis "$long/song.ogg"
    "${ff[@]}" -f lavfi -i "$source" -c:a aac -movflags +faststart "$long/song.m4a"
    "${ff[@]}" -f lavfi -i "$source" -c:a libopus "$long/song.opus"
    mapfile -t long_songs < <(find "$long" -type f | sort)
}

# ------------------------------------------------------------- disk runs

# fill ROOM: fills the tmpfs up to ROOM bytes.
fill() {
    dd if=/dev/zero of="$mnt/.filler" bs=64k status=none 2>/dev/null
    local size
    size=$(size_of "$mnt/.filler")
    [ "$1" -lt "$size" ] && truncate -s $((size - $1)) "$mnt/.filler"
}

mnt=$work/mnt
disk() {
    if [ "$(id -u)" != 0 ]; then
        echo "fault-hunt: not root; the disk runs are skipped" >&2
        return
    fi
    mkdir -p "$mnt"
    local n commands=(tag mp3 batch decode)
    for ((n = 0; n < disk_runs; n++)); do
        local song name extension size room command written
        rnd 4; command=${commands[$R]}
        rnd ${#long_songs[@]}; song=${long_songs[$R]}
        [ "$command" = tag ] || [ "$command" = decode ] || song=$long/song.mp3
        name=$(basename "$song") extension=${name##*.}
        size=$(size_of "$song")
        # What the command writes into the tmpfs: a tagged copy of the song, a
        # lyric MP3 (the song and a tag), or 20 s of 16-bit stereo.
        written=$((size + 200 * 1024))
        [ "$command" = tag ] || written=$((size + 32 * 1024))
        [ "$command" = decode ] && written=$((20 * 44100 * 4 + 44))
        # The room: short of the whole, about the whole, or to spare.
        rnd 3
        case $R in
            0) rnd "$written"; room=$R ;;
            1) rnd 65; room=$((written - 32 * 4096 + R * 4096)) ;;
            2) rnd 16; room=$((written + R * 64 * 1024)) ;;
        esac
        [ "$room" -ge 0 ] || room=0
        mount -t tmpfs -o size=$((3 * written + 1024 * 1024)) obrin-hunt "$mnt" ||
            { echo "fault-hunt: cannot mount a tmpfs; the disk runs stop" >&2; return; }
        mounted=$mnt
        mkdir -p "$mnt/d"
        count "disk:$command"
        local what="$command $name with $room bytes free"
        case $command in
            tag)
                cp "$song" "$mnt/d/$name"
                fill "$room"
                run_cli tag "$mnt/d/$name" "$big_lyrics"
                check_tag disk "$what" "$mnt/d/$name" "$song" ;;
            mp3)
                fill "$room"
                run_cli mp3 "$mp3_lyrics" "$song" "$mnt/d/out.mp3"
                check_mp3 disk "$what" "$song" "$mnt/d/out.mp3" "$song" ;;
            batch)
                local src=$work/batch-src
                rm -rf "$src"; mkdir -p "$src"
                cp "$song" "$src/x.mp3"; cp "$mp3_lyrics" "$src/x.txt"
                fill "$room"
                run_cli batch "$src" "$mnt/d"
                check_batch disk "$what" "$src" "$mnt/d" "$song" ;;
            decode)
                fill "$room"
                run_cli decode "$song" "$mnt/d/out.wav"
                check_decode disk "$what" "$song" "$mnt/d/out.wav" "$song" ;;
        esac
        umount "$mnt"
        mounted=
    done
}

# ------------------------------------------------------------- kill runs

# Each command's normal time on each long song, in ms, so the signals fall
# anywhere in a run; and the whole outputs each makes without a signal.
declare -A took=()
ref=$work/ref
time_command() {
    local key=$1 start
    shift
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    took[$key]=$((($(date +%s%N) - start) / 1000000 + 1))
}

prepare_kills() {
    mkdir -p "$ref/src" "$ref/dst"
    local song name
    for song in "${long_songs[@]}"; do
        name=$(basename "$song")
        cp "$song" "$ref/$name"
        time_command "tag:$name" "$cli" tag "$ref/$name" "$big_lyrics"
        time_command "decode:$name" "$cli" decode "$song" "$ref/$name.wav"
    done
    time_command mp3 "$cli" mp3 "$mp3_lyrics" "$long/song.mp3" "$ref/lyric.mp3"
    cp "$long/song.mp3" "$ref/src/x.mp3"; cp "$mp3_lyrics" "$ref/src/x.txt"
    time_command batch "$cli" batch "$ref/src" "$ref/dst"
}

# kill_one SIGNAL DELAY_MS COMMAND...: sets STATUS, 124 for a run the signal
# does not end within the timeout. The shell's own note of a job ended by a
# signal goes nowhere.
kill_one() {
    kill_job "$@" 2>/dev/null
}

kill_job() {
    local signal=$1 delay_ms=$2
    shift 2
    env --default-signal=INT,TERM,HUP "$@" >"$work/out" 2>"$work/err" </dev/null &
    local pid=$!
    sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
    kill -s "$signal" "$pid" 2>/dev/null
    # Polled, not waited for with a watchdog: a watchdog would be a copy of
    # this shell, and a signal to it would run the hunt's clean-up.
    local ticks=0 state=
    while [ "$ticks" -lt $((limit * 20)) ]; do
        state=
        { read -r _ _ state _ <"/proc/$pid/stat"; } 2>/dev/null
        [ -z "$state" ] || [ "$state" = Z ] && break
        sleep 0.05
        ticks=$((ticks + 1))
    done
    local hung=false
    if [ -n "$state" ] && [ "$state" != Z ]; then
        hung=true
        kill -KILL "$pid"
    fi
    wait "$pid" 2>/dev/null
    STATUS=$?
    if $hung; then STATUS=124; fi
}

# After SIGKILL a temporary file may stay (nothing can remove it): counted,
# not a finding.
killed_leftovers=0
check_leftovers() {
    local signal=$1 what=$2 folder=$3 left
    left=$(leftovers "$folder")
    [ -z "$left" ] && return
    if [ "$signal" = KILL ]; then
        killed_leftovers=$((killed_leftovers + 1))
    else
        finding kill "$what: left $left"
    fi
}

kills() {
    local n kd=$work/kill signals=(TERM INT HUP KILL) commands=(tag mp3 batch decode)
    for ((n = 0; n < kill_runs; n++)); do
        local signal command song name key delay what allowed
        rm -rf "$kd"
        mkdir -p "$kd/src" "$kd/dst"
        rnd 4; signal=${signals[$R]}
        rnd 4; command=${commands[$R]}
        rnd ${#long_songs[@]}; song=${long_songs[$R]}
        [ "$command" = tag ] || [ "$command" = decode ] || song=$long/song.mp3
        name=$(basename "$song")
        key=$command
        [ "$command" = tag ] || [ "$command" = decode ] && key=$command:$name
        rnd $((took[$key] * 6 / 5 + 1)); delay=$R
        count "kill:$command:$signal"
        what="$command $name: SIG$signal after ${delay}ms"
        allowed="0 1 $((128 + $(kill -l "$signal")))"
        case $command in
            tag)
                cp "$song" "$kd/src/$name"
                kill_one "$signal" "$delay" "$cli" tag "$kd/src/$name" "$big_lyrics"
                judge kill "$what" "$allowed" "$song" || continue
                cmp -s "$kd/src/$name" "$song" || cmp -s "$kd/src/$name" "$ref/$name" ||
                    finding kill "$what: the song is neither the original nor the tagged one" \
                        "$song" "$kd/src/$name"
                check_leftovers "$signal" "$what" "$kd/src" ;;
            decode)
                kill_one "$signal" "$delay" "$cli" decode "$song" "$kd/dst/out.wav"
                judge kill "$what" "$allowed 2 3 4" "$song" || continue
                [ ! -e "$kd/dst/out.wav" ] || cmp -s "$kd/dst/out.wav" "$ref/$name.wav" ||
                    finding kill "$what: a partial WAV" "$song"
                [ "$STATUS" != 0 ] || [ -e "$kd/dst/out.wav" ] ||
                    finding kill "$what: exit 0 without a WAV" "$song"
                check_leftovers "$signal" "$what" "$kd/dst" ;;
            mp3)
                kill_one "$signal" "$delay" "$cli" mp3 "$mp3_lyrics" "$song" "$kd/dst/out.mp3"
                judge kill "$what" "$allowed" "$song" || continue
                [ ! -e "$kd/dst/out.mp3" ] || cmp -s "$kd/dst/out.mp3" "$ref/lyric.mp3" ||
                    finding kill "$what: a partial lyric MP3" "$song"
                check_leftovers "$signal" "$what" "$kd/dst" ;;
            batch)
                cp "$song" "$kd/src/x.mp3"; cp "$mp3_lyrics" "$kd/src/x.txt"
                kill_one "$signal" "$delay" "$cli" batch "$kd/src" "$kd/dst"
                judge kill "$what" "$allowed" "$song" || continue
                [ ! -e "$kd/dst/x.mp3" ] || cmp -s "$kd/dst/x.mp3" "$ref/dst/x.mp3" ||
                    finding kill "$what: a partial lyric MP3" "$song"
                cmp -s "$kd/src/x.mp3" "$song" || finding kill "$what: changed the source" "$song"
                check_leftovers "$signal" "$what" "$kd/dst" ;;
        esac
    done
}

# ------------------------------------------------------------------ main

started=$(date +%s)
media
make_long_songs
disk
prepare_kills
kills

echo "fault-hunt: seed $seed, $(($(date +%s) - started)) s, $cli"
total=0
for key in $(printf '%s\n' "${!runs[@]}" | sort); do
    # Each exit status with its count, as "0×12 1×48".
    exits=$(printf '%s\n' ${statuses[$key]:-} | sort -n | uniq -c | awk '{ printf " %s×%s", $2, $1 }')
    printf '  %-22s %5d runs, exit%s\n' "$key" "${runs[$key]}" "$exits"
    total=$((total + runs[$key]))
done
printf '  %-22s %5d runs\n' total "$total"
echo "  temporary files left by SIGKILL (expected): $killed_leftovers"
if [ "$finding_count" = 0 ]; then
    echo "findings: none"
    rmdir "$findings_dir" 2>/dev/null
    exit 0
fi
echo "findings: $finding_count (inputs in $findings_dir)"
cat "$work/findings"
exit 1
