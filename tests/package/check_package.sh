#!/usr/bin/env bash
# Installs the build into a temporary prefix, validates its menu entries and AppStream metainfo,
# builds the Debian package and compares its file list with the expected one.
#   check_package.sh <build folder> <expected-contents.txt>
set -euo pipefail
BUILD="$1"; EXPECTED="$2"
WORK="$(mktemp -d /tmp/kv-package.XXXXXX)"
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$BUILD" --prefix "$WORK/root/usr" >/dev/null
desktops=("$WORK"/root/usr/share/applications/*.desktop)
metainfos=("$WORK"/root/usr/share/metainfo/*.metainfo.xml)
[ ${#desktops[@]} -eq 2 ] || fail "expected two menu entries, found ${#desktops[@]}"
[ ${#metainfos[@]} -eq 2 ] || fail "expected two metainfo files, found ${#metainfos[@]}"
for f in "${desktops[@]}"; do
  desktop-file-validate "$f" || fail "desktop-file-validate: $f"
  exe=$(sed -n 's/^Exec=//p' "$f"); icon=$(sed -n 's/^Icon=//p' "$f")
  [ -x "$WORK/root/usr/bin/$exe" ] || fail "$f starts $exe, which is not installed"
  [ -f "$WORK/root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon"
  for s in 16 24 32 48 64 128 256 512; do
    png="$WORK/root/usr/share/icons/hicolor/${s}x${s}/apps/$icon.png"
    [ -f "$png" ] || fail "no ${s}px icon $icon"
    file "$png" | grep -q "PNG image data, $s x $s" || fail "$png is not a ${s}x${s} PNG"
  done
done
for f in "${metainfos[@]}"; do
  appstreamcli validate --no-net "$f" || fail "appstreamcli validate: $f"
done
sqlite3 "$WORK/root/usr/share/kolvarn/kolvarn.db3" "SELECT count(*) FROM bon" >/dev/null \
  || fail "the template database does not open"

cpack --config "$BUILD/CPackConfig.cmake" -B "$WORK/cpack" >/dev/null || fail "cpack"
deb=$(ls "$WORK"/cpack/*.deb)
[ "$(basename "$deb")" = "kolvarn_$(sed -n 's/^Version: //p' <(dpkg-deb -f "$deb"))_amd64.deb" ] \
  || fail "unexpected package name $(basename "$deb")"
dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sed 's|^\./|/|' | sort >"$WORK/contents.txt"
diff -u <(sort "$EXPECTED") "$WORK/contents.txt" || fail "package contents differ from $EXPECTED"
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6sql6-sqlite libmariadb3 libcurl4 fonts-liberation2; do
  grep -q "$d" <<<"$depends" || fail "Depends lacks $d: $depends"
done
echo "package $(basename "$deb"): $(wc -l <"$WORK/contents.txt") files, Depends: $depends"
