#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every
# test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh -DVORLIX_WERROR=ON
# Qt, GStreamer and PulseAudio write below HOME and XDG_RUNTIME_DIR: keep
# them in a throw-away folder.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/runtime"
export HOME="$scratch" XDG_RUNTIME_DIR="$scratch/runtime" QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j"$(nproc)"
