# Shared by the end-to-end scripts, which source it: the editor's window layout, the
# pointer, passing an editor's start-up, and the run's work folder.

# Every run takes the editor, the catalogue tool and a folder for screenshots. Checks them,
# runs the sourcing script again in a private X session when there is no display (the
# headless platform that widget tests use would hide the window from pointer and keyboard),
# and sets KORVANDEL, CATALOGUE and SHOTS (empty: no screenshots).
# Call as: e2e_start "$0" "$@"
e2e_start() {
    local script=$1
    shift
    if [ $# -lt 2 ]; then
        echo "usage: $script <korvandel> <korvandel-catalogue> [screenshot dir]" >&2
        exit 2
    fi
    unset QT_QPA_PLATFORM
    if [ -z "${DISPLAY:-}" ]; then
        exec "$(dirname "$script")/with-xvfb.sh" "$script" "$@"
    fi
    KORVANDEL=$(realpath "$1")
    CATALOGUE=$(realpath "$2")
    SHOTS=${3:+$(realpath -m "$3")}
}

# The run's work folder T, removed at the end with the editor started as APP_PID stopped
# first. The default fail() reports, keeps the folder with a screenshot of the screen at the
# failure, and ends the run; a script with more to stop defines its own.
# Call as: e2e_work_folder NAME
e2e_work_folder() {
    T=$(mktemp -d "/tmp/korvandel-$1.XXXXXX")
    APP_PID=
    trap e2e_clean_up EXIT
}
e2e_clean_up() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$T"
}
fail() {
    echo "FAIL: $*" >&2
    import -window root "$T/failure.png" 2>/dev/null &&
        echo "screen at the failure: $T/failure.png (kept)" >&2 && trap - EXIT
    exit 1
}

MENU=19 # the menu bar's height: client coordinates + (0, MENU) are window coordinates
# Navigator buttons (client coordinates of their centres).
NEW_X=367; EDIT_X=443; POST_X=491; FIRST_X=23; PRIOR_X=99; NEXT_X=137; NAV_Y=16
SEARCH_X=617
# A field of the detail panel from its place in the panel: the scroll box is at (4, 164)
# with a 1-pixel frame; the point is a little inside the field.
field() { echo $((4 + 1 + $1 + 12)) $((164 + 1 + $2 + 10)); }
HEAT=$(field 68 204) # Heat and Damage (4,172) / To User (8,16) / edit (56,16)

# Window-relative clicks; without a window manager these are client coordinates.
# The pointer rests a moment before the click, as a hand's would: a press that arrives
# with the motion can reach the control before it knows the pointer is over it.
click() {
    xdotool mousemove --window "$1" "$2" "$3"
    sleep 0.2
    xdotool click 1
    sleep 0.3
}
# Clicks a point of the client area (below the menu bar) of the main window $WID.
clickClient() { click "$WID" "$1" $(($2 + MENU)); }
# A visible window of the editor process $1, by its caption.
find_window() { xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null | head -1; }

# Passes the start-up of the editor process $1 (the configuration warning when there is
# no ..\Vantrel.INI yet, the title screen) and prints its main window once the catalogue
# is open.
wait_for_main_window() {
    local pid=$1 wid box title
    for _ in $(seq 1 150); do
        kill -0 "$pid" 2>/dev/null || return 1
        wid=$(find_window "$pid" '^Vantrel Equipment Designer$')
        if [ -n "$wid" ]; then
            sleep 1
            echo "$wid"
            return 0
        fi
        box=$(find_window "$pid" '^Warning$')
        if [ -n "$box" ]; then
            xdotool windowraise "$box" key --window "$box" Return # its OK button has the focus
            sleep 0.5
            continue
        fi
        title=$(find_window "$pid" '^Vantrel : Korvandel$')
        if [ -n "$title" ]; then
            xdotool windowraise "$title"
            click "$title" 581 452 # its "Start" button
            xdotool key Return
            continue
        fi
        sleep 0.2
    done
    return 1
}
