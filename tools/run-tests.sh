#!/usr/bin/env bash
# Runs every test of a build folder. Window tests run offscreen; the tests
# that need a sound server start a private PulseAudio server of their own;
# an X server (Xvfb) is started here for the tests that drive the real binary.
set -euo pipefail
build=${1:-build}
started_x=""
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  started_x=$!
  export DISPLAY=$display
  trap '[ -n "$started_x" ] && kill "$started_x" 2>/dev/null || true' EXIT
fi
ctest --test-dir "$build" --output-on-failure -j2 --timeout 600
