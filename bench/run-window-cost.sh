#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the player's window costs a user's machine, in one run on a private X
# server (Xvfb + openbox) and a private PulseAudio with a null sink at the
# player's own latency:
#  1. exec -> window mapped, the player on the demo disc beside a bare Qt
#     window of the same size (median of RUNS starts each);
#  2. CPU seconds per played minute of the demo disc, of the player, the
#     sound server and the X server (from /proc/PID/stat), with the window
#     shown, minimized, and covered by another window; the same PCM through
#     pacat (the floor) and, where installed, the image through mpv;
#  3. idle with no disc and with a stopped disc: CPU and wake-ups per
#     second of each of the player's threads (voluntary and involuntary
#     context switches from /proc/PID/task/TID/status), in the steady
#     state from IDLE_SETTLE seconds (default 15) after the window shows:
#     the stream joined ahead of the first play is fed silence for ten
#     seconds before it is corked;
#  4. the player's resident memory while it plays.
# The desktop has a session bus of its own, and its sound server takes
# sound in shared memory and suspends an idle sink, as a desktop's does.
# SECONDS_TO_PLAY (default 30) per measurement; RUNS (default 5).
# Needs: a build (default build/), Xvfb, openbox, xdotool, xmessage
# (x11-utils), pulseaudio, pulseaudio-utils, dbus-daemon; mpv is optional.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
build=$(realpath "${1:-build}")
player=$build/velor-cdplayer
demo=$build/demo/velor-demo.cue
seconds=${SECONDS_TO_PLAY:-30}
runs=${RUNS:-5}
display=${BENCH_DISPLAY:-:148}
idle_settle=${IDLE_SETTLE:-15}

# shellcheck source=bench/private-desktop.sh
source "$here/private-desktop.sh"
run_in_own_session "$0" "$@"
start_private_session "$display"

ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$1/stat"; }
per_minute() { awk -v t="$1" -v k="$ticks" -v s="$seconds" 'BEGIN { printf "%.3f", t / k * 60 / s }'; }

# Started in turn, so that a busy moment of the machine falls on both alike.
echo "== exec -> window mapped, ms (median of $runs, started in turn)"
for _ in $(seq "$runs"); do
  "$build/bench/time_to_window" "$build/bench/bare_window"; sleep 0.3
  "$build/bench/time_to_window" "$player" --device "$demo"; sleep 0.3
done 2>/dev/null | paste - - > "$dir/starts"
median_of() { cut -f"$1" "$dir/starts" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
printf "%-16s %s\n" "bare Qt window" "$(median_of 1)" velor-cdplayer "$(median_of 2)"

# The player's threads: id, name, context switches, CPU ticks.
threads() {
  for t in /proc/"$1"/task/*; do
    echo "${t##*/} $(tr ' ' _ < "$t/comm") $(awk '/^(non)?voluntary_ctxt_switches/ { s += $2 } END { print s }' "$t/status") $(awk '{print $14 + $15}' "$t/stat")"
  done | sort
}
wakeups() {  # pid, seconds
  threads "$1" > "$dir/threads0"; sleep "$2"; threads "$1" > "$dir/threads1"
  join "$dir/threads0" "$dir/threads1" | awk -v s="$2" -v main="$1" '
    { n = $2 (($1 == main) ? "(window)" : ""); w = ($6 - $3) / s; total += w
      printf "   %-24s %6.1f wake-ups/s\n", n, w }
    END { printf "   %-24s %6.1f wake-ups/s\n", "all threads", total }'
}

# One measurement of the player's process, the sound server and the X
# server over SECONDS_TO_PLAY.
measure() {  # name, player pid
  local p0 s0 x0
  p0=$(cpu "$2"); s0=$(cpu "$server"); x0=$(cpu "$xserver")
  sleep "$seconds"
  local own sound x
  own=$(per_minute $(($(cpu "$2") - p0))); sound=$(per_minute $(($(cpu "$server") - s0)))
  x=$(per_minute $(($(cpu "$xserver") - x0)))
  awk -v n="$1" -v o="$own" -v s="$sound" -v x="$x" \
    'BEGIN { printf "%-22s %7.3f %7.3f %7.3f %7.3f\n", n, o, s, x, o + s + x }'
}

start_player() {  # arguments
  "$player" "$@" >"$dir/player.log" 2>&1 &
  player_pid=$!
  window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$player_pid" | head -1)
  sleep 2  # the disc is read half a second after the window shows
}
stop_player() { kill "$player_pid"; wait "$player_pid" 2>/dev/null || true; }

echo
echo "== CPU seconds per played minute ($seconds s each)"
printf "%-22s %7s %7s %7s %7s\n" "" own server X whole
start_player --device "$demo"
xdotool mousemove --window "$window" 184 123 click 1
sleep 1
measure "player, window shown" "$player_pid"
rss=$(awk '/VmRSS/ {print $2}' "/proc/$player_pid/status")
wakeups "$player_pid" 10
xdotool windowminimize --sync "$window"
measure "player, minimized" "$player_pid"
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowmap --sync "$window"
xmessage -geometry 1024x768+0+0 "covering the player" >/dev/null 2>&1 &
cover=$!
sleep 1
measure "player, covered" "$player_pid"
kill "$cover"; wait "$cover" 2>/dev/null || true
stop_player

# The same PCM through pacat, the image through mpv: their CPU from time(1).
other() {  # name, command...
  local name=$1; shift
  local s0 x0
  s0=$(cpu "$server"); x0=$(cpu "$xserver")
  /usr/bin/time -o "$dir/time" -f "%U %S" timeout $((seconds * 2 + 30)) "$@" >/dev/null 2>&1 || true
  read -r user sys < "$dir/time"
  awk -v n="$name" -v u="$user" -v y="$sys" -v s="$(per_minute $(($(cpu "$server") - s0)))" \
      -v x="$(per_minute $(($(cpu "$xserver") - x0)))" -v d="$seconds" \
    'BEGIN { o = (u + y) * 60 / d; printf "%-22s %7.3f %7.3f %7.3f %7.3f\n", n, o, s, x, o + s + x }'
}
head -c $((44100 * 4 * seconds)) "$build/demo/velor-demo.bin" > "$dir/pcm.raw"
other "pacat (floor)" pacat --raw --format=s16le --rate=44100 --channels=2 "$dir/pcm.raw"
if command -v mpv >/dev/null; then
  other mpv mpv --no-config --ao=pulse --length="$seconds" cdda:// --cdrom-device="$demo"
else
  echo "mpv                    (not installed)"
fi

echo
echo "== Idle, window shown ($seconds s each, from $idle_settle s after the window)"
printf "%-22s %7s %7s %7s %7s\n" "" own server X whole
idle() {  # name, device
  start_player --device "$2"
  sleep "$idle_settle"
  measure "$1" "$player_pid"
  wakeups "$player_pid" 20
  stop_player
}
idle "no disc" "$dir/no-such-disc.cue"
idle "stopped disc" "$demo"

echo
echo "== Resident memory while playing: $((rss / 1024)) MiB ($rss KiB)"
