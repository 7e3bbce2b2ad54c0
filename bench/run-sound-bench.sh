#!/usr/bin/env bash
# The player as a user meets it, on a private X server (Xvfb + openbox) and
# a private PulseAudio server with a null sink:
#  1. what is heard after each click (bench_commands: the old sound after
#     play, the four seeks, next, pause, play and stop; the resume's repeat
#     or skip), on a coded disc;
#  2. the cost of playing 60 s of the demo disc with the window shown: CPU
#     seconds per played minute of the player, of the sound server and of
#     the X server (from /proc/PID/stat), the player's share by thread and
#     its peak RSS; in the same run pacat streaming the same PCM (the floor)
#     and mpv playing the same image.
# Needs: a build (default build/), Xvfb, openbox, xdotool, pulseaudio,
# pulseaudio-utils, mpv, time.
set -euo pipefail
build=$(realpath "${1:-build}")
seconds=${SECONDS_TO_PLAY:-60}
display=${BENCH_DISPLAY:-:147}
dir=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xserver=$!; pids+=("$xserver")
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)

PULSE_RUNTIME_PATH=$dir PULSE_STATE_PATH=$dir pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit \
  --log-level=error \
  -L "module-null-sink sink_name=velor_null rate=44100 format=s16le channels=2" \
  -L "module-native-protocol-unix auth-anonymous=1 socket=$dir/native" &
server=$!; pids+=("$server")
export PULSE_SERVER=unix:$dir/native
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
mkdir -p "$dir/run" && chmod 700 "$dir/run"
export XDG_RUNTIME_DIR=$dir/run QT_QPA_PLATFORM=xcb

echo "== What is heard after each click (coded disc, null sink monitor)"
"$build/make_test_disc" "$dir/coded" --tracks 30,30,30,30 >/dev/null
"$build/bench/bench_commands" "$build/velor-cdplayer" "$dir/coded.cue"

ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$1/stat"; }  # utime + stime, in ticks
seconds_of() { awk -v t="$1" -v k="$ticks" -v s="$seconds" 'BEGIN { printf "%.2f", t / k * 60 / s }'; }
report() {  # name, own ticks, server ticks, X ticks, peak RSS KB
  local own server_cost x_cost
  own=$(seconds_of "$2"); server_cost=$(seconds_of "$3"); x_cost=$(seconds_of "$4")
  awk -v n="$1" -v o="$own" -v s="$server_cost" -v x="$x_cost" -v r="$5" \
    'BEGIN { printf "%-14s %6.2f %8.2f %6.2f %7.2f %9.1f\n", n, o, s, x, o + s + x, r / 1024 }'
}

echo
echo "== Cost of ${seconds} s of the demo disc, CPU seconds per played minute"
printf "%-14s %6s %8s %6s %7s %9s\n" "" "own" "server" "X" "whole" "RSS MB"
demo=$build/demo/velor-demo.cue
"$build/velor-cdplayer" --device "$demo" &
player=$!; pids+=("$player")
window=$(xdotool search --sync --onlyvisible --pid "$player" | head -1)
sleep 1.5  # the disc is read half a second after the window shows
xdotool mousemove --window "$window" 184 123 click 1
sleep 1
# Each thread of the player: id, name, utime + stime in ticks.
threads() { for t in /proc/"$1"/task/*; do echo "${t##*/} $(awk '{print $14 + $15}' "$t/stat") $(tr ' ' _ < "$t/comm")"; done | sort; }
threads "$player" > "$dir/threads0"
p0=$(cpu "$player"); s0=$(cpu "$server"); x0=$(cpu "$xserver")
sleep "$seconds"
p1=$(cpu "$player"); s1=$(cpu "$server"); x1=$(cpu "$xserver")
threads "$player" > "$dir/threads1"
rss=$(awk '/VmHWM/ {print $2}' "/proc/$player/status")
kill "$player"; wait "$player" 2>/dev/null || true
report velor-cdplayer $((p1 - p0)) $((s1 - s0)) $((x1 - x0)) "$rss"
# The player's own share by thread; its first thread is the window's.
join "$dir/threads0" "$dir/threads1" | while read -r tid t0 name t1 _; do
  [ "$tid" = "$player" ] && name="$name(window)"
  printf "  %-26s %6s\n" "$name" "$(seconds_of $((t1 - t0)))"
done

# The same PCM through pacat and the same image through mpv; their own CPU
# and peak RSS from time(1).
other() {  # name, command...
  local name=$1; shift
  local s0 x0 s1 x1
  s0=$(cpu "$server"); x0=$(cpu "$xserver")
  /usr/bin/time -o "$dir/time" -f "%U %S %M" "$@" >/dev/null 2>&1 || true
  s1=$(cpu "$server"); x1=$(cpu "$xserver")
  read -r user sys rss < "$dir/time"
  report "$name" "$(awk -v u="$user" -v s="$sys" -v k="$ticks" 'BEGIN { printf "%d", (u + s) * k }')" \
    $((s1 - s0)) $((x1 - x0)) "$rss"
}
head -c $((44100 * 4 * seconds)) "$build/demo/velor-demo.bin" > "$dir/pcm.raw"
other "pacat (floor)" pacat --raw --format=s16le --rate=44100 --channels=2 "$dir/pcm.raw"
other mpv mpv --no-config --ao=pulse --length="$seconds" cdda:// --cdrom-device="$demo"
