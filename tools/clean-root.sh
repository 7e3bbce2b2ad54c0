#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the CI scripts: runs a command on a clean clone of this checkout
# inside a fresh copy of a clean Debian 12 root (what a new user's machine
# has). The bare root (debootstrap's variant of Debian 12, nothing added) is
# made once with mmdebstrap and kept in /var/tmp/velor-ci/bookworm; every run
# works on a copy of it, so the packages a run installs are never kept.
#
#   run_in_clean_root NAME FOLDER COMMAND
#     NAME    the caller's name, for its messages
#     FOLDER  where inside the root the clone goes (the command runs there)
#     COMMAND one shell string
# Returns the command's status. Needs root: it makes and enters a chroot.

clean_root_cache=/var/tmp/velor-ci
clean_root_mounts=()
clean_root_work=

clean_root_cleanup() {
  local i
  for ((i = ${#clean_root_mounts[@]} - 1; i >= 0; i--)); do umount -l "${clean_root_mounts[$i]}" 2>/dev/null || true; done
  clean_root_mounts=()
  [ -z "$clean_root_work" ] || rm -rf --one-file-system "$clean_root_work"
  clean_root_work=
}

clean_root_make_base() {  # name
  local base=$clean_root_cache/bookworm
  [ -x "$base/bin/bash" ] && return 0
  command -v mmdebstrap >/dev/null \
    || { apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q mmdebstrap; } >/dev/null
  mkdir -p "$clean_root_cache"
  rm -rf "$base.part"
  echo "$1: making the bare Debian 12 root once, in $base"
  mmdebstrap --quiet --mode=root --variant=debootstrap bookworm "$base.part"
  mv "$base.part" "$base"
}

run_in_clean_root() {  # name folder command
  local name=$1 folder=$2 command=$3
  local repo root
  repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  [ "$(id -u)" -eq 0 ] || { echo "$name: run as root (it makes and enters a chroot)" >&2; return 2; }
  clean_root_make_base "$name"
  clean_root_work=$(mktemp -d "$clean_root_cache/run.XXXXXX")
  root=$clean_root_work/root
  trap clean_root_cleanup EXIT
  # A run stopped from outside (a CI time limit) still unmounts its copy.
  trap 'exit 143' TERM INT

  cp -a "$clean_root_cache/bookworm" "$root"
  git clone -q "$repo" "$root$folder"
  cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
  local mount
  for mount in "proc /proc -t proc" "/sys /sys --rbind -o ro" "/dev /dev --bind" "/dev/pts /dev/pts --bind" \
               "tmpfs /dev/shm -t tmpfs"; do
    # shellcheck disable=SC2086  # what, where and the options, split
    set -- $mount
    mkdir -p "$root$2"
    mount "${@:3}" "$1" "$root$2"
    clean_root_mounts+=("$root$2")
  done

  echo "$name: $(git -C "$root$folder" rev-parse --short HEAD) in a clean Debian 12 root: $command"
  local status=0
  chroot "$root" /usr/bin/env -i HOME=/root USER=root LOGNAME=root SHELL=/bin/bash LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin CI="${CI:-}" \
    /bin/bash -c "cd $folder && $command" || status=$?
  return $status
}
