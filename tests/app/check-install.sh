#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the desktop integration
# with the desktop's own tools: the launcher validates, the file types compile
# into the MIME database, and .mtx and .asc resolve to our types.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
test -x "$prefix/bin/brelko"
test -f "$prefix/share/icons/hicolor/scalable/apps/brelko.svg"
desktop-file-validate "$prefix/share/applications/brelko.desktop"
grep -q '^Exec=brelko --open %F$' "$prefix/share/applications/brelko.desktop"
grep -q 'image/x-tga' "$prefix/share/applications/brelko.desktop"
update-mime-database "$prefix/share/mime"
grep -qx 'application/x-brelko-mtx:\*.mtx' "$prefix/share/mime/globs"
grep -qx 'application/x-brelko-backup:\*.asc' "$prefix/share/mime/globs"
test -f "$prefix/share/brelko/lang/danish.lng"
echo "desktop integration installs and validates"
