#!/usr/bin/env bash
# The run command: installs what is missing, builds, installs the data files into the documents
# folder when they are absent, and starts the window.
#   bash scripts/run.sh               the Dutch edition (kolvarnpro)
#   bash scripts/run.sh tralvenorpro  the English edition
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
EDITION="${1:-kolvarnpro}"
bash "$ROOT/scripts/deps.sh"
bash "$ROOT/scripts/build.sh" "$ROOT/build" -DKV_BUILD_TESTS=OFF -DKV_BUILD_BENCH=OFF
bash "$ROOT/scripts/install-data.sh"
BIN="$ROOT/build/src/exe/$EDITION"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting the window on a virtual screen (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$BIN"
fi
exec "$BIN"
