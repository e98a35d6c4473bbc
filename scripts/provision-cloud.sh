#!/usr/bin/env bash
# Provisions the cloud database of one company on a MySQL or MariaDB server: the database and
# the account "kolvarnp_<company>", and the inbox tables kv<n>, og<n>, od<n> of the office
# (n = 0) and of the units 1 .. N. Running it again is harmless: it adds the tables that are
# missing (for more units) and sets the passwords again; it never drops data.
#
#   provision-cloud.sh --company NAME --units N [options]
#
#   --company NAME        the user name the company types in the program (letters, digits, _)
#   --units N             number of units besides the office (0 .. 1000; the program uses 10)
#   --unit-accounts       also one account per unit, "kolvarnp_<company>.<n>" for n = 0 .. N
#                         (N at most 10), typed in the program as "<company>.<n>": it may add
#                         and change rows in the other inboxes, and read and delete its own
#   --no-shared-account   do not keep the shared account (remove it when it is there): for a
#                         company whose devices all have accounts of their own
#   --host HOST           server (default 127.0.0.1), reached over TCP
#   --port PORT           port (default 3306)
#   --socket PATH         use this Unix socket instead of host and port
#   --admin-user USER     an account that may create databases and users (default root)
#   --account-host HOST   where the company's accounts may connect from (default %)
#   --print               print the SQL instead of running it
#   --drop                remove the company's database and accounts instead (asks nothing)
#
# Passwords never go on the command line, where every user of the machine can read them:
#   KV_CLOUD_PASSWORD     the shared account's password
#   KV_UNIT_PASSWORD_<n>  unit n's password, with --unit-accounts
#   KV_ADMIN_PASSWORD     the admin account's password (unset: none, or asked on a terminal)
# A company or unit password that is not in the environment is asked for on the terminal.
#
# Nothing the operator types becomes SQL text: names must be plain words, the host a host
# pattern, and a password reaches the server only as its mysql_native_password hash (computed
# here), so neither the server's SQL mode nor any character of a password can change a statement.
set -euo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
TEMPLATE="$HERE/provision-cloud.sql"

company="" units="" host=127.0.0.1 port=3306 socket="" admin_user=root account_host=%
unit_accounts=0 shared=1 print=0 drop=0

die() { echo "provision-cloud: $*" >&2; exit 2; }
while [ $# -gt 0 ]; do
  case "$1" in
    --company) company="${2-}"; shift 2 ;;
    --units) units="${2-}"; shift 2 ;;
    --unit-accounts) unit_accounts=1; shift ;;
    --no-shared-account) shared=0; shift ;;
    --host) host="${2-}"; shift 2 ;;
    --port) port="${2-}"; shift 2 ;;
    --socket) socket="${2-}"; shift 2 ;;
    --admin-user) admin_user="${2-}"; shift 2 ;;
    --account-host) account_host="${2-}"; shift 2 ;;
    --print) print=1; shift ;;
    --drop) drop=1; shift ;;
    --password|--admin-password)
      die "$1 is gone: passwords are read from the environment (see --help) or asked for" ;;
    -h|--help) sed -n '2,33p' "$0"; exit 0 ;;
    *) die "unknown option $1 (see --help)" ;;
  esac
done

# The names become SQL identifiers and account names: only plain words, never quoted text.
[[ "$company" =~ ^[A-Za-z0-9_]{1,55}$ ]] || die "--company must be 1..55 letters, digits or _"
[[ "$account_host" =~ ^[A-Za-z0-9_.%:-]{1,60}$ ]] || die "--account-host is not a host pattern"
[[ "$port" =~ ^[0-9]{1,5}$ ]] || die "--port must be a number"
account="kolvarnp_$company"
if [ "$drop" -eq 0 ]; then
  [[ "$units" =~ ^[0-9]{1,4}$ ]] && [ "$units" -le 1000 ] || die "--units must be 0 .. 1000"
  [ "$unit_accounts" -eq 0 ] || [ "$units" -le 10 ] || die "--unit-accounts takes at most 10 units"
  [ "$unit_accounts" -eq 1 ] || [ "$shared" -eq 1 ] || die "--no-shared-account needs --unit-accounts"
  [ -r "$TEMPLATE" ] || die "missing $TEMPLATE"
fi

# A password from the environment variable named, or asked for twice on the terminal.
password_of() {
  local var="$1" what="$2" pw="${!1:-}" again
  if [ -z "$pw" ]; then
    [ -t 0 ] || die "$var is not set (the password of $what)"
    read -r -s -p "Password of $what: " pw; echo >&2
    read -r -s -p "The same again: " again; echo >&2
    [ "$pw" = "$again" ] || die "the two passwords differ"
  fi
  [ -n "$pw" ] || die "the password of $what may not be empty"
  [[ "$pw" =~ [[:cntrl:]] ]] && die "the password of $what may not hold control characters"
  printf '%s' "$pw"
}

