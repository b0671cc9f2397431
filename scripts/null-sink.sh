# Sourced by test.sh and the benchmarks: a PulseAudio server of our own whose
# default sink is a null sink, stopped again when the calling shell exits.
# start_null_sink returns 1 with the reason on standard error when the server
# does not start or does not answer, so no audio test is left to skip.
start_null_sink() {
    export XDG_RUNTIME_DIR=${OBRIN_PULSE_DIR:-$(mktemp -d /tmp/obrin-pulse.XXXXXX)}
    export PULSE_RUNTIME_PATH=$XDG_RUNTIME_DIR/pulse
    mkdir -p "$PULSE_RUNTIME_PATH"
    chmod 700 "$XDG_RUNTIME_DIR"
    unset PULSE_SERVER
    # Without rewinds the sink never takes back audio it had already mixed
    # ahead when a stream writes more, so a stream's read index only moves
    # forward and the played-audio clock derived from it wanders by a few
    # milliseconds instead of tens.
    local flags=(--daemonize=yes --exit-idle-time=-1 --disallow-exit --use-pid-file=yes
                 -n "--load=module-null-sink sink_name=obrin_null norewinds=1"
                 --load=module-native-protocol-unix --load=module-always-sink)
    [ "$(id -u)" -eq 0 ] && flags+=(--system=no)
    local log=$XDG_RUNTIME_DIR/pulseaudio.log
    if ! pulseaudio "${flags[@]}" >"$log" 2>&1; then
        echo "error: could not start PulseAudio (scripts/install-deps.sh installs it):" >&2
        cat "$log" >&2
        return 1
    fi
    trap 'pulseaudio --kill >/dev/null 2>&1 || true; rm -rf "$XDG_RUNTIME_DIR"' EXIT
    local answered=""
    for _ in $(seq 50); do
        pactl info >/dev/null 2>&1 && answered=yes && break
        sleep 0.1
    done
    if [ -z "$answered" ]; then
        echo "error: PulseAudio started but does not answer pactl within 5 s" >&2
        return 1
    fi
    if ! pactl set-default-sink obrin_null; then
        echo "error: PulseAudio has no null sink obrin_null" >&2
        return 1
    fi
}
