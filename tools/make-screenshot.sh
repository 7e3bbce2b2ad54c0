#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the screenshot the AppStream metainfo shows: the real player on the
# demo disc, seven seconds into track 3, on a virtual X server with a window
# manager, as a desktop would show it.
#
# usage: tools/make-screenshot.sh [BUILD] [OUTPUT]
#   BUILD   a build folder with velor-cdplayer and the demo disc (default: build)
#   OUTPUT  the PNG to write (default: assets/screenshots/playing.png)
# Needs Xvfb, openbox, xdotool and ImageMagick (all in tools/setup-debian.sh).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
output=${2:-$repo/assets/screenshots/playing.png}
player=$build/velor-cdplayer
disc=$build/demo/velor-demo.cue
[ -x "$player" ] && [ -e "$disc" ] \
  || { echo "make-screenshot: build velor-cdplayer and demo_disc in $build first" >&2; exit 2; }

work=$(mktemp -d)
pids=()
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[$i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A home and runtime folder of its own: no saved window position moves the
# window, and a player the user already runs does not stop this one.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY QT_QPA_PLATFORM

mkfifo "$work/ready"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/ready" >/dev/null 2>&1 &
pids+=($!)
read -r display <"$work/ready"
export DISPLAY=:$display
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

# Without a sound server the player plays on in silence: the display moves
# just the same.
"$player" "$disc" >"$work/player.log" 2>&1 &
pids+=($!)
window=$(timeout 20 xdotool search --sync --pid "${pids[-1]}" | tail -n 1)
xdotool windowactivate --sync "$window"
xdotool key 3
sleep 7
mkdir -p "$(dirname "$output")"
# No time stamps in the file: the same render writes the same bytes.
import -window "$window" png:- | convert - -strip "$output"
identify "$output"
