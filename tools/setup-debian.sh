#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what the player needs to be built, run and tested on Debian 12,
# and nothing more. Optional parts (the Qt Multimedia output comparison in
# bench/) are built only when their packages are there; see the README.
set -euo pipefail
packages=(
  # build
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libcdio-dev libcdio-paranoia-dev libpulse-dev libxcb1-dev libdiscid-dev
  # run: the fonts the skin names, and Wayland for sessions without an X server
  fonts-ipafont-gothic fonts-dejavu-core qt6-wayland
  # test: private sound servers (PulseAudio; PipeWire with its PulseAudio
  # service, as Debian's GNOME has it) with their tools, a virtual X
  # server, clicks
  pulseaudio pulseaudio-utils xvfb xdotool imagemagick
  pipewire pipewire-pulse wireplumber pipewire-bin
  # test: a window manager for the window test
  openbox
  # test: a private session bus, and the checkers of the desktop files
  dbus-daemon desktop-file-utils appstream
  # test: a screen reader's view (the accessibility bus, and Debian's python3
  # with the AT-SPI bindings), and a desktop's start (gio launch, gdbus)
  at-spi2-core gir1.2-atspi-2.0 python3-gi libglib2.0-bin
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

install="apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  bash -c "$install"
elif command -v sudo >/dev/null; then
  sudo bash -c "$install"
else
  echo "setup-debian: sudo is not installed; run this as root, then run this script again: su -c '$install'" >&2
  exit 1
fi
