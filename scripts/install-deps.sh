#!/usr/bin/env bash
# Installs the Debian 12 packages the station needs to build, run and test
# (the sanitizer and fuzz builds included).
# Does nothing when they are all present; needs root otherwise.
set -euo pipefail

packages=(
  build-essential cmake
  qt6-base-dev
  # The sound-device module plays through the PulseAudio client library;
  # the tests and the sound benchmark run PulseAudio servers of their own
  # (null sinks) and record them with parec.
  pkg-config libpulse-dev pulseaudio pulseaudio-utils
  # The Debian package (cpack -G DEB) and its test: dpkg-shlibdeps and
  # file work out the libraries it depends on; appstreamcli and
  # desktop-file-validate check its metadata and menu entries.
  dpkg-dev file appstream desktop-file-utils
  # The window icons are SVG, drawn by the icon engine in libqt6svg6; the
  # package test checks the windows' class and icon on an Xvfb server.
  libqt6svg6 xvfb x11-utils
  # The fuzz build: clang with libFuzzer and the sanitizer runtimes, and
  # llvm-symbolizer so that its reports name functions and lines.
  clang libclang-rt-14-dev llvm
  # What Orca says while the station runs (tst_orcaspeech): the screen
  # reader itself with the Python modules it loads, speech-dispatcher with
  # its generic module (the test speaks through it to nobody), the
  # accessibility bus, a D-Bus session and a private X server.
  orca python3-pyatspi python3-speechd python3-brlapi python3-louis
  gir1.2-gtk-3.0 gir1.2-wnck-3.0 speech-dispatcher at-spi2-core dbus xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Run this as root (or with sudo) to install them." >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
