#!/bin/bash
# Starts a private PulseAudio server for the sound tests: one null sink "ci" (44.1 kHz,
# stereo) whose monitor the tests record, reached through a unix socket without
# authentication. Prints the line to evaluate:   eval "$(scripts/start-sound-server.sh)"
# A server already answering on the socket is reused. "--stop" ends it.
set -euo pipefail

dir="${KORVANDEL_PULSE_DIR:-/tmp/korvandel-pulse}"
socket="$dir/native"
server="unix:$socket"

if [ "${1:-}" = "--stop" ]; then
    PULSE_SERVER="$server" pactl exit 2>/dev/null || true
    exit 0
fi

mkdir -p "$dir"
chmod 700 "$dir"
if ! PULSE_SERVER="$server" pactl info >/dev/null 2>&1; then
    rm -f "$socket"
    # The server keeps its pid file and state in our folder, so it never meets a desktop
    # server of the same user. norewinds=1 keeps the monitor from losing the start of each
    # stream.
    PULSE_RUNTIME_PATH="$dir" PULSE_STATE_PATH="$dir" \
        pulseaudio -D -n --exit-idle-time=-1 --log-target="file:$dir/pulse.log" \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$socket" \
        -L "module-null-sink sink_name=ci rate=44100 channels=2 norewinds=1" >&2
    for _ in $(seq 50); do
        PULSE_SERVER="$server" pactl info >/dev/null 2>&1 && break
        sleep 0.1
    done
    PULSE_SERVER="$server" pactl info >/dev/null
fi
echo "export PULSE_SERVER=$server"
