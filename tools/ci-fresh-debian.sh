#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one of the README's two commands ("run" or "test"), exactly as the
# README writes it, on a clean clone of this checkout inside a clean Debian 12
# root: what a new user's machine has. Proves that the set-up installs
# everything the build and the tests need.
#
# usage: tools/ci-fresh-debian.sh [run|test]     (as root; default: test)
#
# The bare root (debootstrap's variant of Debian 12, nothing added) is made
# once with mmdebstrap and kept in /var/tmp/velor-ci/bookworm; every run works
# on a fresh copy of it, so the packages a run installs are never kept.
set -euo pipefail
which=${1:-test}
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=/var/tmp/velor-ci
base=$cache/bookworm

readme_command() {
  # The first indented line after "Run it" or "Test it".
  local heading=$1
  awk -v h="$heading" 'index($0, h) == 1 { found = 1; next }
                       found && /^    [^ ]/ { sub(/^    /, ""); print; exit }' "$repo/README.md"
}

case $which in
  run) command=$(readme_command "Run it") ;;
  test) command=$(readme_command "Test it") ;;
  *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac
[ -n "$command" ] || { echo "ci-fresh-debian: the README has no $which command" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "ci-fresh-debian: run as root (it makes and enters a chroot)" >&2; exit 2; }

if [ ! -x "$base/bin/bash" ]; then
  command -v mmdebstrap >/dev/null \
    || { apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q mmdebstrap; } >/dev/null
  mkdir -p "$cache"
  rm -rf "$base.part"
  echo "ci-fresh-debian: making the bare Debian 12 root once, in $base"
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
git clone -q "$repo" "$root/root/src"
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

echo "ci-fresh-debian: $(git -C "$root/root/src" rev-parse --short HEAD) in a clean Debian 12 root: $command"
start=$SECONDS
status=0
chroot "$root" /usr/bin/env -i HOME=/root USER=root LOGNAME=root SHELL=/bin/bash LANG=C.UTF-8 \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin CI="${CI:-}" \
  /bin/bash -c "cd /root/src && $command" || status=$?
echo "ci-fresh-debian: the README's $which command ended with status $status after $((SECONDS - start)) s"
exit $status
