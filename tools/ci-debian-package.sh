#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package on a clean clone of this checkout inside a clean
# Debian 12 root, as a build daemon would: only the Build-Depends installed,
# the test suite run by the build, then lintian, an install of the .deb and
# a look at what it installed. Fails when any of these fails.
#
# usage: tools/ci-debian-package.sh          (as root)
#
# The bare root is the one tools/ci-fresh-debian.sh makes once and keeps in
# /var/tmp/velor-ci/bookworm; every run works on a fresh copy of it.
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
  build=build-deb
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
[ "$(id -u)" -eq 0 ] || { echo "ci-debian-package: run as root (it makes and enters a chroot)" >&2; exit 2; }

cache=/var/tmp/velor-ci
base=$cache/bookworm
if [ ! -x "$base/bin/bash" ]; then
  command -v mmdebstrap >/dev/null \
    || { apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q mmdebstrap; } >/dev/null
  mkdir -p "$cache"
  rm -rf "$base.part"
  echo "ci-debian-package: making the bare Debian 12 root once, in $base"
  mmdebstrap --quiet --mode=root --variant=debootstrap bookworm "$base.part"
  mv "$base.part" "$base"
fi

work=$(mktemp -d "$cache/run.XXXXXX")
root=$work/root
mounts=()
cleanup() {
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount -l "${mounts[$i]}" 2>/dev/null || true; done
  rm -rf --one-file-system "$work"
}
trap cleanup EXIT
# A run stopped from outside (a CI time limit) still unmounts its copy.
trap 'exit 143' TERM INT

cp -a "$base" "$root"
# The package is built one folder below, so that the .deb lands beside it.
git clone -q "$repo" "$root/root/pkg/src"
cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
mount_in() {
  mkdir -p "$root$2"
  mount "${@:3}" "$1" "$root$2"
  mounts+=("$root$2")
}
mount_in proc /proc -t proc
mount_in /sys /sys --rbind -o ro
mount_in /dev /dev --bind
mount_in /dev/pts /dev/pts --bind
mount_in tmpfs /dev/shm -t tmpfs

echo "ci-debian-package: $(git -C "$root/root/pkg/src" rev-parse --short HEAD) in a clean Debian 12 root"
start=$SECONDS
status=0
chroot "$root" /usr/bin/env -i HOME=/root USER=root LOGNAME=root SHELL=/bin/bash LANG=C.UTF-8 \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin CI="${CI:-}" \
  /bin/bash -c "cd /root/pkg/src && tools/ci-debian-package.sh --inside" || status=$?
echo "ci-debian-package: ended with status $status after $((SECONDS - start)) s"
exit $status
