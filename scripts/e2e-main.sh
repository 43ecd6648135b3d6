#!/bin/bash
# End-to-end run of the editor in a real X session, driven as a user would drive it.
#
#   scripts/e2e-main.sh <korvandel binary> <korvandel-catalogue binary> [screenshot dir]
#
# Starts the editor on the demo catalogue in a temporary work folder, then with the mouse
# and keyboard: Edit, change the heat field, Post (the database file must hold the new
# value); type into a field while browsing (nothing may change); click into the Era box
# and out again (no error box); New, fill in the name, move to another row (the new row
# must be stored); with the grid focused, New, a click into the name and typing (the new
# row is kept and stored), and New, a click into the name and one into the search box (the
# untouched new row is dropped); a search and an edit-post cycle with the keyboard alone
# (the searched row must hold the posted name); play the fire sound, which is a FIFO, and
# exit (the editor must end). With a
# screenshot dir it also leaves
# main.png (the window at its design size) and main-panel-bottom.png (the detail panel
# scrolled to its bottom) there.
#
# Without a display it runs itself in a private X session (scripts/with-xvfb.sh).
set -u

source "$(dirname "$0")/e2e-lib.sh"
e2e_start "$0" "$@"

e2e_work_folder e2e

DB="$T/work/VantrelDB.sqlite"
# Read-only: a writing connection that closes while the editor has the file open would
# checkpoint and remove the write-ahead log under the editor's feet.
sql() { sqlite3 -readonly "$DB" "$1"; }

mkdir -p "$T/work" "$T/home/.config" "$T/Audio/Default"
(cd "$T/work" && HOME="$T/home" XDG_CONFIG_HOME="$T/home/.config" "$CATALOGUE" demo VantrelDB \
    >/dev/null) || fail "cannot write the demo catalogue"
# The first row's fire sound "laser" names a FIFO: opening it for reading would block.
mkfifo "$T/Audio/Default/laser.wav" || fail "cannot make the FIFO"

# A fresh user: no alias configuration of its own, so VantrelDB is the working folder's file.
cd "$T/work"
HOME="$T/home" XDG_CONFIG_HOME="$T/home/.config" "$KORVANDEL" >"$T/korvandel.log" 2>&1 &
APP_PID=$!

WID=$(wait_for_main_window "$APP_PID") ||
    fail "the main window did not appear: $(cat "$T/korvandel.log")"
[ -f "$T/Vantrel.INI" ] || fail "the configuration file was not created"

FIRST=$(sql "SELECT Number FROM Equipment ORDER BY rowid LIMIT 1")
NAME_BEFORE=$(sql "SELECT Name FROM Equipment WHERE Number = $FIRST")
ROWS_BEFORE=$(sql "SELECT COUNT(*) FROM Equipment")

if [ -n "$SHOTS" ]; then
    mkdir -p "$SHOTS"
    xdotool mousemove --window "$WID" 300 $((525 + MENU)) # nowhere in particular
    sleep 0.5
    import -window "$WID" "$SHOTS/main.png"
fi

NAME=$(field 48 24)  # Name (4,8) / edit (44,16)
ERA=$(field 644 24)  # Name (4,8) / drop-down box (640,16), its text part
FIRE=$(field 88 112) # Internal Info (4,96) / "Fire Sound" (84,16)
GRID_ROW1="150 60"   # the grid's first row: grid at (4,32), titles 19 high
# The default error report is captioned with the application title.
no_error_box() { [ -z "$(find_window "$APP_PID" '^Korvandel$')" ]; }

# 1. Edit, change the heat field, Post: the table holds the new value.
clickClient $EDIT_X $NAV_Y
clickClient $HEAT
xdotool key ctrl+a
xdotool type --delay 50 '77'
clickClient $POST_X $NAV_Y
sleep 0.5
got=$(sql "SELECT HeatToUser FROM Equipment WHERE Number = $FIRST")
[ "$got" = "77" ] || fail "posted heat is '$got', expected 77"
echo "ok: Edit, heat field, Post stored 77"

# 2. Typing while browsing changes nothing, not even after a move to another row.
clickClient $NAME
xdotool key End
xdotool type --delay 50 'zzz'
clickClient $NEXT_X $NAV_Y
sleep 0.5
got=$(sql "SELECT Name FROM Equipment WHERE Number = $FIRST")
[ "$got" = "$NAME_BEFORE" ] || fail "browsing changed the name to '$got'"
echo "ok: typing while browsing changed nothing"

# 3. Clicking into the Era box and out again, on a row whose era is not the box's first
#    entry, is no pick: no error box, and the focus moves on.
IS_ROW=$(sql "SELECT COUNT(*) FROM Equipment WHERE rowid < (SELECT MIN(rowid) FROM Equipment WHERE Era = 'IS')")
clickClient $FIRST_X $NAV_Y
for _ in $(seq 1 "$IS_ROW"); do clickClient $NEXT_X $NAV_Y; done
clickClient $ERA
clickClient $NAME
sleep 0.5
no_error_box || fail "leaving the Era box without a pick showed an error box"
echo "ok: leaving the Era box without a pick reported nothing"

