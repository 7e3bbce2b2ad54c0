#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# CPU time and peak memory of 60 s of playback of the demo disc to a null
# sink, beside pacat streaming the same 60 s of PCM to the same sink; then
# the time from "play" to the first sound at the sink; then what is heard
# at the play modes' transitions; then what a drive's verified (paranoia)
# reads cost beside plain image reads, and how the modelled drive turns.
# Needs: a build (default build/), pulseaudio, pulseaudio-utils, time.
set -euo pipefail
build=${1:-build}
seconds=${SECONDS_TO_PLAY:-60}
dir=$(mktemp -d)
trap 'kill $server 2>/dev/null || true; rm -rf "$dir"' EXIT

PULSE_RUNTIME_PATH=$dir PULSE_STATE_PATH=$dir pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --log-level=error \
  -L "module-null-sink sink_name=velor_null rate=44100 format=s16le channels=2" \
  -L "module-native-protocol-unix auth-anonymous=1 socket=$dir/native" &
server=$!
export PULSE_SERVER=unix:$dir/native
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done

demo=$build/demo/velor-demo.cue
head -c $((44100 * 4 * seconds)) "$build/demo/velor-demo.bin" > "$dir/pcm.raw"

/usr/bin/time -f "velor control: %U s user + %S s system, peak RSS %M KB" \
  "$build/bench/bench_play" --seconds "$seconds" "$demo" &
player=$!
/usr/bin/time -f "pacat (floor): %U s user + %S s system, peak RSS %M KB" \
  pacat --raw --format=s16le --rate=44100 --channels=2 "$dir/pcm.raw" &
floor=$!
wait $player $floor

"$build/make_test_disc" "$dir/coded" --tracks 20,20,20,20 >/dev/null
"$build/bench/bench_play" --latency 20 "$dir/coded.cue"

"$build/bench/bench_transitions"

"$build/bench/bench_drive_read" "$demo"

# Time to titles and their cost, cold and cached, on a bus of its own.
dbus-run-session -- "$build/bench/bench_titles" 5
