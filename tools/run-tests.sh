#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every test of a build folder. Window tests run offscreen; the tests
# that need a sound server start a private PulseAudio server of their own;
# an X server (Xvfb) is started here for the tests that drive the real binary.
set -euo pipefail
build=${1:-build}
started_x=""
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  # Xvfb picks a free display itself and writes its number once it is
  # ready: a guessed number may belong to another server already.
  ready=$(mktemp -u)
  mkfifo "$ready"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$ready" >/dev/null 2>&1 &
  started_x=$!
  trap '[ -n "$started_x" ] && kill "$started_x" 2>/dev/null || true' EXIT
  read -r display <"$ready" || true
  rm -f "$ready"
  [ -n "$display" ] && export DISPLAY=:$display
fi
status=0
ctest --test-dir "$build" --output-on-failure -j2 --timeout 600 --output-junit tests.xml \
  --test-output-size-passed 65536 --test-output-truncation head || status=$?
# What ran and what skipped, from every test's own report: a skipped test
# function passes in CTest's count, so it is counted here apart.
awk '/Totals: [0-9]+ passed, [0-9]+ failed, [0-9]+ skipped/ {
       for (i = 1; i <= NF; i++) { if ($(i+1) ~ /^passed/) p += $i; if ($(i+1) ~ /^failed/) f += $i; if ($(i+1) ~ /^skipped/) s += $i }
     }
     /<testcase / { n++ }
     END { printf "tests run: %d programs; their test functions: %d passed, %d failed, %d skipped\n", n, p, f, s }' \
  "$build/tests.xml" || true
exit $status
