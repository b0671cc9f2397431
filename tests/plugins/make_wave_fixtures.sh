#!/usr/bin/env bash
# Makes the RIFF WAVE files the vellin tests convert, one per audio coding,
# each with ffmpeg's own decode of it beside it (NAME.ref: raw samples in the
# format vellin is expected to write), so the tests compare against an
# independent decoder. Usage: make_wave_fixtures.sh OUT_DIR
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"

# Two different tones per channel, so a swapped or dropped channel shows.
stereo="aevalsrc=0.4*sin(2*PI*440*t)+0.1*sin(2*PI*3000*t)|0.3*sin(2*PI*660*t):d=1.5"
mono="aevalsrc=0.5*sin(2*PI*523*t)+0.2*sin(2*PI*1800*t):d=1.5"
ff=(ffmpeg -nostdin -hide_banner -loglevel error -y)

# make NAME SOURCE RATE REF_FORMAT ENCODER_ARGS...
# -bitexact keeps ffmpeg from adding its own "LIST" chunk, so only the
# fixtures that want extra chunks have them.
make() {
    local name=$1 source=$2 rate=$3 ref=$4
    shift 4
    "${ff[@]}" -f lavfi -i "$source:s=$rate" -fflags +bitexact -flags +bitexact "$@" "$name.wav"
    "${ff[@]}" -i "$name.wav" -f "$ref" -c:a "pcm_$ref" "$name.ref"
}

make pcm_u8_mono "$mono" 11025 u8 -c:a pcm_u8
make pcm_s16_stereo "$stereo" 44100 s16le -c:a pcm_s16le
make pcm_s24_stereo "$stereo" 48000 s24le -c:a pcm_s24le
make pcm_s32_mono "$mono" 32000 s32le -c:a pcm_s32le
make float32_stereo "$stereo" 44100 s16le -c:a pcm_f32le
make float64_mono "$mono" 22050 s16le -c:a pcm_f64le
make alaw_mono "$mono" 8000 s16le -c:a pcm_alaw
make mulaw_mono "$mono" 8000 s16le -c:a pcm_mulaw
make ima_adpcm_stereo "$stereo" 22050 s16le -c:a adpcm_ima_wav
make ms_adpcm_mono "$mono" 22050 s16le -c:a adpcm_ms
make mp3_stereo "$stereo" 44100 s16le -c:a libmp3lame -b:a 128k
make gsm_mono "$mono" 8000 s16le -c:a libgsm_ms

# Chunks before "data": ffmpeg writes "fact" for compressed codings and
# "LIST" for metadata.
"${ff[@]}" -f lavfi -i "$stereo:s=22050" -metadata title=fixture -c:a adpcm_ima_wav fact_list_ima.wav
"${ff[@]}" -i fact_list_ima.wav -f s16le -c:a pcm_s16le fact_list_ima.ref
"${ff[@]}" -f lavfi -i "$mono:s=16000" -metadata title=fixture -c:a pcm_s16le list_pcm.wav
"${ff[@]}" -i list_pcm.wav -f s16le -c:a pcm_s16le list_pcm.ref

# "-rf64 auto" reserves room for a 64-bit size header with a "JUNK" chunk
# ahead of "fmt ", as many recorders do.
"${ff[@]}" -f lavfi -i "$stereo:s=44100" -fflags +bitexact -flags +bitexact -rf64 auto -c:a pcm_s16le junk_first_pcm.wav
"${ff[@]}" -i junk_first_pcm.wav -f s16le -c:a pcm_s16le junk_first_pcm.ref

# An odd number of 8-bit mono samples: the output's "data" needs a pad byte.
"${ff[@]}" -f lavfi -i "$mono:s=11025" -t 0.2 -fflags +bitexact -flags +bitexact -c:a pcm_u8 odd_u8.wav
"${ff[@]}" -i odd_u8.wav -f u8 -c:a pcm_u8 odd_u8.ref

# Five seconds of 16-bit stereo: many blocks, for the progress and stop tests.
"${ff[@]}" -f lavfi -i "$stereo:s=44100" -t 5 -fflags +bitexact -flags +bitexact -c:a pcm_s16le long_s16.wav
