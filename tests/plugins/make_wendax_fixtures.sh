#!/usr/bin/env bash
# Makes the compressed music files the wendax tests convert, a few seconds
# each, with ffmpeg's own decode of each beside it (NAME.ref: 16-bit PCM at
# the source's rate, mono kept mono, more channels mixed down to stereo), so
# the tests compare against an independent decode. Usage:
# make_wendax_fixtures.sh OUT_DIR
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"

# Two different tones per channel, so a swapped or dropped channel shows.
stereo="aevalsrc=0.4*sin(2*PI*440*t)+0.1*sin(2*PI*3000*t)|0.3*sin(2*PI*660*t):d=3"
mono="aevalsrc=0.5*sin(2*PI*523*t)+0.2*sin(2*PI*1800*t):d=3"
six="aevalsrc=0.3*sin(2*PI*440*t)|0.3*sin(2*PI*550*t)|0.3*sin(2*PI*660*t)|0.2*sin(2*PI*80*t)|0.2*sin(2*PI*770*t)|0.2*sin(2*PI*880*t):c=5.1:d=3"
video="testsrc=s=64x48:r=10:d=3"
ff=(ffmpeg -nostdin -hide_banner -loglevel error -y)

# make FILE SOURCE RATE CHANNELS ENCODER_ARGS...
make() {
    local file=$1 source=$2 rate=$3 channels=$4
    shift 4
    "${ff[@]}" -f lavfi -i "$source:s=$rate" "$@" "$file"
    "${ff[@]}" -i "$file" -ac "$channels" -f s16le -c:a pcm_s16le "${file%.*}.ref"
}

make wma_stereo.wma "$stereo" 44100 2 -c:a wmav2 -b:a 128k
make mp3_cbr_stereo.mp3 "$stereo" 44100 2 -c:a libmp3lame -b:a 128k
make mp3_vbr_mono.mp3 "$mono" 22050 1 -c:a libmp3lame -q:a 4
make aac_stereo.m4a "$stereo" 44100 2 -c:a aac -b:a 128k
make vorbis_mono.ogg "$mono" 22050 1 -c:a libvorbis -q:a 3
make opus_stereo.opus "$stereo" 48000 2 -c:a libopus -b:a 96k
make flac_stereo.flac "$stereo" 44100 2 -c:a flac
make flac_96k.flac "$stereo" 96000 2 -c:a flac -sample_fmt s32
make flac_5_1.flac "$six" 48000 2 -c:a flac

# A video stream listed before the audio stream, and a file with no audio.
"${ff[@]}" -f lavfi -i "$video" -f lavfi -i "$stereo:s=44100" -map 0:v -map 1:a \
    -c:v mpeg4 -c:a libvorbis video_first.mkv
"${ff[@]}" -i video_first.mkv -map 0:a -ac 2 -f s16le -c:a pcm_s16le video_first.ref
"${ff[@]}" -f lavfi -i "$video" -c:v mpeg4 video_only.mkv

# Half a minute, for stopping while the reader is still delivering.
"${ff[@]}" -f lavfi -i "${stereo/d=3/d=30}:s=44100" -c:a libmp3lame -b:a 64k long.mp3
