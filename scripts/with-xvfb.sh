#!/bin/bash
# Runs a command in a private X session: scripts/with-xvfb.sh COMMAND [ARGS...]
#
# The X server picks a free display number itself and reports it once it accepts
# connections (-displayfd), so two runs that start at the same moment never collide
# and the command never races the server's start.
set -euo pipefail
if [ $# -lt 1 ]; then
    echo "usage: $0 COMMAND [ARGS...]" >&2
    exit 2
fi
fifo=$(mktemp -u /tmp/korvandel-xvfb.XXXXXX)
mkfifo "$fifo"
# -noreset: a server resets when its last client leaves, and a client that connects during
# the reset is refused; the editor's own display check connects and leaves just before Qt
# connects.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" 2>/dev/null &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; rm -f "$fifo"' EXIT
if ! read -r -t 20 display <"$fifo"; then
    echo "$0: the X server did not start" >&2
    exit 1
fi
rm -f "$fifo"
export DISPLAY=":$display"
"$@"
