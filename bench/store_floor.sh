#!/usr/bin/env bash
# The floor for bench_store: the statements the cursor issues for each measured operation, run
# by the sqlite3 shell on the same file. Build the file first:
#   KV_BENCH_DIR=/tmp/kvbench build-test/bench/bench_store
#   bash bench/store_floor.sh /tmp/kvbench/kolvarn.db3
# Prints the time per operation (wall clock, the shell's start-up subtracted). The statements
# run in autocommit mode with the page cache the program sets, as the program runs them.
set -euo pipefail
DB="${1:?path of kolvarn.db3}"
REPEAT="${REPEAT:-400}"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

cols() { sqlite3 "$DB" "SELECT 'rowid, ' || group_concat('\"' || name || '\"', ', ') FROM pragma_table_info('$1')"; }
PCOLS="$(cols onderdeel)"
BCOLS="$(cols bon)"
now() { date +%s%N; }

# run NAME FILE: time of the statements in FILE per repetition, in microseconds.
run() {
  local name="$1" file="$2" t0 t1 base
  printf '.output /dev/null\nPRAGMA cache_size = -32768;\n' >"$WORK/empty.sql"
  { cat "$WORK/empty.sql"; cat "$file"; } >"$WORK/full.sql"
  sqlite3 "$DB" <"$WORK/full.sql" # warm the OS cache as the benchmark's first iterations do
  t0=$(now); sqlite3 "$DB" <"$WORK/empty.sql"; t1=$(now); base=$((t1 - t0))
  t0=$(now); sqlite3 "$DB" <"$WORK/full.sql"; t1=$(now)
  printf '%-28s %10.1f us\n' "$name" "$(echo "($t1 - $t0 - $base) / 1000 / $REPEAT" | bc -l)"
}

# Sample keys and ids from the file itself.
sqlite3 "$DB" "SELECT rowid, bestelnr, omschr, id FROM onderdeel ORDER BY random() LIMIT $REPEAT" >"$WORK/parts.txt"
sqlite3 "$DB" "SELECT rowid, bonnr, opdrachtgever, id FROM bon ORDER BY random() LIMIT $REPEAT" >"$WORK/tickets.txt"

# Position of a row under a sort key, and the window of rows around it (as Table does).
position_and_window() { # table cols key value rowid
  local t="$1" c="$2" k="$3" v="$4" r="$5"
  cat <<EOF
SELECT (SELECT COUNT(*) FROM $t WHERE $k IS NULL) + (SELECT COUNT(*) FROM $t WHERE $k < '$v') + (SELECT COUNT(*) FROM $t WHERE $k = '$v' AND rowid < $r);
SELECT $c FROM $t WHERE $k = '$v' AND rowid < $r ORDER BY rowid DESC LIMIT 32;
SELECT $c FROM $t WHERE $k < '$v' ORDER BY $k DESC, rowid DESC LIMIT 32;
SELECT $c FROM $t WHERE $k = '$v' AND rowid > $r ORDER BY rowid LIMIT 32;
SELECT $c FROM $t WHERE $k > '$v' ORDER BY $k, rowid LIMIT 32;
EOF
}

for i in $(seq "$REPEAT"); do
  echo "SELECT name FROM pragma_table_info('onderdeel'); SELECT $PCOLS FROM onderdeel ORDER BY omschr, rowid LIMIT 1; SELECT COUNT(*) FROM onderdeel;"
done >"$WORK/open_parts.sql"
for i in $(seq "$REPEAT"); do
  echo "SELECT name FROM pragma_table_info('bon'); SELECT $BCOLS FROM bon ORDER BY bonnr, rowid LIMIT 1; SELECT COUNT(*) FROM bon;"
done >"$WORK/open_tickets.sql"

while IFS='|' read -r rowid bestelnr omschr id; do
  position_and_window onderdeel "$PCOLS" bestelnr "$bestelnr" "$rowid"
