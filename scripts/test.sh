#!/usr/bin/env bash
# The test command: installs what is missing, builds with every host pointed at 127.0.0.1,
# starts MariaDB and an SMTP capture server on loopback, runs every test through ctest,
# stops the servers, and exits non-zero on any failure.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${KV_TEST_BUILD:-$ROOT/build-test}"
# The built-in relay's port is compiled in; a second checkout testing on the same machine can
# pick another one (KV_RELAY_PORT=3026 bash scripts/test.sh) so the two capture servers do not wait
# for each other.
export KV_RELAY_PORT="${KV_RELAY_PORT:-3025}"
bash "$ROOT/scripts/deps.sh" || exit 1
bash "$ROOT/scripts/build.sh" "$BUILD" \
  -DKV_CLOUD_HOST=127.0.0.1 -DKV_PROBE_HOST=127.0.0.1 \
  -DKV_RELAY_HOST_NL=127.0.0.1 -DKV_RELAY_HOST_EN=127.0.0.1 -DKV_RELAY_PORT="$KV_RELAY_PORT" \
  ${KV_CMAKE_ARGS:-} || exit 1

source "$ROOT/scripts/test-servers.sh"
trap 'stop_smtp; stop_mariadb; remove_test_certs' EXIT
start_mariadb || exit 1
start_smtp || exit 1

cd "$BUILD" && ctest --output-on-failure -j 2 --timeout 600
