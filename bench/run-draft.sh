#!/usr/bin/env bash
# Measures the timing draft on the generated measurement set
# (scripts/make-draft-set.sh) and prints, over the lines of the short songs,
# the median and 90th percentile of |proposed - true| line start and the
# share within 0.3, 0.5 and 1.0 s, each song's median (a song over 1 s is
# flagged) and drift, the same for the baseline that spreads the lines evenly
# between the first and the last onset, and then the time and peak memory of
# drafting the 5-minute song, through draft_bench and through obrin-cli draft.
# Targets: median <= 0.3 s, >= 80 % within 0.5 s, no song median over 1 s;
# the 5-minute song in < 5 s and < 200 MB.
# Usage: bench/run-draft.sh [SET_FOLDER]
# A SET_FOLDER that already holds a set is reused (the set is deterministic);
# one that does not is filled first. Without it the set is made into a
# temporary folder and removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${OBRIN_BUILD_DIR:-build}
[ -d "$build_dir" ] || { echo "run-draft: build first (scripts/build.sh)" >&2; exit 1; }
# Only what is measured is built: the set needs nothing else of the build.
cmake --build "$build_dir" --target draft_bench obrin-cli vellin obrin_plugin_registry >/dev/null
bench=$build_dir/bin/draft_bench
cli=$build_dir/bin/obrin-cli
[ -x /usr/bin/time ] || { echo "run-draft: needs /usr/bin/time (GNU time)" >&2; exit 1; }

if [ $# -ge 1 ]; then
    set_dir=$1
else
    set_dir=$(mktemp -d)
    trap 'rm -rf "$set_dir"' EXIT
fi
if [ ! -f "$set_dir/set.list" ]; then
    echo "== making the set into $set_dir"
    start=$(date +%s.%N)
    scripts/make-draft-set.sh "$set_dir"
    awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "made in %.1f s\n", e - s }'
fi
grep -q '^long ' "$set_dir/set.list" || { echo "run-draft: $set_dir has no 5-minute song" >&2; exit 1; }

echo "== the draft and the even baseline over the set"
"$bench" set "$set_dir"
echo
echo "== drafting the 5-minute song"
"$bench" one "$set_dir" long
echo
echo "== obrin-cli draft of the 5-minute song (converted through its plug-in, drafted, written)"
/usr/bin/time -f '%e %U %S %M' -o "$set_dir/cli.time" \
    "$cli" draft -o "$set_dir/long-draft.txt" "$set_dir/long.wav" "$set_dir/long.txt"
read -r wall user system peak <"$set_dir/cli.time"
awk -v w="$wall" -v u="$user" -v s="$system" -v m="$peak" 'BEGIN {
    printf "  wall time    %7.2f s    target < 5 s    %s\n", w, (w < 5) ? "ok" : "MISSED"
    printf "  processor    %7.2f s\n", u + s
    printf "  peak memory  %7.1f MB   target < 200 MB  %s\n", m / 1024, (m / 1024 < 200) ? "ok" : "MISSED"
}'
rm -f "$set_dir/cli.time" "$set_dir/long-draft.txt"
