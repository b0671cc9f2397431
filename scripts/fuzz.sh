#!/usr/bin/env bash
# Builds the fuzz targets with clang (ASan + UBSan + libFuzzer) into
# build-fuzz/ (or $OBRIN_FUZZ_BUILD_DIR) and runs every target, or the ones
# named, at the lowest priority until each has used SECONDS of CPU time. Usage:
#   scripts/fuzz.sh [-j PARALLEL] SECONDS [TARGET...]     (e.g. 600 fuzz_vellin)
# CPU time rather than wall time, because the machine is shared and a fuzzer
# may be paused for a while; wall time is capped at four times SECONDS.
# Each target's corpus grows in build-fuzz/corpus/TARGET, seeded from
# fuzz/seeds and the test fixtures; a crashing input lands in
# build-fuzz/crashes/TARGET/ and makes the script fail. A timeout that does
# not happen again at full priority (the fuzzer was starved or paused) is set
# aside in build-fuzz/logs/unconfirmed/TARGET/. Logs: build-fuzz/logs/;
# one line per target (CPU minutes, executions, corpus, findings) also goes to
# build-fuzz/logs/summary.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
parallel=1
if [ "${1:-}" = "-j" ]; then
    parallel=$2
    shift 2
fi
seconds=${1:?usage: scripts/fuzz.sh [-j PARALLEL] SECONDS [TARGET...]}
shift
build_dir=${OBRIN_FUZZ_BUILD_DIR:-build-fuzz}
source_dir=$PWD

if [ ! -f "$build_dir/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DOBRIN_FUZZ=ON \
        -DOBRIN_BUILD_TESTS=OFF -DOBRIN_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build_dir" --target obrin_fuzzers -j "$(nproc)"

cd "$build_dir"
build_dir=$PWD
fixtures=$build_dir/fixtures
if [ ! -f "$fixtures/stamp" ]; then
    "$source_dir/tests/plugins/make_wave_fixtures.sh" "$fixtures/wave"
    "$source_dir/tests/plugins/make_wendax_fixtures.sh" "$fixtures/wendax"
    touch "$fixtures/stamp"
fi

# seed TARGET: fills an empty corpus from the checked-in seeds and fixtures.
seed() {
    local target=$1 corpus=$build_dir/corpus/$1 name=${1#fuzz_}
    mkdir -p "$corpus"
    if [ -n "$(ls -A "$corpus")" ]; then return; fi
    if [ -d "$source_dir/fuzz/seeds/$name" ]; then cp "$source_dir/fuzz/seeds/$name"/* "$corpus"/; fi
    case $target in
    fuzz_riff_reader | fuzz_vellin)
        for f in "$fixtures"/wave/*.wav; do
            if [ "$(stat -c %s "$f")" -le 40000 ]; then cp "$f" "$corpus"/; fi
        done ;;
    fuzz_wendax | fuzz_tessary)
        # The first 16 KB of each: headers and enough frames to decode.
        for f in "$fixtures"/wendax/*.{mp3,wma,m4a,ogg,opus,flac,mkv}; do
            head -c 16384 "$f" >"$corpus/$(basename "$f")"
        done ;;
    esac
}

dictionary() {
    case $1 in
    fuzz_lyrics_expansion | fuzz_tagged_lyrics) echo "-dict=$source_dir/fuzz/dict/lyrics.dict" ;;
    fuzz_tag_info) echo "-dict=$source_dir/fuzz/dict/tag_info.dict" ;;
    fuzz_riff_reader | fuzz_vellin) echo "-dict=$source_dir/fuzz/dict/riff.dict" ;;
    esac
}

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    mapfile -t targets < <(ls bin | grep '^fuzz_' | sort)
fi
mkdir -p logs
for target in "${targets[@]}"; do
    seed "$target"
    mkdir -p "crashes/$target"
done

# cpu_ticks PID: user + system time of a running process, in clock ticks.
cpu_ticks() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    echo "$stat" | awk '{ print $12 + $13 }'
}

# confirm TARGET: replays each timeout and slow input at full priority. The
# fuzzers run at the lowest priority on a shared machine and may be paused, so
# an input that does not time out again is set aside in logs/unconfirmed/.
confirm() {
    local target=$1 file
    for file in crashes/"$target"/timeout-* crashes/"$target"/slow-unit-*; do
        [ -e "$file" ] || continue
        if timeout 300 "bin/$target" -timeout=25 -rss_limit_mb=2048 "$file" >/dev/null 2>&1; then
            mkdir -p "logs/unconfirmed/$target"
            mv "$file" "logs/unconfirmed/$target/"
            echo "== not reproduced at full priority: $file" >>"logs/$target.log"
        fi
    done
}

# run TARGET: fuzzes until the target has used SECONDS of CPU time, starting
# it again after a timeout that does not reproduce; a real finding ends it.
run() {
    local target=$1 log=logs/$1.log tick total=0 ticks now pid
    tick=$(getconf CLK_TCK)
    : >"$log"
    while [ "$total" -lt $((seconds * tick)) ] && [ "$SECONDS" -lt $((seconds * 4)) ]; do
        # leak detection stays on; a slow input (over 25 s) counts as a finding.
        nice -n 19 "bin/$target" -max_total_time=$((seconds * 4 - SECONDS)) -timeout=25 \
            -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="crashes/$target/" \
            $(dictionary "$target") "corpus/$target" >>"$log" 2>&1 &
        pid=$!
        ticks=0
        # libFuzzer stops cleanly on SIGINT and prints its final statistics.
        while kill -0 "$pid" 2>/dev/null; do
            sleep 2
            now=$(cpu_ticks "$pid") || break
            ticks=$now
            if [ $((total + ticks)) -ge $((seconds * tick)) ]; then
                kill -INT "$pid" 2>/dev/null || true
                break
            fi
        done
        wait "$pid" || true
        total=$((total + ticks))
        confirm "$target"
        if [ -n "$(ls "crashes/$target")" ]; then break; fi
    done
    local runs
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | awk '{ n += $2 } END { print n + 0 }')
    printf '%-22s %5.1f CPU min %11s runs %6s runs/CPU s %6s corpus files %3s findings %3s unconfirmed timeouts\n' \
        "$target" "$(awk -v t="$total" -v h="$tick" 'BEGIN { printf "%.1f", t / h / 60 }')" "$runs" \
        "$(awk -v r="$runs" -v t="$total" -v h="$tick" 'BEGIN { printf "%.0f", t ? r * h / t : 0 }')" \
        "$(ls "corpus/$target" | wc -l)" "$(ls "crashes/$target" | wc -l)" \
        "$(ls "logs/unconfirmed/$target" 2>/dev/null | wc -l)" | tee -a logs/summary.txt
}
export -f run confirm dictionary cpu_ticks
export seconds source_dir
echo "== $(date -Is) $seconds CPU s per target" >>logs/summary.txt
printf '%s\n' "${targets[@]}" | xargs -P "$parallel" -I{} bash -c 'run {}'

findings=$(for target in "${targets[@]}"; do find "crashes/$target" -type f; done)
if [ -n "$findings" ]; then
    echo "findings:" && echo "$findings"
    exit 1
fi
