#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package on a clean clone of this checkout inside a clean
# Debian 12 root, as a build daemon would: only the Build-Depends installed,
# the test suite run by the build, then lintian, an install of the .deb and
# a look at what it installed. Fails when any of these fails.
#
# usage: tools/ci-debian-package.sh          (as root)
#
# The clean root: tools/clean-root.sh, shared with tools/ci-fresh-debian.sh.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)

inside() {
  # In the root, in the clean clone.
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends lintian man-db
  # Nothing from tools/setup-debian.sh: the package's Build-Depends alone
  # must carry the build and every test (under CI=true a test that would
  # skip for want of a tool fails).
  apt-get build-dep -y -q --no-install-recommends ./
  local start=$SECONDS
  DEB_BUILD_OPTIONS=parallel=2 dpkg-buildpackage -us -uc -b
  echo "ci-debian-package: the package build with its tests took $((SECONDS - start)) s"
  local deb
  deb=$(ls ../velor-cdplayer_*.deb)
  echo "== lintian $deb =="
  lintian --fail-on error,warning --display-info --pedantic "$deb"
  echo "== install $deb =="
  apt-get install -y -q "$deb"
  velor-cdplayer --version
  man -w velor-cdplayer
  # What the package installs is what `cmake --install` puts there, but for
  # the man page, which Debian keeps compressed.
  local build ref
  build="build-deb"
  ref=$(mktemp -d)
  DESTDIR=$ref cmake --install "$build" --prefix /usr >/dev/null
  (cd "$ref" && find . ! -type d | sed 's|^\.||; s|\(/man/man[1-9]/.*\.[1-9]\)$|\1.gz|' | sort) >"$ref.cmake"
  dpkg -L velor-cdplayer | grep -v -e '^/usr/share/doc/' -e '^/usr/share/lintian/overrides/' | while read -r f; do
    [ -d "$f" ] || echo "$f"
  done | sort >"$ref.deb"
  diff -u "$ref.cmake" "$ref.deb" || { echo "ci-debian-package: the package installs other files than cmake --install" >&2; exit 1; }
  desktop-file-validate /usr/share/applications/velor-cdplayer.desktop
  appstreamcli validate --no-net --pedantic /usr/share/metainfo/example.velor.cdplayer.metainfo.xml
  echo "ci-debian-package: installed $(wc -l <"$ref.deb") files, as cmake --install does"
}

if [ "${1:-}" = --inside ]; then
  inside
  exit 0
fi
[ $# -eq 0 ] || { echo "usage: $0" >&2; exit 2; }
# shellcheck source=tools/clean-root.sh
. "$repo/tools/clean-root.sh"
start=$SECONDS
status=0
# The package is built one folder below, so that the .deb lands beside it.
run_in_clean_root ci-debian-package /root/pkg/src "tools/ci-debian-package.sh --inside" || status=$?
echo "ci-debian-package: ended with status $status after $((SECONDS - start)) s"
exit $status
