#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The player as a desktop starts it: installed into a scratch DESTDIR and
# run by `gio launch` from its installed desktop entry, with a location as a
# file manager hands it over:
#   a file:// URL of a disc image, in a folder whose name must be unescaped:
#     the installed player opens that very disc (its MPRIS metadata names
#     the album and the first track's length);
#   cdda://srN, a drive: the installed player looks for /dev/srN; with no
#     such drive here it says so.
# Each start has its own session bus, runtime and home folders: a second
# player would end at once. Each is ended through MPRIS Quit.
#
# usage: desktop-launch.sh BUILD_DIR SCRATCH_DIR
set -euo pipefail

service=org.mpris.MediaPlayer2.velor_cdplayer
deadline_s=20  # a bound on each wait: it fails only when what is awaited never comes

# Polls a command until it succeeds; false when it never does.
wait_for() {
  local end=$((SECONDS + deadline_s))
  until "$@"; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.1
  done
}

mpris() {  # METHOD ARGS...
  gdbus call --session --dest $service --object-path /org/mpris/MediaPlayer2 --method "$@" 2>/dev/null
}

player_pid() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetConnectionUnixProcessID $service 2>/dev/null \
    | sed -n 's/^(uint32 \([0-9]*\),)$/\1/p' | grep .
}

# Ended, or a zombie that whoever adopted it has not reaped yet.
gone() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
  [ "$(cut -d' ' -f2 <<<"${stat##*)}")" = Z ]
}

# What the player shows of itself: its MPRIS metadata, or what it said.
shown_metadata() { mpris org.freedesktop.DBus.Properties.Get org.mpris.MediaPlayer2.Player Metadata; }
shown_output() { cat "$log"; }
shows_all() {  # metadata|output STRING...: keeps what it saw in $seen
  seen=$("shown_$1") || return 1
  shift
  local want
  for want in "$@"; do grep -qF -- "$want" <<<"$seen" || return 1; done
}

# One start: runs on a session bus of its own (dbus-run-session).
# Prints what it saw; fails when the player did not do as a desktop expects.
launch_case() {
  local destdir=$1 home=$2 location=$3 expect=$4
  shift 4  # what else is to be seen: the strings the metadata or the output hold
  mkdir -p "$home/run" && chmod 700 "$home/run"
  export HOME=$home XDG_RUNTIME_DIR=$home/run XDG_CONFIG_HOME=$home/config
  export PATH=$destdir/usr/bin:$PATH XDG_DATA_DIRS=$destdir/usr/share:/usr/share
  # No sound is played: no one's sound server is to be reached.
  export PULSE_SERVER=unix:$home/no-sound-server QT_QPA_PLATFORM=xcb
  local log=$home/player.log
  # The player outlives gio: its output goes to a file, never to CTest's pipe.
  gio launch "$destdir/usr/share/applications/velor-cdplayer.desktop" "$location" >"$log" 2>&1 </dev/null \
    || { echo "gio launch failed:"; cat "$log"; return 1; }

  local pid status=0
  wait_for player_pid >/dev/null || { echo "no player on the session bus for $location:"; cat "$log"; return 1; }
  pid=$(player_pid)
  local exe
  exe=$(readlink "/proc/$pid/exe") || true
  echo "$location: gio started $exe (pid $pid)"
  if [ "$exe" != "$destdir/usr/bin/velor-cdplayer" ]; then
    echo "not the installed player"; status=1
  fi

  local seen=
  if wait_for shows_all "$expect" "$@"; then
    echo "$expect: $seen"
  else
    echo "$expect never held: $*"; echo "$expect: $seen"; echo "the player said:"; cat "$log"; status=1
  fi

  mpris org.mpris.MediaPlayer2.Quit >/dev/null || true
  if ! wait_for gone "$pid"; then
    echo "the player did not end on MPRIS Quit"; kill "$pid"; status=1
  fi
  return $status
}

if [ "${1:-}" = --case ]; then
  shift
  launch_case "$@"
  exit
fi

missing=()
for tool in gio gdbus dbus-run-session Xvfb; do
  command -v $tool >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  # Under CI a run without the tools must not pass as if they had been there.
  [ "${CI:-}" = true ] && { echo "cannot run under CI: needs ${missing[*]}"; exit 1; }
  echo "SKIP: needs ${missing[*]}"
  exit 77
fi

build=$(realpath "$1") scratch=$2
rm -rf "$scratch"
mkdir -p "$scratch"
scratch=$(realpath "$scratch")
destdir=$scratch/destdir
DESTDIR=$destdir cmake --install "$build" --prefix /usr >/dev/null

# An X server of the test's own: Xvfb picks a free display and writes its
# number once it is ready.
mkfifo "$scratch/ready"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/ready" >/dev/null 2>&1 </dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
read -r display <"$scratch/ready" || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=:$display

# A disc with a title of its own and a first track of 13 s, whose folder
# and name are escaped in its URL.
"$build/make_test_disc" "$scratch/my discs/ディスク" --tracks 13,7 >/dev/null
cue="$scratch/my discs/ディスク.cue"
sed -i '1i TITLE "Launched From The Desktop"' "$cue"
url=$(gio info "$cue" | sed -n 's/^uri: //p')

# A drive that is not there, whatever drives this machine has.
n=7
while [ -e /dev/sr$n ]; do n=$((n + 1)); done

passed=0 failed=0
run_case() {  # HOME LOCATION WHAT-TO-SEE...
  if dbus-run-session -- bash "$0" --case "$destdir" "$@"; then
    passed=$((passed + 1))
  else
    echo "FAIL: gio launch $2"; failed=$((failed + 1))
  fi
}
echo "gio launch with $url"
run_case "$scratch/home-file" "$url" metadata \
  "'xesam:album': <'Launched From The Desktop'>" "'mpris:length': <int64 13000000>"
echo "gio launch with cdda://sr$n"
run_case "$scratch/home-cdda" "cdda://sr$n" output "velor-cdplayer: /dev/sr$n: no such drive or disc image"
echo "Totals: $passed passed, $failed failed, 0 skipped"
[ $failed -eq 0 ]
