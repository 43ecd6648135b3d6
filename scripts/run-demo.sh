#!/bin/bash
# Installs what is missing, builds Korvandel and starts it on the demo catalogue.
# The demo lives in work/demo/ (not tracked): the editor runs in work/demo/Editor, so the
# game's configuration file "..\Vantrel.INI" is work/demo/Vantrel.INI and the sounds are
# in work/demo/Audio/Default/. Delete work/demo to start again from the bundled demo.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
scripts/setup.sh
scripts/build.sh build >/dev/null
demo="$root/work/demo"
mkdir -p "$demo/Editor" "$demo/Audio/Default"
# An existing catalogue is left alone, so a designer's edits to the demo survive a restart.
if [ ! -s "$demo/Editor/VantrelDB.sqlite" ]; then
    (cd "$demo/Editor" && "$root/build/src/app/korvandel-catalogue" demo VantrelDB)
fi
if [ -x scripts/make-demo-audio.sh ] && [ -z "$(ls -A "$demo/Audio/Default")" ]; then
    scripts/make-demo-audio.sh "$demo/Audio/Default"
fi
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Korvandel is built, but this machine has no display to show its window on."
    echo "Start it under a virtual X server instead:"
    echo "    xvfb-run -a -s \"-screen 0 1280x1024x24\" bash scripts/run-demo.sh"
    exit 2
fi
cd "$demo/Editor"
exec "$root/build/src/app/korvandel"
