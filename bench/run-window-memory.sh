#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The player's resident memory while its product-information window and its
# program editor are opened and closed again and again, as a user does it:
# the real player on the demo disc, on a private X server (Xvfb + openbox),
# each window opened by a click on its button of the main window and closed
# by a click on its own close picture or cancel button, each window on a
# player of its own. Prints VmRSS after every 100 cycles and, per window,
# the growth from where it settled (after SETTLE cycles) to the end.
# CYCLES=N cycles per window (default 1000); SETTLE=N (default 50);
# CHECK=1 fails (exit 1) when a window's growth exceeds 1 MiB;
# PLAYER=path runs another build's player. Needs: a build (default build/),
# Xvfb, openbox, xdotool, x11-utils.
set -euo pipefail
build=$(realpath "${1:-build}")
player=${PLAYER:-$build/velor-cdplayer}
cycles=${CYCLES:-1000}
settle=${SETTLE:-50}
display=${BENCH_DISPLAY:-:148}
limit_kb=1024
dir=$(mktemp -d)
pids=()   # the X server and the window manager
pid=      # the player in hand
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)
# A window mapped before the window manager runs stays unmanaged.
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done

# A settings file and a lock of its own; no sound server answers, so the
# player plays into its null output.
mkdir -p "$dir/config" "$dir/run" && chmod 700 "$dir/run"
export QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME=$dir/config XDG_RUNTIME_DIR=$dir/run PULSE_SERVER=unix:$dir/no-server

# The first line only; sed reads on, where head would leave the writer a
# broken pipe.
first() { sed -n 1p; }
start_player() {
  "$player" --device "$build/demo/velor-demo.cue" 2>"$dir/player.log" &
  pid=$!
  main=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" | first)
  sleep 1.5  # the disc is read half a second after the window shows
}
stop_player() { kill "$pid"; wait "$pid" 2>/dev/null || true; pid=; }

# The player's mapped windows beside the main one.
others() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "$main" || true; }
wait_for_window() {
  local window
  for _ in $(seq 500); do
    window=$(others | first)
    [ -n "$window" ] && { echo "$window"; return; }
    sleep 0.01
  done
  echo "no window came up; the player says:" >&2; cat "$dir/player.log" >&2; exit 2
}
wait_until_closed() {
  for _ in $(seq 500); do
    [ -z "$(others)" ] && return
    sleep 0.01
  done
  echo "the window stayed open" >&2; exit 2
}
rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$pid/status"; }
# Read once the closed window has been deleted (deleteLater).
settled_rss_kb() { sleep 0.3; rss_kb; }
mib() { awk -v k="$1" -v f="${2:-%.2f}" 'BEGIN { printf f, k / 1024 }'; }

# name, opening button's centre on the main window, closing control's
# centre on the opened window
soak() {
  local name=$1 open_x=$2 open_y=$3 close_x=$4 close_y=$5 i window base now growth
  start_player
  echo "== $name: $cycles openings; VmRSS in MiB, at start $(mib "$(rss_kb)")"
  for ((i = 1; i <= cycles; i++)); do
    xdotool mousemove --window "$main" "$open_x" "$open_y" click 1
    window=$(wait_for_window)
    xdotool mousemove --window "$window" "$close_x" "$close_y" click 1
    wait_until_closed
    ((i == settle)) && base=$(settled_rss_kb)
    ((i % 100 == 0)) && printf "  %5d  %s\n" "$i" "$(mib "$(settled_rss_kb)")"
  done
  now=$(settled_rss_kb)
  stop_player
  growth=$((now - ${base:-$now}))
  echo "$name: growth from cycle $settle to $cycles: $(mib "$growth" %+.2f) MiB"
  summaries+=("$(printf "%-16s %s MiB" "$name" "$(mib "$growth" %+.2f)")")
  ((growth <= limit_kb)) || failed=1
}

summaries=()
failed=0
# The product window: the info button (211,88 56x17), its close picture.
soak "product window" 239 96 15 16
# The program editor: the program button (211,48 56x17), its cancel button.
soak "program editor" 239 56 164 20
echo "== growth after settling"
printf '%s\n' "${summaries[@]}"
if [ "${CHECK:-0}" = 1 ] && [ "$failed" = 1 ]; then
  echo "FAIL: a window grew the player by more than 1 MiB"
  exit 1
fi
