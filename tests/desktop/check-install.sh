#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs a build into a scratch DESTDIR and checks what a desktop needs:
# the binary, a valid desktop entry and AppStream metainfo, the icons of
# every hicolor size, the man page.
set -euo pipefail
build=$1 destdir=$2
rm -rf "$destdir"
DESTDIR=$destdir cmake --install "$build" --prefix /usr >/dev/null
share=$destdir/usr/share
missing=0
for f in "$destdir/usr/bin/velor-cdplayer" "$share/applications/velor-cdplayer.desktop" \
         "$share/metainfo/example.velor.cdplayer.metainfo.xml" "$share/man/man1/velor-cdplayer.1" \
         "$share/icons/hicolor/scalable/apps/velor-cdplayer.svg"; do
  [ -e "$f" ] || { echo "not installed: $f"; missing=1; }
done
for size in 16 22 24 32 48 64 128 256; do
  icon=$share/icons/hicolor/${size}x${size}/apps/velor-cdplayer.png
  [ -e "$icon" ] || { echo "not installed: $icon"; missing=1; }
done
[ $missing -eq 0 ]
desktop-file-validate "$share/applications/velor-cdplayer.desktop"
appstreamcli validate --no-net "$share/metainfo/example.velor.cdplayer.metainfo.xml"
echo "1 passed, 0 failed"
