#!/usr/bin/env bash
# Draws the README's pictures (the station's main and connection windows, the
# ranking, the practice scores, what a player misses, a new practice case, the
# replay, the rate review and the host)
# again from the real windows on the sample data. Under Xvfb when it is
# installed (apt-get install xvfb), else on the offscreen platform: the
# pictures are the same. Run after a build.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target vorlix-screenshots pileupsynth_sample_tree -j"$(nproc)" >/dev/null
if command -v xvfb-run >/dev/null; then
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1600x1000x24" build/bin/vorlix-screenshots docs/images
else
  QT_QPA_PLATFORM=offscreen build/bin/vorlix-screenshots docs/images
fi
