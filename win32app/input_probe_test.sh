#!/usr/bin/env bash
# Presses keys and a mouse button with xdotool on the current X display and
# checks that input_probe reads them through the system's input devices.
#   input_probe_test.sh COMMAND...   (the probe, through Wine if need be)
set -euo pipefail

out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$@" 60000 >"$out" 2>&1 &
pid=$!

# The probe says "ready" once its window has the keyboard.
wid=$(xdotool search --sync --onlyvisible --name "Talvane input probe" | head -n1)
for _ in $(seq 1 600); do
  grep -q '^ready' "$out" && break
  kill -0 "$pid" 2>/dev/null || break
  xdotool windowfocus "$wid" 2>/dev/null || true
  sleep 0.05
done
if ! grep -q '^ready' "$out"; then
  echo "the probe never got the keyboard" >&2
  cat "$out" >&2
  kill "$pid" 2>/dev/null || true
  exit 1
fi

# The devices report states, not events: each key or button is held until
# the probe has reported it (or the probe ends), then released.
wait_for() {
  for _ in $(seq 1 600); do
    grep -qx "$1" <(tr -d '\r' <"$out") && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.02
  done
  return 1
}
xdotool mousemove --window "$wid" 40 40
for pair in "a:key 0x1e" "b:key 0x30" "c:key 0x2e"; do
  xdotool keydown "${pair%%:*}"
  wait_for "${pair#*:}" || true
  xdotool keyup "${pair%%:*}"
done
xdotool mousedown 1
wait_for "button 0" || true
xdotool mouseup 1
xdotool keydown Escape
wait_for "key 0x01" || true
xdotool keyup Escape
rc=0
wait "$pid" || rc=$?
tr -d '\r' <"$out" >"$out.clean"
mv "$out.clean" "$out"
cat "$out"
[ "$rc" -eq 0 ] || { echo "the probe exited with $rc" >&2; exit 1; }
# A, B, C, Escape as DirectInput key codes, and the left button.
for want in "key 0x1e" "key 0x30" "key 0x2e" "key 0x01" "button 0"; do
  grep -qx "$want" "$out" || { echo "missing: $want" >&2; exit 1; }
done
echo "input probe: all presses seen"
