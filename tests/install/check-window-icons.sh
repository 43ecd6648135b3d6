#!/bin/bash
# Every window that the editor shows carries the program's icon (_NET_WM_ICON), whatever a
# menu entry says: the title screen, the configuration warning, the main window and the
# question about the demo catalogue of a first start. Runs in a private X session.
#
#   check-window-icons.sh KORVANDEL
set -u
if [ $# -ne 1 ]; then
    echo "usage: $0 KORVANDEL" >&2
    exit 2
fi
here=$(dirname "$(realpath "$0")")
scripts=$here/../../scripts
if [ -z "${DISPLAY:-}" ]; then
    exec "$scripts/with-xvfb.sh" "$0" "$@"
fi
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
source "$scripts/e2e-lib.sh"

program=$(realpath "$1")
work=$(mktemp -d /tmp/korvandel-icons.XXXXXX)
mkdir -p "$work/home" "$work/game/Editor"
(cd "$work/game/Editor" && exec env HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
    "$program") >"$work/korvandel.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null; rm -rf "$work"' EXIT

declare -A seen # caption -> "icon" or "no icon"
for _ in $(seq 1 150); do
    kill -0 $pid 2>/dev/null || break
    for wid in $(xdotool search --all --onlyvisible --pid $pid 2>/dev/null); do
        name=$(xdotool getwindowname "$wid" 2>/dev/null) || continue
        [ -n "${seen[$name]:-}" ] && continue
        # The property holds width, height and the pixels: far more than two numbers.
        if [ "$(xprop -id "$wid" _NET_WM_ICON 2>/dev/null | tr ',' '\n' | wc -l)" -gt 16 ]; then
            seen[$name]=icon
        else
            seen[$name]="no icon"
        fi
    done
    [ -n "${seen[Confirm]:-}" ] && break
    box=$(find_window $pid '^Warning$')
    if [ -n "$box" ]; then
        xdotool windowraise "$box" key --window "$box" Return 2>/dev/null
    else
        title=$(find_window $pid '^Vantrel : Korvandel$')
        if [ -n "$title" ]; then
            xdotool windowraise "$title"
            click "$title" 581 452 # its "Start" button
        fi
    fi
    sleep 0.2
done

failures=0
for name in 'Vantrel : Korvandel' Warning 'Vantrel Equipment Designer' Confirm; do
    case "${seen[$name]:-}" in
    icon) echo "ok:   window '$name' has the icon" ;;
    "") echo "FAIL: window '$name' never appeared"; failures=$((failures + 1)) ;;
    *) echo "FAIL: window '$name' has no icon"; failures=$((failures + 1)) ;;
    esac
done
if [ $failures -ne 0 ]; then
    echo "windows seen: ${!seen[*]}"
    cat "$work/korvandel.log"
fi
[ $failures -eq 0 ]
