# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the benchmarks: a desktop of their own, an X server (Xvfb) with
# a window manager (openbox) on the given display, for Qt's xcb platform.
# Sets xserver to the X server's process id and adds both processes to the
# caller's pids array, which its clean-up ends.
start_private_desktop() {  # display
  Xvfb "$1" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xserver=$!; pids+=("$xserver")
  export DISPLAY=$1
  for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
  openbox >/dev/null 2>&1 &
  pids+=($!)
  export QT_QPA_PLATFORM=xcb
}
