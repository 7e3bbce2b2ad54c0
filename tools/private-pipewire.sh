#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A PipeWire session of its own: dbus-daemon, pipewire, wireplumber and
# pipewire-pulse, all in a folder of the caller's, with a null sink
# velor_null reachable through PulseAudio clients. Nothing of the user's
# own session (runtime folder, configuration, saved state) is read or
# changed.
#
#   eval "$(tools/private-pipewire.sh start DIR [RATE])"   # RATE: the graph's
#                                                          # clock, default 48000
#   ...   (PULSE_SERVER, XDG_RUNTIME_DIR, DBUS_SESSION_BUS_ADDRESS are set)
#   tools/private-pipewire.sh stop DIR
#
# start prints the environment to export, and the ids of what it started as
# PRIVATE_PIPEWIRE_PIDS (dbus-daemon pipewire wireplumber pipewire-pulse);
# stop ends exactly those and waits until they are gone.
set -euo pipefail

usage() { echo "usage: $0 start DIR [RATE] | stop DIR" >&2; exit 2; }
[ $# -ge 2 ] || usage
action=$1
dir=$(realpath -m "$2")
rate=${3:-48000}

stop() {
  [ -f "$dir/pids" ] || return 0
  local pids
  pids=$(tac "$dir/pids")  # the clients first, the bus last
  for p in $pids; do kill "$p" 2>/dev/null || true; done
  for _ in $(seq 100); do
    local alive=0
    for p in $pids; do kill -0 "$p" 2>/dev/null && alive=1; done
    [ $alive = 0 ] && break
    sleep 0.05
  done
  for p in $pids; do kill -9 "$p" 2>/dev/null || true; done
  rm -f "$dir/pids"
}

start() {
  mkdir -p "$dir/run" "$dir/config/pipewire/pipewire.conf.d" "$dir/state"
  chmod 700 "$dir/run"
  # The graph's clock: at 44100 a CD rate stream reaches the sink unchanged.
  cat > "$dir/config/pipewire/pipewire.conf.d/clock.conf" <<EOF
context.properties = {
    default.clock.rate = $rate
    default.clock.allowed-rates = [ $rate ]
}
EOF
  # The session manager looks at no device of the machine: the null sink is
  # the only one. Without Bluetooth it also needs no logind, which a bare
  # machine (a container, a fresh root) does not have; wireplumber ends at
  # once when it cannot reach it.
  mkdir -p "$dir/config/wireplumber/main.lua.d" "$dir/config/wireplumber/bluetooth.lua.d"
  echo 'alsa_monitor.enabled = false' > "$dir/config/wireplumber/main.lua.d/80-private-session.lua"
  echo 'bluez_monitor.enabled = false' > "$dir/config/wireplumber/bluetooth.lua.d/80-private-session.lua"
  export XDG_RUNTIME_DIR=$dir/run XDG_CONFIG_HOME=$dir/config XDG_STATE_HOME=$dir/state
  export PIPEWIRE_RUNTIME_DIR=$dir/run PULSE_SERVER=unix:$dir/run/pulse/native
  export DBUS_SESSION_BUS_ADDRESS=unix:path=$dir/bus
  : > "$dir/pids"
  # Each is started apart from the caller's output: a caller reading the
  # printed environment through $( ) would otherwise wait on them.
  dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS" </dev/null >"$dir/dbus.log" 2>&1 &
  echo $! >> "$dir/pids"
  for _ in $(seq 100); do [ -S "$dir/bus" ] && break; sleep 0.05; done
  pipewire </dev/null >"$dir/pipewire.log" 2>&1 &
  echo $! >> "$dir/pids"
  for _ in $(seq 100); do [ -S "$dir/run/pipewire-0" ] && break; sleep 0.05; done
  wireplumber </dev/null >"$dir/wireplumber.log" 2>&1 &
  echo $! >> "$dir/pids"
  pipewire-pulse </dev/null >"$dir/pipewire-pulse.log" 2>&1 &
  echo $! >> "$dir/pids"
  local ready=0
  for _ in $(seq 200); do timeout 5 pactl info >/dev/null 2>&1 && { ready=1; break; }; sleep 0.05; done
  if [ $ready = 0 ]; then
    echo "private-pipewire: pipewire-pulse does not answer (see $dir/*.log)" >&2
    stop; exit 1
  fi
  # pipewire-pulse answers before it can make sinks: on a fresh machine the
  # first attempts say "Not supported".
  local made=0
  for _ in $(seq 200); do
    timeout 5 pactl load-module module-null-sink sink_name=velor_null \
      sink_properties=device.description=velor_null rate="$rate" channels=2 >/dev/null 2>&1 && { made=1; break; }
    sleep 0.05
  done
  if [ $made = 0 ]; then
    echo "private-pipewire: no null sink could be made (see $dir/*.log)" >&2
    stop; exit 1
  fi
  timeout 5 pactl set-default-sink velor_null
  for v in XDG_RUNTIME_DIR XDG_CONFIG_HOME XDG_STATE_HOME PIPEWIRE_RUNTIME_DIR PULSE_SERVER DBUS_SESSION_BUS_ADDRESS; do
    printf 'export %s=%q\n' "$v" "${!v}"
  done
  printf 'export PRIVATE_PIPEWIRE_PIDS=%q\n' "$(tr '\n' ' ' < "$dir/pids" | sed 's/ $//')"
}

case $action in
  start) start ;;
  stop) stop ;;
  *) usage ;;
esac
