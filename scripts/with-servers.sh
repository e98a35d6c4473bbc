#!/usr/bin/env bash
# Runs one command with the test servers up (MariaDB and the SMTP capture server on 127.0.0.1),
# then stops them: handy for running a few tests by hand, e.g.
#   cd build-test && bash ../scripts/with-servers.sh ctest -R Cloud
# Use the relay port the build was configured with (KV_RELAY_PORT, 3025 by default).
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export KV_RELAY_PORT="${KV_RELAY_PORT:-3025}"
source "$ROOT/scripts/test-servers.sh"
trap 'stop_smtp; stop_mariadb; remove_test_certs' EXIT
start_mariadb >/dev/null || exit 1
start_smtp >/dev/null || exit 1
"$@"
