#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The device control's sound output (PulseOutput) beside a plain push-mode
# QAudioSink player of the same coded disc, on a private PulseAudio server
# with a 44.1 kHz null sink: start-up latency, sound after stop, breaks in
# the stream while both cores are busy, and CPU time and peak memory.
# Needs: a build (default build/) with bench_outputs, pulseaudio,
# pulseaudio-utils, time.
set -euo pipefail
build=${1:-build}
rounds=${ROUNDS:-15}
load=${LOAD:-2}  # busy loops during the 30 s run
dir=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$dir"' EXIT

export PULSE_RUNTIME_PATH=$dir PULSE_STATE_PATH=$dir
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --log-level=error \
  -L "module-null-sink sink_name=velor_null rate=44100 format=s16le channels=2" \
  -L "module-native-protocol-unix auth-anonymous=1 socket=$dir/native" 2> "$dir/server.log" &
export PULSE_SERVER=unix:$dir/native PULSE_SINK=velor_null
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink velor_null

bench=$build/bench/bench_outputs
"$build/make_test_disc" "$dir/coded" --tracks 20,20,20,20 >/dev/null
disc=$dir/coded.cue
players=(velor qt)

echo "== start-up latency ($rounds rounds)"
for p in "${players[@]}"; do echo -n "$p: "; "$bench" latency "$p" "$rounds" "$disc" || echo "failed ($?)"; done

echo "== tail at stop ($rounds rounds)"
for p in "${players[@]}"; do echo "$p:"; { "$bench" tail "$p" "$rounds" "$disc" || echo "failed ($?)"; } | sed 's/^/  /'; done

echo "== 30 s across a track start, $load x yes > /dev/null beside it"
for p in "${players[@]}"; do
  parec --raw --format=s16le --rate=44100 --channels=2 --latency-msec=5 -d velor_null.monitor > "$dir/$p.raw" &
  rec=$!
  until [ -s "$dir/$p.raw" ]; do sleep 0.05; done  # the monitor is slow to start
  busy=()
  for _ in $(seq "$load"); do timeout 40 yes > /dev/null & busy+=($!); done
  sleep 0.5
  "$bench" play "$p" 30 "$disc" > /dev/null
  sleep 0.5
  kill $rec "${busy[@]}" 2>/dev/null || true; wait $rec "${busy[@]}" 2>/dev/null || true
  echo -n "$p: "; "$bench" runs "$dir/$p.raw"
done

echo "== 60 s of playback, one player at a time"
for p in "${players[@]}"; do
  /usr/bin/time -f "$p: %U s user + %S s system, peak RSS %M KB" "$bench" play "$p" 60 "$disc" > /dev/null
done
