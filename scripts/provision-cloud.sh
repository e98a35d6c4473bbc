#!/usr/bin/env bash
# Provisions the cloud database of one company on a MySQL or MariaDB server: the database and
# the account "kolvarnp_<company>", and the inbox tables kv<n>, og<n>, od<n> of the office
# (n = 0) and of the units 1 .. N. Running it again is harmless: it adds the tables that are
# missing (for more units) and sets the password again; it never drops data.
#
#   provision-cloud.sh --company NAME --units N [options]
#
#   --company NAME        the user name the company types in the program (letters, digits, _)
#   --units N             number of units besides the office (0 .. 1000; the program uses 10)
#   --password PW         the company account's password (or env KV_CLOUD_PASSWORD)
#   --host HOST           server (default 127.0.0.1), reached over TCP
#   --port PORT           port (default 3306)
#   --socket PATH         use this Unix socket instead of host and port
#   --admin-user USER     an account that may create databases and users (default root)
#   --admin-password PW   its password (or env KV_ADMIN_PASSWORD; empty: none)
#   --account-host HOST   where the company account may connect from (default %)
#   --print               print the SQL instead of running it
#   --drop                remove the company's database and account instead (asks nothing)
set -euo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
TEMPLATE="$HERE/provision-cloud.sql"

company="" units="" password="${KV_CLOUD_PASSWORD:-}" host=127.0.0.1 port=3306 socket=""
admin_user=root admin_password="${KV_ADMIN_PASSWORD:-}" account_host=% print=0 drop=0

die() { echo "provision-cloud: $*" >&2; exit 2; }
while [ $# -gt 0 ]; do
  case "$1" in
    --company) company="${2-}"; shift 2 ;;
    --units) units="${2-}"; shift 2 ;;
    --password) password="${2-}"; shift 2 ;;
    --host) host="${2-}"; shift 2 ;;
    --port) port="${2-}"; shift 2 ;;
    --socket) socket="${2-}"; shift 2 ;;
    --admin-user) admin_user="${2-}"; shift 2 ;;
    --admin-password) admin_password="${2-}"; shift 2 ;;
    --account-host) account_host="${2-}"; shift 2 ;;
    --print) print=1; shift ;;
    --drop) drop=1; shift ;;
    -h|--help) sed -n '2,22p' "$0"; exit 0 ;;
    *) die "unknown option $1 (see --help)" ;;
  esac
done

# The names become SQL identifiers: only a plain word is accepted, never quoted text.
[[ "$company" =~ ^[A-Za-z0-9_]{1,55}$ ]] || die "--company must be 1..55 letters, digits or _"
[[ "$account_host" =~ ^[A-Za-z0-9_.%:-]{1,60}$ ]] || die "--account-host is not a host pattern"
[[ "$port" =~ ^[0-9]{1,5}$ ]] || die "--port must be a number"
account="kolvarnp_$company"
if [ "$drop" -eq 0 ]; then
  [[ "$units" =~ ^[0-9]{1,4}$ ]] && [ "$units" -le 1000 ] || die "--units must be 0 .. 1000"
  [ -n "$password" ] || die "--password (or KV_CLOUD_PASSWORD) is required"
  # A string literal: backslashes and quotes escaped; control characters refused.
  [[ "$password" =~ [[:cntrl:]] ]] && die "the password may not hold control characters"
  pw_sql="$(printf '%s' "$password" | sed -e 's/\\/\\\\/g' -e "s/'/\\\\'/g")"
  [ -r "$TEMPLATE" ] || die "missing $TEMPLATE"
fi

sql() {
  if [ "$drop" -eq 1 ]; then
    echo "DROP DATABASE IF EXISTS \`$account\`;"
    echo "DROP USER IF EXISTS '$account'@'$account_host';"
    return
  fi
  echo "CREATE DATABASE IF NOT EXISTS \`$account\` CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;"
  echo "USE \`$account\`;"
  for ((n = 0; n <= units; n++)); do
    sed -e "s/@UNIT@/$n/g" "$TEMPLATE"
  done
  echo "CREATE USER IF NOT EXISTS '$account'@'$account_host' IDENTIFIED BY '$pw_sql';"
  echo "ALTER USER '$account'@'$account_host' IDENTIFIED BY '$pw_sql';"
  # Rows only: the program never changes the tables themselves.
  echo "GRANT SELECT, INSERT, UPDATE, DELETE ON \`$account\`.* TO '$account'@'$account_host';"
}

if [ "$print" -eq 1 ]; then
  sql
  exit 0
fi

client=(mariadb)
command -v mariadb >/dev/null 2>&1 || client=(mysql)
args=(--no-defaults --batch -u "$admin_user")
if [ -n "$socket" ]; then
  args+=(--socket="$socket")
else
  args+=(--protocol=TCP -h "$host" -P "$port")
fi
# The admin password goes through the environment, not the command line that ps shows.
sql | MYSQL_PWD="$admin_password" "${client[@]}" "${args[@]}"
if [ "$drop" -eq 1 ]; then
  echo "Removed $account"
else
  echo "Provisioned $account with the office and $units unit(s)"
fi