# The mysql_native_password hash of a password: "*" and SHA1(SHA1(password)) in upper-case hex.
# It holds nothing but "*", digits and A-F, so it is safe in a literal whatever the SQL mode.
native_hash() {
  local once
  once="$(printf '%s' "$1" | sha1sum | cut -c1-40)"
  printf '*%s' "$(printf '%b' "$(printf '%s' "$once" | sed 's/../\\x&/g')" | sha1sum | cut -c1-40 | tr a-f A-F)"
}

# Sets an account's password from its hash: creates the account when it is missing.
account_sql() {
  local who="'$1'@'$account_host'" hash="$2"
  echo "CREATE USER IF NOT EXISTS $who IDENTIFIED WITH mysql_native_password AS '$hash';"
  echo "ALTER USER $who IDENTIFIED WITH mysql_native_password AS '$hash';"
}

tables="kv og od"

sql() {
  # A known SQL mode for this session, whatever the server's is; a GRANT never creates an
  # account by itself (MySQL 8 does not know the flag, and never does).
  echo "SET @kv_mode = CASE WHEN VERSION() LIKE '%MariaDB%' THEN 'STRICT_TRANS_TABLES,NO_ENGINE_SUBSTITUTION,NO_AUTO_CREATE_USER' ELSE 'STRICT_TRANS_TABLES,NO_ENGINE_SUBSTITUTION' END;"
  echo "SET SESSION sql_mode = @kv_mode;"
  if [ "$drop" -eq 1 ]; then
    echo "DROP DATABASE IF EXISTS \`$account\`;"
    echo "DROP USER IF EXISTS '$account'@'$account_host';"
    for ((n = 0; n <= 10; n++)); do echo "DROP USER IF EXISTS '$account.$n'@'$account_host';"; done
    return
  fi
  echo "CREATE DATABASE IF NOT EXISTS \`$account\` CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;"
  echo "USE \`$account\`;"
  for ((n = 0; n <= units; n++)); do
    sed -e "s/@UNIT@/$n/g" "$TEMPLATE"
  done
  if [ "$shared" -eq 1 ]; then
    account_sql "$account" "$shared_hash"
    # Rows only: the program never changes the tables themselves.
    echo "GRANT SELECT, INSERT, UPDATE, DELETE ON \`$account\`.* TO '$account'@'$account_host';"
  else
    echo "DROP USER IF EXISTS '$account'@'$account_host';"
  fi
  [ "$unit_accounts" -eq 1 ] || return 0
  for ((n = 0; n <= units; n++)); do
    local unit="$account.$n"
    account_sql "$unit" "${unit_hash[$n]}"
    for t in $tables; do
      # Its own inbox: read and emptied by the download.
      echo "GRANT SELECT, DELETE ON \`$account\`.\`$t$n\` TO '$unit'@'$account_host';"
      # The others' inboxes: a push updates the row with its id or adds one. Matching the id
      # needs that column, and that column only.
      for ((m = 0; m <= units; m++)); do
        [ "$m" -eq "$n" ] && continue
        echo "GRANT INSERT, UPDATE, SELECT (\`id\`) ON \`$account\`.\`$t$m\` TO '$unit'@'$account_host';"
      done
    done
  done
}

# Each password is taken (and checked) on its own line, so that a refusal ends the script.
shared_hash="" unit_hash=()
if [ "$drop" -eq 0 ]; then
  if [ "$shared" -eq 1 ]; then
    pw="$(password_of KV_CLOUD_PASSWORD "$account")"
    shared_hash="$(native_hash "$pw")"
  fi
  if [ "$unit_accounts" -eq 1 ]; then
    for ((n = 0; n <= units; n++)); do
      pw="$(password_of "KV_UNIT_PASSWORD_$n" "$account.$n")"
      unit_hash[n]="$(native_hash "$pw")"
    done
  fi
  pw=""
fi

if [ "$print" -eq 1 ]; then
  sql
  exit 0
fi

# The admin password goes through the environment, not the command line that ps shows.
if [ -z "${KV_ADMIN_PASSWORD+set}" ] && [ -t 0 ]; then
  read -r -s -p "Password of $admin_user on the server (empty for none): " KV_ADMIN_PASSWORD; echo >&2
fi
client=(mariadb)
command -v mariadb >/dev/null 2>&1 || client=(mysql)
args=(--no-defaults --batch -u "$admin_user")
if [ -n "$socket" ]; then
  args+=(--socket="$socket")
else
  # Encrypted whenever the server offers it: the admin password crosses the network too.
  args+=(--protocol=TCP -h "$host" -P "$port" --ssl)
fi
sql | MYSQL_PWD="${KV_ADMIN_PASSWORD:-}" "${client[@]}" "${args[@]}"
if [ "$drop" -eq 1 ]; then
  echo "Removed $account"
else
  echo "Provisioned $account with the office and $units unit(s)$([ "$unit_accounts" -eq 1 ] && echo ", an account for each")"
fi
