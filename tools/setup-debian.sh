#!/usr/bin/env bash
# Installs what the player needs to build, run and be tested on Debian 12.
set -euo pipefail
packages=(
  # build
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libcdio-dev libcdio-paranoia-dev libpulse-dev
  # run
  fonts-ipafont-gothic fonts-dejavu-core pulseaudio-utils
  # test
  pulseaudio xvfb xauth xdotool x11-utils imagemagick openbox
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
