# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the benchmarks: a desktop of their own, an X server (Xvfb) with
# a window manager (openbox) on the given display, for Qt's xcb platform,
# and a sound server of their own. The processes started are added to the
# caller's pids array, which end_private_processes ends.

# Sets xserver to the X server's process id.
start_private_desktop() {  # display
  Xvfb "$1" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xserver=$!; pids+=("$xserver")
  export DISPLAY=$1
  for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
  openbox >/dev/null 2>&1 &
  pids+=($!)
  export QT_QPA_PLATFORM=xcb
}

# Runs the calling script again inside a session bus of its own, as a
# desktop's programs have one.
run_in_own_session() {  # the script, its arguments
  if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] || [ -z "${IN_OWN_SESSION:-}" ]; then
    exec env IN_OWN_SESSION=1 dbus-run-session -- "$@"
  fi
}

# A home, an X desktop (on the given display) and a sound server of the
# benchmark's own: enter_private_home, start_private_desktop and
# start_private_pulse.
start_private_session() {  # display
  enter_private_home
  start_private_desktop "$1"
  start_private_pulse "$dir/pa"
}

# A scratch folder (dir) holding the player's own home, cache, settings and
# runtime folders, so that a desktop's settings or a running player of the
# same user stay out of it; at exit what pids holds is ended and the folder
# removed.
enter_private_home() {
  dir=$(mktemp -d)
  pids=()
  trap 'end_private_processes; rm -rf "$dir"' EXIT
  export HOME=$dir/home XDG_RUNTIME_DIR=$dir/xdg XDG_CACHE_HOME=$dir/home/.cache XDG_CONFIG_HOME=$dir/home/.config
  mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
}

# A PulseAudio with a null sink at 44.1 kHz, its socket and state in the
# folder given; sets server to its process id and PULSE_SERVER to it. As on
# a desktop, clients hand it their sound in shared memory and a sink that
# nobody plays to is suspended after five seconds.
start_private_pulse() {  # folder
  mkdir -p "$1"
  PULSE_RUNTIME_PATH=$1 PULSE_STATE_PATH=$1 pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --disallow-exit --log-level=error \
    -L "module-null-sink sink_name=velor_null rate=44100 format=s16le channels=2" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$1/native" \
    -L module-suspend-on-idle </dev/null >"$1/pulseaudio.log" 2>&1 &
  server=$!; pids+=("$server")
  export PULSE_SERVER=unix:$1/native
  for _ in $(seq 100); do timeout 5 pactl info >/dev/null 2>&1 && break; sleep 0.1; done
}

# The pids, last started first.
end_private_processes() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
}

# exec -> window mapped in ms, the median of so many starts.
window_start_median() {  # starts, the build's time_to_window, command...
  local starts=$1 timer=$2; shift 2
  for _ in $(seq "$starts"); do "$timer" "$@"; sleep 0.3; done |
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
