#!/bin/bash
# Kill test: N random SIGKILLs of a posting editor process (bench/kill_poster) while another
# program keeps writing the same rows. After every kill the file must pass integrity_check;
# at the end every acknowledged Post must be in the file, every refused Post must have
# written nothing, and no Post may have overwritten another program's value unseen.
# A trigger records every change of Note with the value it replaced, so the last two
# are checked exactly. Every write of the editor keeps its row in EquipmentHistory in the
# same transaction: each acknowledged Post, insert and Delete must have exactly its history
# row, and no history row may exist for a change that did not commit.
#   bench/kill-posts.sh [N=40] [wal|delete] [build-dir=build]
set -euo pipefail
cd "$(dirname "$0")/.."
N=${1:-40}
MODE=${2:-wal}
BUILD=${3:-build}
poster=$BUILD/bench/kill_poster
[ -x "$poster" ] || { echo "build $poster first (cmake --build $BUILD --target kill_poster)"; exit 2; }

work=$(mktemp -d)
other=
cleanup() {
    [ -n "$other" ] && kill "$other" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
db=$work/catalogue.sqlite
sqlite3 "$db" >/dev/null <<SQL
PRAGMA journal_mode=$MODE;
CREATE TABLE Items (Number INTEGER PRIMARY KEY AUTOINCREMENT, Name VARCHAR(40), Heat SMALLINT, Note TEXT);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20)
INSERT INTO Items SELECT i, 'item' || i, 0, 'start' FROM n;
CREATE TABLE History (Seq INTEGER PRIMARY KEY AUTOINCREMENT, Number INTEGER, OldNote TEXT, NewNote TEXT);
CREATE TRIGGER KeepHistory AFTER UPDATE OF Note ON Items BEGIN
    INSERT INTO History (Number, OldNote, NewNote) VALUES (old.Number, old.Note, new.Note);
END;
SQL

# The other program: sets Note of a random row to "o<n>", again and again.
(
    n=0
    while true; do
        n=$((n + 1))
        sqlite3 -cmd ".timeout 5000" "$db" \
            "UPDATE Items SET Note = 'o$n' WHERE Number = $((RANDOM % 20 + 1));" >/dev/null 2>&1 || true
        sleep "0.0$((RANDOM % 5))"
    done
) &
other=$!

log=$work/outcomes
for i in $(seq 1 "$N"); do
    QT_QPA_PLATFORM=offscreen "$poster" "$db" "$i" >>"$log" 2>/dev/null &
    pid=$!
    sleep "$(awk -v s="$i" 'BEGIN { srand(s); printf "%.2f", 0.6 + rand() * 1.4 }')"
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null || true
    check=$(sqlite3 -cmd ".timeout 5000" "$db" "PRAGMA integrity_check;")
    if [ "$check" != ok ]; then
        echo "after kill $i: integrity_check says: $check"
        exit 1
    fi
done
kill "$other"
wait "$other" 2>/dev/null || true
other=

# Complete lines only (a kill may cut the last one).
grep -E '^ack [0-9]+ [0-9]+ [a-z0-9]+$' "$log" | tr ' ' ',' >"$work/acks.csv" || true
grep -E '^conflict [0-9]+ [0-9]+$' "$log" | tr ' ' ',' >"$work/conflicts.csv" || true
grep -E '^(inserted|deleted) [0-9]+ [0-9]+$' "$log" | tr ' ' ',' >"$work/rows.csv" || true
read -r acks lost conflicts conflictWrites overwrites otherWrites rowAcks unrecorded orphans <<<"$(sqlite3 -cmd ".timeout 5000" "$db" <<SQL
CREATE TEMP TABLE Acks (Kind TEXT, Number INTEGER, Seq INTEGER, Read TEXT);
CREATE TEMP TABLE Conflicts (Kind TEXT, Number INTEGER, Seq INTEGER);
CREATE TEMP TABLE RowAcks (Kind TEXT, Number INTEGER, Seq INTEGER);
.mode csv
.import $work/rows.csv RowAcks
.import $work/acks.csv Acks
.import $work/conflicts.csv Conflicts
.mode list
.separator " "
SELECT (SELECT COUNT(*) FROM Acks),
       (SELECT COUNT(*) FROM Acks a WHERE NOT EXISTS
            (SELECT 1 FROM History h WHERE h.Number = a.Number AND h.NewNote = 'p' || a.Seq)),
       (SELECT COUNT(*) FROM Conflicts),
       (SELECT COUNT(*) FROM Conflicts c JOIN History h ON h.NewNote = 'p' || c.Seq),
       (SELECT COUNT(*) FROM History h JOIN Acks a ON h.NewNote = 'p' || a.Seq
            WHERE h.OldNote IS NOT a.Read),
       (SELECT COUNT(*) FROM History WHERE NewNote LIKE 'o%'),
       (SELECT COUNT(*) FROM RowAcks),
       -- acknowledged changes without exactly one history row of their own
       (SELECT COUNT(*) FROM Acks a WHERE (SELECT COUNT(*) FROM EquipmentHistory e
            WHERE e.Kind = 'update' AND e.RowKey = a.Number
              AND json_extract(e.Changes, '$.Note[1]') = 'p' || a.Seq) <> 1)
     + (SELECT COUNT(*) FROM RowAcks r WHERE r.Kind = 'inserted' AND (SELECT COUNT(*)
            FROM EquipmentHistory e WHERE e.Kind = 'insert' AND e.RowKey = r.Number
              AND json_extract(e.Changes, '$.Note[1]') = 'p' || r.Seq) <> 1)
     + (SELECT COUNT(*) FROM RowAcks r WHERE r.Kind = 'deleted' AND (SELECT COUNT(*)
            FROM EquipmentHistory e WHERE e.Kind = 'delete' AND e.RowKey = r.Number) <> 1),
       -- history rows of changes that are not in the catalogue
       (SELECT COUNT(*) FROM EquipmentHistory e WHERE e.Kind = 'update' AND NOT EXISTS
            (SELECT 1 FROM History h WHERE h.Number = e.RowKey
               AND h.NewNote = json_extract(e.Changes, '$.Note[1]')))
     + (SELECT COUNT(*) FROM EquipmentHistory e WHERE e.Kind = 'insert'
            AND NOT EXISTS (SELECT 1 FROM Items i WHERE i.Number = e.RowKey)
            AND NOT EXISTS (SELECT 1 FROM EquipmentHistory d WHERE d.Kind = 'delete'
                              AND d.RowKey = e.RowKey))
     + (SELECT COUNT(*) FROM EquipmentHistory e WHERE e.Kind = 'delete'
            AND EXISTS (SELECT 1 FROM Items i WHERE i.Number = e.RowKey));
SQL
)"
echo "mode $MODE: $N kills; $acks posts acknowledged, $lost of them missing;" \
    "$conflicts conflicts reported, $conflictWrites of them written;" \
    "$overwrites other program's values overwritten unseen; $otherWrites writes by the other program;" \
    "$rowAcks inserts and deletes acknowledged; $unrecorded acknowledged changes without exactly" \
    "their history row; $orphans history rows of changes that did not commit"
[ "$lost" -eq 0 ] && [ "$conflictWrites" -eq 0 ] && [ "$overwrites" -eq 0 ] && [ "$acks" -gt 0 ] &&
    [ "$unrecorded" -eq 0 ] && [ "$orphans" -eq 0 ]
