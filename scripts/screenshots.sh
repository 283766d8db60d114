#!/usr/bin/env bash
# Draws the README's pictures of the replay, the rate review and the host again from
# the real windows on the sample data (offscreen; no display needed).
# Run after a build (bash scripts/run-station.sh or run-tests.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target vorlix-screenshots pileupsynth_sample_tree -j"$(nproc)" >/dev/null
QT_QPA_PLATFORM=offscreen build/bin/vorlix-screenshots docs/images
