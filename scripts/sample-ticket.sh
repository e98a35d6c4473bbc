#!/usr/bin/env bash
# Renders the fully filled sample ticket into docs/: the PDF, its 80 dpi PNG and the preview
# widget grabbed at the same width, for a look side by side. Builds bench_document first.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build-test}"
cmake --build "$BUILD" --target bench_document -j2 >/dev/null
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$BUILD/xdg-runtime}"
"$BUILD/bench/bench_document" --sample-out="$ROOT/docs"
pdftoppm -r 80 -png -singlefile "$ROOT/docs/sample-ticket.pdf" "$ROOT/docs/sample-ticket"
