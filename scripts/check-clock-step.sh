#!/usr/bin/env bash
# The host under libfaketime: a 15-second round with one station, the wall
# clock stepped ten minutes forward 5 s into the test (as a time server
# would). The station should be told to submit when the recording has
# played (about 15 s after the start), not at the step. Takes about 25 s.
#   bash scripts/check-clock-step.sh [build/bin]
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build/bin}
for package in faketime python3; do
    dpkg -s "$package" >/dev/null 2>&1 || { apt-get update >/dev/null && apt-get install -y "$package" >/dev/null; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/data"
python3 - "$work/data" <<'PY'
import math, sys, wave
w = wave.open(sys.argv[1] + '/Step.wav', 'wb')
w.setnchannels(1); w.setsampwidth(1); w.setframerate(8000)
w.writeframes(bytes(128 + int(20 * math.sin(i / 5)) for i in range(8000 * 15)))
w.close()
open(sys.argv[1] + '/StepCalls.txt', 'w').write('K1AA\r\nK2BB\r\n')
PY
echo "+0" >"$work/offset"
port=$((40000 + RANDOM % 20000))
(
    sleep 1.5; echo "wave Step.wav StepCalls.txt"; sleep 0.5; echo send; sleep 1.5; echo start
    sleep 5; echo "+600" >"$work/offset"; sleep 14; echo quit
) | LD_PRELOAD=$(dpkg -L libfaketime | grep 'libfaketime.so.1$') FAKETIME_TIMESTAMP_FILE="$work/offset" \
    FAKETIME_NO_CACHE=1 FAKETIME_DONT_FAKE_MONOTONIC=1 QT_QPA_PLATFORM=offscreen \
    "$bin/vorlix-host" --headless --address 127.0.0.1 --port "$port" --folder "$work/data" >"$work/host.out" 2>&1 &
sleep 0.8
python3 - "$port" <<'PY'
import socket, sys, time
s = socket.create_connection(('127.0.0.1', int(sys.argv[1])))
s.settimeout(0.2)
s.sendall(b';CONNECT_POSITION:Position 1;REGISTER_PLAYER:K5XX,COMPUTERLOG;')
started = None
deadline = time.monotonic() + 40
while time.monotonic() < deadline:
    try:
        d = s.recv(4096)
    except socket.timeout:
        continue
    if not d:
        break
    if b'VALIDATE_WAVEFILE' in d: s.sendall(b';WAVEFILE_STATUS:FILE_OK;')
    if b'HEALTH_CHECK' in d: s.sendall(b';CLIENT_ALIVE:')
    if b'START_TEST' in d and started is None: started = time.monotonic()
    if b'FORCE_SUBMIT' in d and started is not None:
        after = time.monotonic() - started
        print('FORCE_SUBMIT %.1f s after START_TEST (the recording lasts 15 s)' % after)
        s.sendall(b';FINALIZE_LOG:')
        sys.exit(0 if after >= 14.5 else 1)
print('no FORCE_SUBMIT')
sys.exit(1)
PY
wait
