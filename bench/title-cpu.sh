#!/bin/bash
# Processor time of the title screen: the editor's whole process, and the X server's, while
# the title screen scrolls its text and nothing else happens.
#
#   bench/title-cpu.sh <korvandel binary> <korvandel-catalogue binary> [seconds, default 20]
#
# Starts the editor in a private X server (Xvfb, no window manager) on the demo catalogue,
# waits until the title screen is up, lets it run 3 s, then reads utime + stime of both
# processes from /proc before and after the measured seconds. Prints one line:
#   <seconds> s: editor <ms> ms CPU (<percent> % of one processor), X server <ms> ms
set -u
if [ $# -lt 2 ]; then
    echo "usage: $0 <korvandel> <korvandel-catalogue> [seconds]" >&2
    exit 2
fi
KORVANDEL=$(realpath "$1")
CATALOGUE=$(realpath "$2")
SECONDS_RUN=${3:-20}
if [ -z "${DISPLAY:-}" ]; then
    exec "$(dirname "$0")/../scripts/with-xvfb.sh" "$0" "$@"
fi
unset QT_QPA_PLATFORM

T=$(mktemp -d /tmp/korvandel-titlecpu.XXXXXX)
APP_PID=
trap '[ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null; wait 2>/dev/null; rm -rf "$T"' EXIT
mkdir -p "$T/work" "$T/home/.config"
(cd "$T/work" && HOME="$T/home" XDG_CONFIG_HOME="$T/home/.config" "$CATALOGUE" demo VantrelDB \
    >/dev/null) || exit 1
printf '[Paths]\n' >"$T/Vantrel.INI" # no warning box about a missing configuration
cd "$T/work"
HOME="$T/home" XDG_CONFIG_HOME="$T/home/.config" "$KORVANDEL" >"$T/log" 2>&1 &
APP_PID=$!

cpu_ms() { # utime + stime of a process, in milliseconds
    awk -v hz="$(getconf CLK_TCK)" '{ sub(/^.*\) /, ""); print ($12 + $13) * 1000 / hz }' \
        "/proc/$1/stat"
}
for _ in $(seq 1 100); do
    xdotool search --onlyvisible --name '^Vantrel : Korvandel$' >/dev/null 2>&1 && break
    sleep 0.2
done
xdotool search --onlyvisible --name '^Vantrel : Korvandel$' >/dev/null 2>&1 ||
    { echo "the title screen did not appear: $(cat "$T/log")" >&2; exit 1; }
# The X server that listens on this display's socket.
X_PID=$(ss -xlpn 2>/dev/null | grep -F "/tmp/.X11-unix/X${DISPLAY#:} " | grep -o 'pid=[0-9]*' |
    head -1 | cut -d= -f2)
[ -n "$X_PID" ] || { echo "cannot find the X server of $DISPLAY" >&2; exit 1; }
sleep 3
app0=$(cpu_ms "$APP_PID"); x0=$(cpu_ms "$X_PID")
sleep "$SECONDS_RUN"
app1=$(cpu_ms "$APP_PID"); x1=$(cpu_ms "$X_PID")
awk -v s="$SECONDS_RUN" -v a0="$app0" -v a1="$app1" -v x0="$x0" -v x1="$x1" 'BEGIN {
    printf "%d s: editor %d ms CPU (%.2f %% of one processor), X server %d ms\n",
           s, a1 - a0, (a1 - a0) / (s * 10), x1 - x0 }'
