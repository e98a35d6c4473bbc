#!/usr/bin/env bash
# Starts and stops the servers the tests talk to, all on 127.0.0.1:
# a MariaDB server on a free port, with TLS, and an SMTP capture server (own server on a free
# port, the built-in relay on port KV_RELAY_PORT, 3025 by default, and listeners that offer
# STARTTLS, only PLAIN, or no login the client knows). Sourced by test.sh.
#
# The certificates are made afresh for every run: a test authority (KV_TEST_TLS_CA) that signed
# the servers' certificate for 127.0.0.1, and a second authority that signed nothing of
# theirs (KV_TEST_TLS_OTHER_CA).

free_port() {
  /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

make_test_certs() {
  [ -n "${KV_TLS_DIR:-}" ] && return 0
  KV_TLS_DIR="$(mktemp -d /tmp/kv-tls.XXXXXX)"
  local d="$KV_TLS_DIR"
  {
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Kolvarn test authority" \
      -keyout "$d/ca.key" -out "$d/ca.pem" &&
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Kolvarn other authority" \
      -keyout "$d/other.key" -out "$d/other.pem" &&
    openssl req -newkey rsa:2048 -nodes -subj "/CN=127.0.0.1" -keyout "$d/server.key" -out "$d/server.csr" &&
    printf 'subjectAltName=IP:127.0.0.1\n' >"$d/san.cnf" &&
    openssl x509 -req -days 2 -in "$d/server.csr" -CA "$d/ca.pem" -CAkey "$d/ca.key" -CAcreateserial \
      -extfile "$d/san.cnf" -out "$d/server.pem"
  } >"$d/openssl.log" 2>&1 || { echo "openssl could not make the test certificates:" >&2; cat "$d/openssl.log" >&2; return 1; }
  export KV_TEST_TLS_CA="$d/ca.pem" KV_TEST_TLS_OTHER_CA="$d/other.pem"
  export KV_TEST_TLS_CERT="$d/server.pem" KV_TEST_TLS_KEY="$d/server.key"
}

remove_test_certs() {
  [ -n "${KV_TLS_DIR:-}" ] && rm -rf "$KV_TLS_DIR"
  KV_TLS_DIR=
}

start_mariadb() {
  make_test_certs || return 1
  KV_DB_DIR="$(mktemp -d /tmp/kv-mariadb.XXXXXX)"
  export KV_TEST_MYSQL_HOST=127.0.0.1
  export KV_TEST_MYSQL_PORT="$(free_port)"
  export KV_TEST_MYSQL_SOCKET="$KV_DB_DIR/mysql.sock"
  export KV_TEST_MYSQL_ADMIN_USER=kvadmin
  export KV_TEST_MYSQL_ADMIN_PASSWORD=kvadmin
  export KV_TEST_MYSQL_DATADIR="$KV_DB_DIR/data"
  mariadb-install-db --no-defaults --user=root --datadir="$KV_DB_DIR/data" \
    --auth-root-authentication-method=socket --skip-test-db --force >"$KV_DB_DIR/install.log" 2>&1
  # A connect timeout of a minute: a sanitizer build on a loaded machine can take longer than the
  # default ten seconds for its TLS handshake, and the server would reset it.
  mariadbd --no-defaults --user=root --datadir="$KV_DB_DIR/data" --socket="$KV_DB_DIR/mysql.sock" \
    --pid-file="$KV_DB_DIR/mysqld.pid" --port="$KV_TEST_MYSQL_PORT" --bind-address=127.0.0.1 \
    --skip-name-resolve --connect-timeout=60 --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
    --ssl-ca="$KV_TEST_TLS_CA" --ssl-cert="$KV_TEST_TLS_CERT" --ssl-key="$KV_TEST_TLS_KEY" \
    --log-error="$KV_DB_DIR/err.log" &
  KV_DB_PID=$!
  for _ in $(seq 1 300); do
    mariadb-admin --no-defaults --socket="$KV_DB_DIR/mysql.sock" -uroot ping >/dev/null 2>&1 && break
    sleep 0.1
  done
  mariadb --no-defaults --socket="$KV_DB_DIR/mysql.sock" -uroot -e \
    "CREATE USER 'kvadmin'@'%' IDENTIFIED BY 'kvadmin'; GRANT ALL PRIVILEGES ON *.* TO 'kvadmin'@'%' WITH GRANT OPTION; FLUSH PRIVILEGES;"
  # Lets a fault test stop and start the same server again.
  export KV_TEST_MYSQL_START="mariadbd --no-defaults --user=root --datadir=$KV_DB_DIR/data --socket=$KV_DB_DIR/mysql.sock --pid-file=$KV_DB_DIR/mysqld.pid --port=$KV_TEST_MYSQL_PORT --bind-address=127.0.0.1 --skip-name-resolve --connect-timeout=60 --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci --ssl-ca=$KV_TEST_TLS_CA --ssl-cert=$KV_TEST_TLS_CERT --ssl-key=$KV_TEST_TLS_KEY --log-error=$KV_DB_DIR/err.log"
  export KV_TEST_MYSQL_PIDFILE="$KV_DB_DIR/mysqld.pid"
  echo "MariaDB on 127.0.0.1:$KV_TEST_MYSQL_PORT"
}

stop_mariadb() {
  [ -n "${KV_DB_DIR:-}" ] || return 0
  mariadb-admin --no-defaults --socket="$KV_DB_DIR/mysql.sock" -uroot shutdown >/dev/null 2>&1 || true
  if [ -f "$KV_DB_DIR/mysqld.pid" ]; then kill "$(cat "$KV_DB_DIR/mysqld.pid")" 2>/dev/null || true; fi
  wait "${KV_DB_PID:-}" 2>/dev/null || true
  rm -rf "$KV_DB_DIR"
}

start_smtp() {
  make_test_certs || return 1
  KV_SMTP_DIR="$(mktemp -d /tmp/kv-smtp.XXXXXX)"
  export KV_TEST_SMTP_HOST=127.0.0.1
  export KV_TEST_SMTP_PORT="$(free_port)"
  export KV_TEST_SMTP_USER=kvuser
  export KV_TEST_SMTP_PASSWORD=kvpass
  export KV_TEST_SMTP_SPOOL="$KV_SMTP_DIR/spool"
  export KV_TEST_RELAY_PORT="${KV_RELAY_PORT:-3025}"
  export KV_TEST_SMTP_STARTTLS_PORT="$(free_port)"
  export KV_TEST_SMTP_PLAIN_PORT="$(free_port)"
  export KV_TEST_SMTP_FOREIGN_AUTH_PORT="$(free_port)"
  mkdir -p "$KV_TEST_SMTP_SPOOL"
  # The relay port is fixed, so only one capture server can run on this machine at a time:
  # while another one holds it, wait (up to 15 minutes) rather than test against a stranger.
  local tries=0
  while :; do
    rm -f "$KV_SMTP_DIR/ready"
    /usr/bin/python3 "$ROOT/tests/mail/smtp_capture.py" --spool "$KV_TEST_SMTP_SPOOL" \
      --port "$KV_TEST_SMTP_PORT" --relay-port "$KV_TEST_RELAY_PORT" \
      --starttls-port "$KV_TEST_SMTP_STARTTLS_PORT" --plain-only-port "$KV_TEST_SMTP_PLAIN_PORT" \
      --foreign-auth-port "$KV_TEST_SMTP_FOREIGN_AUTH_PORT" --cert "$KV_TEST_TLS_CERT" --key "$KV_TEST_TLS_KEY" \
      --user "$KV_TEST_SMTP_USER" --password "$KV_TEST_SMTP_PASSWORD" \
      --relay-user "${KV_RELAY_USER_NL:-kolvarn}" --relay-password "${KV_RELAY_PASS_NL:-kolvarn}" \
      --relay-user "${KV_RELAY_USER_EN:-tralvenor}" --relay-password "${KV_RELAY_PASS_EN:-tralvenor}" \
      --ready "$KV_SMTP_DIR/ready" >"$KV_SMTP_DIR/smtp.log" 2>&1 &
    KV_SMTP_PID=$!
    while [ ! -f "$KV_SMTP_DIR/ready" ] && kill -0 "$KV_SMTP_PID" 2>/dev/null; do sleep 0.1; done
    [ -f "$KV_SMTP_DIR/ready" ] && break
    wait "$KV_SMTP_PID" 2>/dev/null
    KV_SMTP_PID=
    tries=$((tries + 1))
    if [ "$tries" -ge 180 ]; then
      echo "SMTP capture server did not start:" >&2; cat "$KV_SMTP_DIR/smtp.log" >&2
      return 1
    fi
    [ "$tries" -eq 1 ] && echo "Port $KV_TEST_RELAY_PORT is busy (another capture server?); waiting for it"
    export KV_TEST_SMTP_PORT="$(free_port)" KV_TEST_SMTP_STARTTLS_PORT="$(free_port)"
    export KV_TEST_SMTP_PLAIN_PORT="$(free_port)" KV_TEST_SMTP_FOREIGN_AUTH_PORT="$(free_port)"
    sleep 5
  done
  echo "SMTP capture on 127.0.0.1:$KV_TEST_SMTP_PORT (relay on $KV_TEST_RELAY_PORT)"
}

stop_smtp() {
  [ -n "${KV_SMTP_PID:-}" ] || return 0
  kill "$KV_SMTP_PID" 2>/dev/null || true
  wait "$KV_SMTP_PID" 2>/dev/null || true
  rm -rf "$KV_SMTP_DIR"
}
