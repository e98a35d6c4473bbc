#!/usr/bin/env bash
# The test command: installs what is missing, builds with every host pointed at 127.0.0.1,
# starts MariaDB and an SMTP capture server on loopback, runs every test through ctest,
# stops the servers, and exits non-zero on any failure.
#   --sanitize   build with AddressSanitizer and UndefinedBehaviorSanitizer in a folder of its
#                own (KV_SANITIZE_BUILD, default build-sanitize) and run the tests under them;
#                any finding fails its test.
# Other arguments go to ctest, e.g. -L window (the window tests) or -R Cloud.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SANITIZE=0
CTEST_ARGS=()
for arg in "$@"; do
  if [ "$arg" = --sanitize ]; then SANITIZE=1; else CTEST_ARGS+=("$arg"); fi
done
if [ "$SANITIZE" = 1 ]; then
  BUILD="${KV_SANITIZE_BUILD:-$ROOT/build-sanitize}"
  EXTRA=(-DKV_SANITIZE=ON -DKV_BUILD_BENCH=OFF)
  # Leaks are found too; the allocation stacks are unwound exactly (Qt is built without frame
  # pointers), so that the suppressions of libraries' own leaks can name the allocating frame.
  export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:fast_unwind_on_malloc=0:malloc_context_size=8:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1}"
  export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$ROOT/tests/sanitize.supp:print_suppressions=0}"
  export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
else
  BUILD="${KV_TEST_BUILD:-$ROOT/build-test}"
  EXTRA=()
fi
# The built-in relay's port is compiled in; a second checkout testing on the same machine can
# pick another one (KV_RELAY_PORT=3026 bash scripts/test.sh) so the two capture servers do not wait
# for each other.
export KV_RELAY_PORT="${KV_RELAY_PORT:-3025}"
bash "$ROOT/scripts/deps.sh" || exit 1
bash "$ROOT/scripts/build.sh" "$BUILD" \
  -DKV_CLOUD_HOST=127.0.0.1 -DKV_PROBE_HOST=127.0.0.1 \
  -DKV_RELAY_HOST_NL=127.0.0.1 -DKV_RELAY_HOST_EN=127.0.0.1 -DKV_RELAY_PORT="$KV_RELAY_PORT" \
  "${EXTRA[@]}" ${KV_CMAKE_ARGS:-} || exit 1

source "$ROOT/scripts/test-servers.sh"
trap 'stop_smtp; stop_mariadb; remove_test_certs' EXIT
start_mariadb || exit 1
start_smtp || exit 1

cd "$BUILD" && ctest --output-on-failure -j 2 --timeout 600 "${CTEST_ARGS[@]}"
