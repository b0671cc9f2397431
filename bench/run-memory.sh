#!/usr/bin/env bash
# Peak memory of obrin-cli against its targets, and how soon a stop ends a
# slow open:
# - `decode` of an MP3 followed by zero padding, at 100 MiB and at 1 GiB
#   (the padding is a sparse file, so the disk holds only the MP3), and of
#   the plain MP3: under 100 MB whatever the size of the file;
# - `std-lrc` of 33 MB of line feeds and of 33 MB of timed lines: under ten
#   times the size of the file (the timed lines, 12 bytes each, come close:
#   each becomes a lyric line of the document, 104 bytes before its text, so
#   the lines alone are 8.7 times the file; on 2026-12-08 the line feeds
#   peaked at 90 MB, the timed lines at 300 MB against 315);
# - `decode` of a FLAC with 100,000 Vorbis comments, which FFmpeg opens in
#   minutes, stopped with SIGTERM after half a second: gone within a second,
#   with no partial file left.
# Usage: bench/run-memory.sh   (build first: scripts/build.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${OBRIN_BUILD_DIR:-build}/bin
cli=$bin/obrin-cli
[ -x "$cli" ] || { echo "run-memory: $cli is not built" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "run-memory: needs /usr/bin/time (GNU time)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ff=(ffmpeg -nostdin -hide_banner -loglevel error -y)

# peak_mb CMD...: the command's peak resident memory in MB (its exit status
# is not asked).
peak_mb() {
    /usr/bin/time -f '%M' -o "$work/time" "$@" >/dev/null 2>&1 || true
    awk '{ printf "%.1f", $1 / 1024 }' "$work/time"
}

# report NAME MB TARGET_MB
report() {
    local verdict
    verdict=$(awk -v m="$2" -v t="$3" 'BEGIN { print (m < t) ? "ok" : "OVER" }')
    printf '%-34s %9s MB  target < %7s MB  %s\n' "$1" "$2" "$3" "$verdict"
}

"${ff[@]}" -f lavfi -i "sine=f=440:d=5" -ac 2 -ar 44100 -c:a libmp3lame -b:a 128k "$work/song.mp3"
for size in 100M 1G; do
    cp "$work/song.mp3" "$work/padded-$size.mp3"
    truncate -s "$size" "$work/padded-$size.mp3"
done

printf '%-34s %12s  %16s\n' "case" "peak" "target"
report "decode song.mp3 (5 s)" "$(peak_mb "$cli" decode "$work/song.mp3" "$work/out.wav")" 100
for size in 100M 1G; do
    report "decode song.mp3 + zeros to $size" \
        "$(peak_mb "$cli" decode "$work/padded-$size.mp3" "$work/out.wav")" 100
done
rm -f "$work"/padded-*.mp3 "$work/out.wav"

head -c 33000000 /dev/zero | tr '\0' '\n' >"$work/feeds.txt"
# 2,750,000 lines of 12 bytes: 33 MB.
awk 'BEGIN { for (i = 0; i < 2750000; i++) printf "[%02d:%02d.%02d]x\n", i / 6000 % 60, i / 100 % 60, i % 100 }' \
    >"$work/timed.txt"
for lyrics in feeds.txt timed.txt; do
    bytes=$(stat -c %s "$work/$lyrics")
    report "std-lrc $lyrics ($((bytes / 1000000)) MB)" \
        "$(peak_mb "$cli" std-lrc -o "$work/out.lrc" "$work/$lyrics")" \
        "$(awk -v b="$bytes" 'BEGIN { printf "%.0f", b * 10 / 1048576 }')"
done
rm -f "$work"/*.txt "$work/out.lrc"

# A FLAC whose Vorbis comments are 100,000 fields of their own keys.
"${ff[@]}" -f lavfi -i "sine=d=1" -ac 1 -ar 8000 "$work/plain.flac"
python3 - "$work/plain.flac" "$work/comments.flac" <<'EOF'
import struct, sys
data = open(sys.argv[1], 'rb').read()
pos, blocks = 4, []
while True:
    kind, size = data[pos] & 0x7F, int.from_bytes(data[pos + 1:pos + 4], 'big')
    if kind != 4:
        blocks.append((kind, data[pos + 4:pos + 4 + size]))
    pos += 4 + size
    if data[pos - 4 - size] & 0x80:
        break
fields = [b'K%d=v' % i for i in range(100000)]
comments = struct.pack('<II', 0, len(fields)) + b''.join(struct.pack('<I', len(f)) + f for f in fields)
blocks.append((4, comments))
out = b'fLaC' + b''.join(bytes([k | (0x80 if i == len(blocks) - 1 else 0)]) + len(b).to_bytes(3, 'big') + b
                         for i, (k, b) in enumerate(blocks))
open(sys.argv[2], 'wb').write(out + data[pos:])
EOF
"$cli" decode "$work/comments.flac" "$work/out.wav" 2>/dev/null &
pid=$!
sleep 0.5
start=$(date +%s.%N)
kill -TERM "$pid"
wait "$pid" || true
end=$(date +%s.%N)
left=$(find "$work" -name '*out.wav*' | wc -l)
awk -v s="$start" -v e="$end" -v l="$left" 'BEGIN {
    t = e - s
    printf "%-34s %9.2f s   target < %7s s   %s\n", "SIGTERM while a FLAC opens", t, 1, (t < 1 && l == 0) ? "ok" : "OVER"
    if (l != 0) print "  a partial file was left behind"
}'
