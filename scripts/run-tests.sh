#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every
# test headless. Then the same suite again in build-asan, built with
# AddressSanitizer and UndefinedBehaviorSanitizer, and every fuzz target for
# a bounded number of inputs in build-fuzz, a clang libFuzzer build.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
stage() { echo "== $1 ($((SECONDS - started)) s so far)"; }

bash scripts/install-deps.sh
stage "normal build"
bash scripts/build.sh -DVORLIX_WERROR=ON
# Qt and PulseAudio write below HOME and XDG_RUNTIME_DIR: keep
# them in a throw-away folder.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/runtime"
export HOME="$scratch" XDG_RUNTIME_DIR="$scratch/runtime" QT_QPA_PLATFORM=offscreen
stage "tests"
ctest --test-dir build --output-on-failure -j"$(nproc)"

# A Debug build keeps Qt's own assertions in the inline code we compile.
stage "sanitizer build (build-asan)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVORLIX_SANITIZE=ON -DVORLIX_WERROR=ON >/dev/null
cmake --build build-asan -j"$(nproc)"
stage "tests under the sanitizers"
ctest --test-dir build-asan --output-on-failure -j"$(nproc)"
# The fuzz targets run from scratch copies of their seeds (fuzz/corpus).
stage "fuzz build (build-fuzz)"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DVORLIX_FUZZ=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)"
stage "fuzz targets"
ctest --test-dir build-fuzz --output-on-failure -j"$(nproc)"
