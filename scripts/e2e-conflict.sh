#!/bin/bash
# End-to-end run of a conflict at Post in a real X session: the editor edits a row's heat,
# another program changes the same column of the same row, Post shows the conflict box and
# leaves the other program's value in the file; a second Post stores the user's value.
#
#   scripts/e2e-conflict.sh <korvandel binary> <korvandel-catalogue binary> [screenshot dir]
#
# Without a display it runs itself in a private X session (scripts/with-xvfb.sh).
set -u

source "$(dirname "$0")/e2e-lib.sh"
e2e_start "$0" "$@"

e2e_work_folder e2e-conflict

DB="$T/work/VantrelDB.sqlite"
sql() { sqlite3 -readonly "$DB" "$1"; }
# The other program writing the same catalogue.
other() { sqlite3 -cmd ".timeout 5000" "$DB" "$1"; }

mkdir -p "$T/work" "$T/home/.config"
(cd "$T/work" && HOME="$T/home" XDG_CONFIG_HOME="$T/home/.config" "$CATALOGUE" demo VantrelDB \
    >/dev/null) || fail "cannot write the demo catalogue"
cd "$T/work"
HOME="$T/home" XDG_CONFIG_HOME="$T/home/.config" "$KORVANDEL" >"$T/korvandel.log" 2>&1 &
APP_PID=$!

# The error box: a window captioned with the application's name.
error_box() { find_window "$APP_PID" '^Korvandel$'; }

WID=$(wait_for_main_window "$APP_PID") ||
    fail "the main window did not appear: $(cat "$T/korvandel.log")"

FIRST=$(sql "SELECT Number FROM Equipment ORDER BY rowid LIMIT 1")

# Edit the heat; meanwhile another program sets the same column of the same row.
clickClient $EDIT_X $NAV_Y
clickClient $HEAT
xdotool key ctrl+a
xdotool type --delay 50 '77'
other "UPDATE Equipment SET HeatToUser = 9 WHERE Number = $FIRST;"

# Post: refused with the conflict box; the other program's value stays.
clickClient $POST_X $NAV_Y
BOX=
for _ in $(seq 1 25); do
    BOX=$(error_box)
    [ -n "$BOX" ] && break
    sleep 0.2
done
[ -n "$BOX" ] || fail "Post showed no conflict box"
[ -n "$SHOTS" ] && mkdir -p "$SHOTS" && import -window root "$SHOTS/conflict.png"
got=$(sql "SELECT HeatToUser FROM Equipment WHERE Number = $FIRST")
[ "$got" = "9" ] || fail "the first Post overwrote the other program's heat (found '$got')"
echo "ok: the first Post was refused with a box; the other program's 9 is kept"
xdotool key Return # the box has the focus
sleep 0.5
[ -z "$(error_box)" ] || fail "the conflict box did not close"

# A second Post stores the user's value, knowingly.
clickClient $POST_X $NAV_Y
sleep 0.5
[ -z "$(error_box)" ] || fail "the second Post was refused too"
got=$(sql "SELECT HeatToUser FROM Equipment WHERE Number = $FIRST")
[ "$got" = "77" ] || fail "the second Post stored '$got', expected 77"
echo "ok: the second Post stored 77"

kill -0 "$APP_PID" 2>/dev/null || fail "the editor ended during the run"
echo "PASS"
