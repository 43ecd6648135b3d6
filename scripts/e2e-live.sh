#!/bin/bash
# End-to-end run of editors that show other programs' writes as they happen, in a real X
# session: another writer changes the Name of an editor's current row, and the editor's
# Name field shows the new name within a second, with no input to the editor (the field is
# read through the clipboard, with keys that change nothing).
#  1. SQLite: one editor on the working folder's catalogue; sqlite3 is the other writer.
#  2. PostgreSQL (when the KORVANDEL_PG_* variables name a server): editor A makes the
#     table, the catalogue tool fills it while A shows it (the rows appear in A), and
#     editor B, a second real editor, edits A's current row's Name and posts it.
#
#   scripts/e2e-live.sh <korvandel> <korvandel-catalogue> [screenshot dir]
#
# Without a display it runs itself in a private X session.
set -u

source "$(dirname "$0")/e2e-lib.sh"
e2e_start "$0" "$@"

T=$(mktemp -d /tmp/korvandel-e2e-live.XXXXXX)
PIDS=()
stop_editors() {
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
}
cleanup() {
    stop_editors
    [ -n "${KORVANDEL_PG_HOST:-}" ] && pg "DROP TABLE IF EXISTS equipment" >/dev/null
    rm -rf "$T"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    for log in "$T"/*/korvandel.log; do [ -s "$log" ] && echo "$log:" >&2 && cat "$log" >&2; done
    import -window root "$T/failure.png" 2>/dev/null &&
        echo "screen at the failure: $T/failure.png (kept)" >&2 && trap stop_editors EXIT
    exit 1
}

pg() {
    PGOPTIONS="-c client_min_messages=warning -c lock_timeout=10s" \
        PGPASSWORD=$KORVANDEL_PG_PASSWORD psql -X -q -t -A -h "$KORVANDEL_PG_HOST" \
        -p "$KORVANDEL_PG_PORT" -U "$KORVANDEL_PG_USER" -d "$KORVANDEL_PG_DATABASE" -c "$1"
}

NAME=$(field 48 24) # Name (4,8) / edit (44,16)
now_ms() { echo $(($(date +%s%N) / 1000000)); }
shot() { [ -n "$SHOTS" ] && import -window root "$SHOTS/$1.png"; }

# Editor $1 (a user folder of $T) starts and passes its start-up; sets PID_$1 and WID_$1.
start_editor() {
    local user=$1 pid wid
    (cd "$T/$user/work" &&
        exec env HOME="$T/$user" XDG_CONFIG_HOME="$T/$user/.config" "$KORVANDEL") \
        >"$T/$user/korvandel.log" 2>&1 &
    pid=$!
    PIDS+=("$pid")
    wid=$(wait_for_main_window "$pid") || fail "the main window of editor $user did not appear"
    printf -v "PID_$user" %s "$pid"
    printf -v "WID_$user" %s "$wid"
}

# The Name field of window $1 gets the keyboard focus (a click), so that it can be read
# later with keys alone.
focus_name() {
    WID=$1
    xdotool windowraise "$WID"
    clickClient $NAME
}
# Copies the focused field of window $1 with keys that change nothing: the pointer goes
# over the window (without a window manager the keyboard follows it).
copy_name() {
    xdotool mousemove --window "$1" $NAME
    xdotool key ctrl+a ctrl+c
}
pasted() {
    sleep 0.3
    xclip -o -selection clipboard 2>/dev/null
}
read_name() {
    copy_name "$1"
    pasted
}
# Waits up to $2 ms from $3 (a now_ms time) for window $1's Name field to show $4; prints
# the milliseconds from $3 to the copy that showed it, or fails.
expect_name() {
    local wid=$1 bound=$2 since=$3 want=$4 got= copied
    while :; do
        copy_name "$wid"
        copied=$(now_ms) # the copy was made by now
        got=$(pasted)
        [ "$got" = "$want" ] && break
        [ $((copied - since)) -gt "$bound" ] &&
            fail "the Name field shows '$got' $((copied - since)) ms after the write, expected '$want'"
    done
    [ $((copied - since)) -le "$bound" ] ||
        fail "the Name field showed '$want' only $((copied - since)) ms after the write"
    echo $((copied - since))
}

[ -n "$SHOTS" ] && mkdir -p "$SHOTS"

# ---- 1. SQLite: sqlite3 writes the editor's catalogue file ------------------------------
mkdir -p "$T/S/work" "$T/S/.config"
DB="$T/S/work/VantrelDB.sqlite"
(cd "$T/S/work" && HOME="$T/S" XDG_CONFIG_HOME="$T/S/.config" "$CATALOGUE" demo VantrelDB \
    >/dev/null) || fail "cannot write the demo catalogue"
start_editor S
FIRST=$(sqlite3 -readonly "$DB" "SELECT Number FROM Equipment ORDER BY rowid LIMIT 1")
focus_name "$WID_S"
before=$(read_name "$WID_S")
[ "$before" = "$(sqlite3 -readonly "$DB" "SELECT Name FROM Equipment WHERE Number = $FIRST")" ] ||
    fail "the SQLite editor's Name field shows '$before', not the first row's name"
start=$(now_ms)
sqlite3 -cmd ".timeout 5000" "$DB" "UPDATE Equipment SET Name = 'Renamed by sqlite3' WHERE Number = $FIRST" ||
    fail "sqlite3 could not write"
took=$(expect_name "$WID_S" 1000 "$start" "Renamed by sqlite3") || exit 1
shot live-sqlite
echo "ok: SQLite: the editor shows sqlite3's new Name after $took ms"

# ---- 2. PostgreSQL: editor B writes the row editor A shows ------------------------------
if [ -z "${KORVANDEL_PG_HOST:-}" ]; then
    echo "PASS (SQLite only: no PostgreSQL server)"
    exit 0
fi
make_user() {
    local home="$T/$1"
    mkdir -p "$home/.config/korvandel" "$home/work"
    cat >"$home/.config/korvandel/databases.ini" <<INI
[VantrelDB]
Driver=PSQL
Host=$KORVANDEL_PG_HOST
Port=$KORVANDEL_PG_PORT
Database=$KORVANDEL_PG_DATABASE
User=$KORVANDEL_PG_USER
Password=$KORVANDEL_PG_PASSWORD
INI
    chmod 600 "$home/.config/korvandel/databases.ini"
    # The catalogue tool fills the empty table: the first start's offer of the demo
    # catalogue has been answered already.
    printf '[FirstStart]\nDemoCatalogue=declined\n' >"$home/.config/korvandel/korvandel.ini"
}
pg "DROP TABLE IF EXISTS equipment" >/dev/null || fail "cannot reach the server"
make_user A
make_user B
# A makes the table (empty); the catalogue tool fills it while A shows it.
start_editor A
HOME="$T/A" XDG_CONFIG_HOME="$T/A/.config" "$CATALOGUE" demo VantrelDB >"$T/catalogue.log" 2>&1 ||
    fail "korvandel-catalogue demo: $(cat "$T/catalogue.log")"
FIRST=$(pg "SELECT number FROM equipment ORDER BY number LIMIT 1")
FIRST_NAME=$(pg "SELECT name FROM equipment WHERE number = $FIRST")
start=$(now_ms)
focus_name "$WID_A"
took=$(expect_name "$WID_A" 4000 "$start" "$FIRST_NAME") || exit 1
echo "ok: PostgreSQL: the rows the catalogue tool wrote appeared in editor A (read after $took ms)"

start_editor B
xdotool windowmove "$WID_A" 0 0 windowmove "$WID_B" 470 420
focus_name "$WID_A"
WID=$WID_B
xdotool windowraise "$WID_B"
clickClient $EDIT_X $NAV_Y
clickClient $NAME
xdotool key ctrl+a
xdotool type --delay 20 'Renamed by B'
xdotool mousemove --window "$WID_B" $POST_X $((NAV_Y + MENU))
sleep 0.2
start=$(now_ms)
xdotool click 1
took=$(expect_name "$WID_A" 1000 "$start" "Renamed by B") || exit 1
[ "$(pg "SELECT name FROM equipment WHERE number = $FIRST")" = "Renamed by B" ] ||
    fail "the server does not hold B's name"
shot live-postgres
echo "ok: PostgreSQL: editor A shows B's new Name after $took ms"

for pid in "${PIDS[@]}"; do kill -0 "$pid" 2>/dev/null || fail "an editor ended during the run"; done
echo "PASS"