# 4. New, fill in the name, move to another row: the new row is stored.
clickClient $NEW_X $NAV_Y
clickClient $NAME
xdotool type --delay 50 'E2E Blaster'
clickClient $FIRST_X $NAV_Y
sleep 0.5
got=$(sql "SELECT COUNT(*) FROM Equipment WHERE Name = 'E2E Blaster'")
[ "$got" = "1" ] || fail "the new row was not stored (found $got)"
rows=$(sql "SELECT COUNT(*) FROM Equipment")
[ "$rows" = $((ROWS_BEFORE + 1)) ] || fail "expected $((ROWS_BEFORE + 1)) rows, found $rows"
echo "ok: New, name, move stored the new row"

# 5. With the grid focused, New and then a click into the name keeps the new row (the
#    grid and the panel show the same row), so what is typed there is stored at the move.
#    An untouched new row is dropped when the focus leaves for the search box.
clickClient $GRID_ROW1
clickClient $NEW_X $NAV_Y
clickClient $NAME
xdotool type --delay 50 'E2E Kept'
clickClient $NEXT_X $NAV_Y
sleep 0.5
no_error_box || fail "an error box came up after New and a click into the name"
got=$(sql "SELECT COUNT(*) FROM Equipment WHERE Name = 'E2E Kept'")
[ "$got" = "1" ] || fail "the typing after New and a click into the name was lost (found $got)"
rows=$((rows + 1))
[ "$(sql "SELECT COUNT(*) FROM Equipment")" = "$rows" ] || fail "the row count is not $rows"
clickClient $GRID_ROW1
clickClient $NEW_X $NAV_Y
clickClient $NAME
clickClient $((SEARCH_X + 60)) $NAV_Y # the search box
clickClient $NEXT_X $NAV_Y
sleep 0.5
no_error_box || fail "an error box came up after an untouched new row was left"
[ "$(sql "SELECT COUNT(*) FROM Equipment")" = "$rows" ] || fail "the untouched new row was stored"
echo "ok: grid, New, click into the name kept the new row; leaving it untouched dropped it"

# 6. The keyboard alone: Ctrl+F, a name, Alt+S searches; Ctrl+F and Tab go round to the grid,
#    Ctrl+Tab on to the Name field; Ctrl+E edits, Esc restores the field and a second Esc
#    cancels the edit; Ctrl+E again, the changed name, Ctrl+S posts. The row found by the
#    search must hold the new name, and the cancelled typing must be nowhere.
TARGET=$(sql "SELECT e.Name FROM Equipment e WHERE e.Name NOT LIKE '%''%' AND e.Name <> ''
    AND NOT EXISTS (SELECT 1 FROM Equipment o WHERE o.Number <> e.Number AND
        (instr(lower(o.Name), lower(e.Name)) > 0 OR instr(lower(o.Abbrev), lower(e.Name)) > 0))
    ORDER BY e.Number LIMIT 1 OFFSET 10")
[ -n "$TARGET" ] || fail "no name in the demo catalogue is unique enough to search for"
TARGET_NO=$(sql "SELECT Number FROM Equipment WHERE Name = '$TARGET'")
xdotool key ctrl+f
xdotool type --delay 50 "$TARGET"
xdotool key alt+s
sleep 1
xdotool key ctrl+f Tab ctrl+Tab
sleep 0.3
xdotool key ctrl+e End
xdotool type --delay 50 'zz'
xdotool key Escape Escape
sleep 0.3
xdotool key ctrl+e End
xdotool type --delay 50 ' Mk2'
xdotool key ctrl+s
sleep 0.5
no_error_box || fail "an error box came up during the keyboard cycle"
got=$(sql "SELECT Name FROM Equipment WHERE Number = $TARGET_NO")
[ "$got" = "$TARGET Mk2" ] || fail "after search and Ctrl+E/Ctrl+S the name is '$got', expected '$TARGET Mk2'"
[ "$(sql "SELECT COUNT(*) FROM Equipment WHERE Name LIKE '%zz%'")" = "0" ] ||
    fail "the typing cancelled with Esc was stored"
echo "ok: search and edit-post cycle with the keyboard alone ('$TARGET Mk2')"

if [ -n "$SHOTS" ]; then
    # The detail panel scrolled to its bottom with the wheel over its scroll bar.
    xdotool mousemove --window "$WID" 778 $((400 + MENU)) click --repeat 40 --delay 20 5
    xdotool mousemove --window "$WID" 300 $((525 + MENU))
    sleep 0.5
    import -window "$WID" "$SHOTS/main-panel-bottom.png"
fi

kill -0 "$APP_PID" 2>/dev/null || fail "the editor ended during the run"

# 7. The fire sound of the first row is a FIFO: it plays the default sound, and Files >
#    Exit still ends the editor at once.
clickClient $FIRST_X $NAV_Y
clickClient $FIRE
click "$WID" 20 9 # the "Files" menu
xdotool key Up Return # its last item, "&Exit"
for _ in $(seq 1 50); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.2
done
kill -0 "$APP_PID" 2>/dev/null && fail "the editor did not end after Files > Exit"
wait "$APP_PID" 2>/dev/null
APP_PID=
echo "ok: a FIFO as sound file, then Files > Exit ended the editor"
echo "PASS"
