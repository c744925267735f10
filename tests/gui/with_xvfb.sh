#!/usr/bin/env bash
# Runs a command against a private X server: starts Xvfb on a display number
# it picks itself, exports DISPLAY, runs the command, and stops the server.
# With --wineserver (for commands that run Windows programs through Wine),
# the script then waits for the prefix's wineserver to end, so no Wine
# process outlives the test.
#
#   with_xvfb.sh [--wineserver WINESERVER] [--size WxHxD] -- COMMAND [ARG...]
set -euo pipefail

wineserver=""
size="1024x768x24"
while [ $# -gt 0 ]; do
  case "$1" in
    --wineserver) wineserver="$2"; shift 2 ;;
    --size) size="$2"; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done

dir=$(mktemp -d)
xvfb_pid=""
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  if [ -n "$wineserver" ]; then
    "$wineserver" -w || true
  fi
  rm -rf "$dir"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 600); do
  [ -s "$dir/display" ] && break
  if ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "Xvfb did not start:" >&2
    cat "$dir/xvfb.log" >&2
    exit 1
  fi
  sleep 0.05
done
if [ ! -s "$dir/display" ]; then
  echo "Xvfb gave no display number" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$dir/display")"

rc=0
"$@" || rc=$?
exit $rc
