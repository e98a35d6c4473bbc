#!/usr/bin/env bash
# The floor for the download of bench_cloud: the statements the download sends to the server
# for the inbox as it is now, run by the mariadb client over TCP. Per batch: start a
# transaction, read the next rows with their lock, delete them one by one, commit. The first
# batch takes FIRST rows, the later ones NEXT (the download's sizes for rows well under its
# byte budget, as the benchmark's are).
#   download_floor.sh HOST PORT ACCOUNT TABLE FIRST NEXT SELECT_LIST   (password in MYSQL_PWD)
# The inbox's ids are read first (not timed); then one client run is timed as a whole process,
# its start and connect included. Prints "ms=<milliseconds>". The inbox is empty afterwards.
set -euo pipefail
HOST="$1" PORT="$2" ACCOUNT="$3" TABLE="$4" FIRST="$5" NEXT="$6" SELECT_LIST="$7"
client() { mariadb --no-defaults --protocol=TCP -h "$HOST" -P "$PORT" -u "$ACCOUNT" "$ACCOUNT" "$@"; }
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

client -N -B -e "SELECT id FROM \`$TABLE\` ORDER BY id" >"$WORK/ids"
awk -v table="$TABLE" -v first="$FIRST" -v next_="$NEXT" -v list="$SELECT_LIST" '
  function open_batch(limit) {
    print "START TRANSACTION;"
    print "SELECT " list " FROM `" table "` ORDER BY `id` LIMIT " limit " FOR UPDATE;"
    size = limit; taken = 0
  }
  {
    if (NR == 1) open_batch(first)
    else if (taken == size) { print "COMMIT;"; open_batch(next_) }
    gsub(/\\/, "\\\\"); gsub(/'\''/, "\\'\''")
    print "DELETE FROM `" table "` WHERE `id` = '\''" $0 "'\'' AND CAST(`id` AS BINARY) = CAST('\''" $0 "'\'' AS BINARY) LIMIT 1;"
    taken++
  }
  END {
    if (NR > 0) print "COMMIT;"
    # After a full batch the download looks once more and finds the inbox empty.
    if (NR == 0 || taken == size) { open_batch(NR == 0 ? first : next_); print "COMMIT;" }
  }' "$WORK/ids" >"$WORK/statements.sql"

start=$(date +%s%N)
client <"$WORK/statements.sql" >/dev/null
end=$(date +%s%N)
echo "ms=$(( (end - start) / 1000 ))" | awk -F= '{ printf "ms=%.1f\n", $2 / 1000 }'
