#!/usr/bin/env bash
# Runs one fuzz target for a bounded number of inputs, as ctest does:
#   run-fuzz-target.sh TARGET CORPUS RUNS SECONDS ARTIFACTS [libFuzzer options...]
# It stops after RUNS inputs, or after SECONDS on a slow machine.
# libFuzzer adds the inputs it finds to the corpus folder it is given, so it
# works on a copy and the committed seeds stay as they are. An input that
# fails is kept in ARTIFACTS (crash-<sha1>, leak-..., timeout-...); run the
# target on that file alone to reproduce it.
set -euo pipefail
target=$1 corpus=$2 runs=$3 seconds=$4 artifacts=$5
shift 5

# The targets write a few small files for every input: a memory-backed
# folder keeps that fast when there is one.
root=${TMPDIR:-/tmp}
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  root=/dev/shm
fi
work=$(mktemp -d "$root/vorlix-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp -R "$corpus" "$work/corpus"
mkdir -p "$artifacts"

# A fixed seed makes the suite's runs repeatable; VORLIX_FUZZ_SEED=0 lets
# libFuzzer pick one, as a longer hand run should.
TMPDIR="$work" "$target" -seed="${VORLIX_FUZZ_SEED:-1}" -runs="$runs" -max_total_time="$seconds" -timeout=10 \
  -artifact_prefix="$artifacts/$(basename "$target")-" "$@" "$work/corpus"
