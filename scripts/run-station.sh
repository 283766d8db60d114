#!/usr/bin/env bash
# Installs what is missing, builds, stages the sample data beside the
# executable and starts the station on it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<'TXT'
The station is built in build/bin, but there is no display to show it on.
Start it from a desktop session, or on a machine without one run for example:
  apt-get install -y xvfb && xvfb-run -a build/bin/vorlix-player
(or set DISPLAY to an X server you can see).
TXT
  exit 1
fi
exec build/bin/vorlix-player "$@"
