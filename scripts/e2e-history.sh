#!/bin/bash
# End-to-end run of a row's history in a real X session: the heat of a row is changed
# twice, the history view (Ctrl+H) shows both changes, the heat before the last change is
# restored from it, and the field shows it again; Ctrl+Z then takes the restore back.
#
#   scripts/e2e-history.sh <korvandel binary> <korvandel-catalogue binary> [screenshot dir]
#
# Without a display it runs itself in a private X session (scripts/with-xvfb.sh).
set -u

source "$(dirname "$0")/e2e-lib.sh"
e2e_start "$0" "$@"

e2e_work_folder e2e-history

DB="$T/work/VantrelDB.sqlite"
sql() { sqlite3 -readonly -cmd ".timeout 5000" "$DB" "$1"; }
# The heat as the field shows it, through the clipboard.
heat_field() {
    clickClient $HEAT
    xdotool key ctrl+a ctrl+c
    sleep 0.3
    xclip -o -selection clipboard 2>/dev/null
}
set_heat() {
    clickClient $EDIT_X $NAV_Y
    clickClient $HEAT
    xdotool key ctrl+a
    xdotool type --delay 50 "$1"
    clickClient $POST_X $NAV_Y
    sleep 0.5
}

mkdir -p "$T/work" "$T/home/.config"
(cd "$T/work" && HOME="$T/home" XDG_CONFIG_HOME="$T/home/.config" "$CATALOGUE" demo VantrelDB \
    >/dev/null) || fail "cannot write the demo catalogue"
cd "$T/work"
HOME="$T/home" XDG_CONFIG_HOME="$T/home/.config" "$KORVANDEL" >"$T/korvandel.log" 2>&1 &
APP_PID=$!

WID=$(wait_for_main_window "$APP_PID") ||
    fail "the main window did not appear: $(cat "$T/korvandel.log")"

FIRST=$(sql "SELECT Number FROM Equipment ORDER BY rowid LIMIT 1")
CODE=$(sql "SELECT Code FROM Equipment WHERE Number = $FIRST")
set_heat 11
set_heat 22
[ "$(sql "SELECT HeatToUser FROM Equipment WHERE Number = $FIRST")" = 22 ] ||
    fail "the two Posts did not store 22"
# The demo catalogue's own insert is recorded too; the two Posts are the row's updates.
changes=$(sql "SELECT COUNT(*) FROM EquipmentHistory WHERE RowKey = $FIRST AND Kind = 'update'")
[ "$changes" = 2 ] || fail "the history holds $changes updates of the row, expected 2"
echo "ok: two Posts, two history rows"

# The history view: the newest change is current; its columns below, the heat first.
xdotool key ctrl+h
VIEW=
for _ in $(seq 1 25); do
    VIEW=$(find_window "$APP_PID" "^History of $CODE\$")
    [ -n "$VIEW" ] && break
    sleep 0.2
done
[ -n "$VIEW" ] || fail "Ctrl+H showed no history view"
[ -n "$SHOTS" ] && mkdir -p "$SHOTS" && import -window root "$SHOTS/history.png"
xdotool windowactivate --sync "$VIEW" 2>/dev/null || xdotool windowfocus "$VIEW"
xdotool key Tab Down     # to the columns of the newest change: the heat, 11 -> 22
sleep 0.3
xdotool key alt+c        # Restore column
sleep 1
xdotool key Escape
sleep 0.5
[ -z "$(find_window "$APP_PID" "^History of")" ] || fail "the history view did not close"

got=$(heat_field)
[ "$got" = 11 ] || fail "the field shows '$got' after the restore, expected 11"
[ "$(sql "SELECT HeatToUser FROM Equipment WHERE Number = $FIRST")" = 11 ] ||
    fail "the restore did not store 11"
echo "ok: the restored 11 is in the field and in the catalogue"

# Ctrl+Z while browsing takes the restore back.
xdotool key Escape ctrl+z
sleep 1
got=$(heat_field)
[ "$got" = 22 ] || fail "the field shows '$got' after Ctrl+Z, expected 22"
echo "ok: Ctrl+Z took the restore back (22)"

kill -0 "$APP_PID" 2>/dev/null || fail "the editor ended during the run"
echo "PASS"
