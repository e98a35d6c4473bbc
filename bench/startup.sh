#!/usr/bin/env bash
# Start-up CPU and peak memory to the painted main page, beside the floor of an empty Qt Widgets
# window, measured in the same run: 20 000 tickets, 20 000 clients and 10 000 or 100 000 parts.
#   bash bench/startup.sh [build folder] [rounds]     (defaults: build-test, 15)
# Each round starts the floor, the 10 000-part and the 100 000-part store once, in turn; the
# medians are printed with their ratios to the floor. A first start of each store (schema upgrade,
# indexes) runs before the rounds and is not counted.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build-test}"
ROUNDS="${2:-15}"
PROG="$BUILD/bench/bench_startup"
FLOOR="$BUILD/bench/bench_startup_floor"
for p in "$PROG" "$FLOOR"; do
  [ -x "$p" ] || { echo "build $p first (cmake --build $BUILD --target bench_startup bench_startup_floor)" >&2; exit 1; }
done
# KV_BENCH_DIR keeps the stores there for a profiler run (bench_startup $KV_BENCH_DIR/p100k).
if [ -n "${KV_BENCH_DIR:-}" ]; then WORK="$KV_BENCH_DIR"; rm -rf "$WORK"; mkdir -p "$WORK"; else
  WORK="$(mktemp -d)"; trap 'rm -rf "$WORK"' EXIT; fi
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export XDG_RUNTIME_DIR="$WORK/xdg"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# make_store FOLDER PARTS: the installed schema and the rows, each with a 15-character id.
make_store() {
  local dir="$1" parts="$2"
  mkdir -p "$dir"
  cp "$ROOT"/resources/sounds/*.mp3 "$dir/"
  # No cloud account; the start-up connection attempt goes to a closed port on loopback.
  printf '[CLOUD]\nServer=127.0.0.1:9\n' >"$dir/kvrn.ini"
  {
    cat "$ROOT/resources/schema.sql"
    cat <<SQL
BEGIN;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $parts)
INSERT INTO onderdeel (id, bestelnr, omschr, prijs)
  SELECT printf('LMKVP%010d', i), printf('%05d-%02d', (i * 7919) % 90000 + 10000, i % 97),
         printf('%s %s %d mm', substr('buis  boch  kraan klep  kabel moer  bout  pomp  ', 1 + (i * 13 % 8) * 6, 5),
                substr('ketel filtervent  beugelsifon vlot  ', 1 + (i * 7 % 6) * 6, 6), i % 200),
         (i * 37 % 100000) / 100.0 FROM n;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000)
INSERT INTO opdrachtgever (id, naam, contactpers, email)
  SELECT printf('LMKVC%010d', i), printf('Klant %05d', (i * 7919) % 20000), printf('Contact %d', i),
         printf('k%d@example.invalid', i) FROM n;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000)
INSERT INTO bon (id, bonnr, datum, opdrachtgever, contactpers, werklocatie, werk1, werk2, km1,
                 bestelnr1, aantal1, omschr1, prijs1, numodd)
  SELECT printf('LMKVT%010d', i), printf('%d-%d', 1 + i % 10, 20200000 + i),
         printf('%02d-%02d-%d', 1 + i % 28, 1 + i % 12, 2020 + i % 5), printf('Klant %05d', i % 20000),
         printf('Contact %d', i % 500), printf('Straat %d, Plaats', i % 999), 7.5, 8, 42,
         printf('%05d-%02d', i % 90000 + 10000, i % 97), 2, 'buis bocht', 12.5, 1 FROM n;
COMMIT;
SQL
  } | sqlite3 "$dir/kolvarn.db3"
}

make_store "$WORK/p10k" 10000
make_store "$WORK/p100k" 100000
for s in p10k p100k; do "$PROG" "$WORK/$s" >/dev/null 2>>"$WORK/stderr" || { cat "$WORK/stderr" >&2; exit 1; }; done

declare -A CPU RSS
for ((r = 0; r < ROUNDS; ++r)); do
  for what in floor p10k p100k; do
    # A run ends without closing, which leaves its lock file behind; a closed program leaves none.
    if [ "$what" = floor ]; then out="$("$FLOOR" 2>>"$WORK/stderr")"
    else rm -f "$WORK/$what/kolvarn.lock"; out="$("$PROG" "$WORK/$what" 2>>"$WORK/stderr")"; fi
    read -r _ cpu _ rss <<<"$out"
    CPU[$what]+="$cpu "
    RSS[$what]+="$rss "
  done
done

median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
fc="$(median <<<"${CPU[floor]}")"; fr="$(median <<<"${RSS[floor]}")"
printf '%-34s %12s %12s %14s %10s\n' "start to painted main page" "CPU s" "x floor" "peak MiB" "x floor"
for what in floor p10k p100k; do
  c="$(median <<<"${CPU[$what]}")"; m="$(median <<<"${RSS[$what]}")"
  case "$what" in floor) label="empty Qt Widgets window (floor)" ;; p10k) label="20k tickets, 20k clients, 10k parts" ;; *) label="20k tickets, 20k clients, 100k parts" ;; esac
  printf '%-34s %12.4f %12.2f %14.1f %10.2f\n' "$label" "$c" "$(echo "$c / $fc" | bc -l)" "$(echo "$m / 1024" | bc -l)" "$(echo "$m / $fr" | bc -l)"
done
c10="$(median <<<"${CPU[p10k]}")"; c100="$(median <<<"${CPU[p100k]}")"
printf 'from 10 000 to 100 000 parts: %+.1f %% CPU (medians of %d rounds)\n' "$(echo "($c100 / $c10 - 1) * 100" | bc -l)" "$ROUNDS"
