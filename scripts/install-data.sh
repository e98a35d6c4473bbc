#!/usr/bin/env bash
# Puts the installed data files into the documents folder when they are absent: the template
# database kolvarn.db3 (made from resources/schema.sql, the oldest form) and the three sounds.
# Files that are already there are never touched.
#   bash scripts/install-data.sh [folder]   (default: the XDG documents folder)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
DOCS="${1:-}"
if [ -z "$DOCS" ]; then
  DOCS="$(xdg-user-dir DOCUMENTS 2>/dev/null || true)"
  if [ -z "$DOCS" ] || [ "$DOCS" = "$HOME" ]; then DOCS="$HOME/Documents"; fi
fi
mkdir -p "$DOCS"
if [ ! -e "$DOCS/kolvarn.db3" ]; then
  sqlite3 "$DOCS/kolvarn.db3" < "$ROOT/resources/schema.sql"
  echo "Installed $DOCS/kolvarn.db3"
fi
for s in woosh.mp3 pop.mp3 nono.mp3; do
  [ -e "$DOCS/$s" ] || cp "$ROOT/resources/sounds/$s" "$DOCS/$s"
done