done <"$WORK/parts.txt" >"$WORK/sort_parts.sql"
while IFS='|' read -r rowid bonnr client id; do
  position_and_window bon "$BCOLS" opdrachtgever "$client" "$rowid"
done <"$WORK/tickets.txt" >"$WORK/sort_tickets.sql"

while IFS='|' read -r rowid bestelnr omschr id; do
  text="${omschr%% *} k"
  echo "SELECT $PCOLS FROM onderdeel WHERE omschr >= '$text' ORDER BY omschr, rowid LIMIT 1;"
  position_and_window onderdeel "$PCOLS" omschr "$omschr" "$rowid"
done <"$WORK/parts.txt" >"$WORK/nearest_parts.sql"
while IFS='|' read -r rowid bonnr client id; do
  echo "SELECT $BCOLS FROM bon WHERE bonnr >= '$bonnr' ORDER BY bonnr, rowid LIMIT 1;"
  position_and_window bon "$BCOLS" bonnr "$bonnr" "$rowid"
done <"$WORK/tickets.txt" >"$WORK/nearest_tickets.sql"

while IFS='|' read -r rowid bestelnr omschr id; do
  echo "SELECT $PCOLS FROM onderdeel WHERE id = '$id' ORDER BY omschr, rowid LIMIT 1;"
done <"$WORK/parts.txt" >"$WORK/locate_parts.sql"
while IFS='|' read -r rowid bonnr client id; do
  echo "SELECT $BCOLS FROM bon WHERE id = '$id' ORDER BY bonnr, rowid LIMIT 1;"
done <"$WORK/tickets.txt" >"$WORK/locate_tickets.sql"

for i in $(seq "$REPEAT"); do
  echo "INSERT INTO onderdeel (id, bestelnr, omschr, prijs) VALUES ('LMKVfloor$i', 'F-$i', 'vloer onderdeel $i', 1.25);"
  echo "SELECT $PCOLS FROM onderdeel WHERE rowid = last_insert_rowid();"
done >"$WORK/append_parts.sql"
for i in $(seq "$REPEAT"); do
  echo "INSERT INTO bon (id, bonnr, datum, opdrachtgever, werkzh, handtekening, handtekening2) VALUES ('LMKVfloor$i', '8-$((40000000 + i))', '15-02-2021', 'Klant 1', 'Ketel onderhouden', NULL, NULL);"
  echo "SELECT $BCOLS FROM bon WHERE rowid = last_insert_rowid();"
done >"$WORK/append_tickets.sql"

echo "sqlite3 $(sqlite3 --version | cut -d' ' -f1), $REPEAT repetitions"
run "open cursor, 100k parts" "$WORK/open_parts.sql"
run "open cursor, 20k tickets" "$WORK/open_tickets.sql"
run "sort change, 100k parts" "$WORK/sort_parts.sql"
run "sort change, 20k tickets" "$WORK/sort_tickets.sql"
run "nearest key, 100k parts" "$WORK/nearest_parts.sql"
run "nearest key, 20k tickets" "$WORK/nearest_tickets.sql"
run "locate id, 100k parts" "$WORK/locate_parts.sql"
run "locate id, 20k tickets" "$WORK/locate_tickets.sql"
run "append+post, 100k parts" "$WORK/append_parts.sql"
run "append+post, 20k tickets" "$WORK/append_tickets.sql"
REPEAT=1
printf 'SELECT %s FROM onderdeel ORDER BY omschr, rowid;\n' "$PCOLS" >"$WORK/walk_parts.sql"
printf 'SELECT %s FROM bon ORDER BY bonnr, rowid;\n' "$BCOLS" >"$WORK/walk_tickets.sql"
run "walk all, 100k parts" "$WORK/walk_parts.sql"
run "walk all, 20k tickets" "$WORK/walk_tickets.sql"
# Clean up the rows this script added.
sqlite3 "$DB" "DELETE FROM onderdeel WHERE id LIKE 'LMKVfloor%'; DELETE FROM bon WHERE id LIKE 'LMKVfloor%';"
