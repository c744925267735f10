#!/usr/bin/env bash
# The arena on the current X display: moves the marker with the arrow key,
# opens the console with the backquote key and types a command into it, then
# takes a screenshot. The marker must be drawn where the client says it is.
#   screenshot.sh WORKDIR SERVER CLIENT SHOT.png [EMULATOR]
# Under Wine the client runs in a Wine virtual desktop that covers the
# screen: with no window manager, Wine's own windows lose the activation to
# stray X focus events, and DirectInput reads only in the foreground; inside
# a desktop, Wine alone decides which window is active.
set -euo pipefail
work=$1 server=$2 client=$3 shot=$4
emu=()
[ $# -ge 5 ] && [ -n "$5" ] && emu=("$5")
own_colour="srgb(32,208,64)"  # kOwnColour

rm -rf "$work"
mkdir -p "$work" "$(dirname "$shot")"
cd "$work"
"${emu[@]}" "$server" --port-file port >server.log 2>&1 &
spid=$!
cpid=""
cleanup() {
  [ -n "$cpid" ] && kill "$cpid" 2>/dev/null || true
  kill "$spid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 1 1200); do
  [ -s port ] && break
  sleep 0.05
done
port=$(tr -d '\r\n' <port)

if [ ${#emu[@]} -gt 0 ]; then
  "${emu[@]}" explorer /desktop=arena,1024x768 "$client" --server "127.0.0.1:$port" --name A \
    >client.log 2>&1 &
  window="arena - Wine desktop"
else
  "$client" --server "127.0.0.1:$port" --name A >client.log 2>&1 &
  window="Tesmar arena - A"
fi
cpid=$!
wid=$(xdotool search --sync --onlyvisible --name "$window" | head -n1)

# Waits (bounded) for a line of the client's output matching a pattern;
# prints the last such line.
wait_line() {
  for _ in $(seq 1 1200); do
    line=$(tr -d '\r' <client.log | grep -E "$1" | tail -n1 || true)
    [ -n "$line" ] && { echo "$line"; return 0; }
    kill -0 "$cpid" 2>/dev/null || break
    sleep 0.05
  done
  echo "no line like '$1' from the client:" >&2
  cat client.log >&2
  return 1
}
wait_line '^pos 320,240$' >/dev/null  # welcomed, first position sent

# Hold the right arrow until the marker has moved 80 pixels.
xdotool windowfocus "$wid" 2>/dev/null || true
xdotool mousemove --window "$wid" 600 440
xdotool keydown Right
wait_line '^pos (4[0-9][0-9]|5[0-9][0-9]|6[0-9][0-9]),240$' >/dev/null
xdotool keyup Right
# The marker has stopped once the reported position stays the same.
last="" same=0
while [ $same -lt 5 ]; do
  now=$(wait_line '^pos [0-9]+,[0-9]+$')
  if [ "$now" = "$last" ]; then same=$((same + 1)); else same=0; last=$now; fi
  sleep 0.1
done
x=${last#pos }; x=${x%,*}; y=${last#*,}
# The marker as drawn, before the console covers that part of the screen.
pixel=$(import -window root -crop "1x1+$x+$y" txt:- | tail -n1)
echo "pixel at $x,$y: $pixel"
echo "$pixel" | grep -qF "$own_colour" || { echo "the marker is not drawn at $x,$y" >&2; exit 1; }

# The console: open it and ask it where everyone is; its lines are echoed on
# standard output too.
xdotool key grave
xdotool type --delay 40 pos
xdotool key Return
wait_line "^console: me A at $x,$y\$" >/dev/null
sleep 0.5  # a few more frames, so the screenshot shows the console drawn

import -window root "$shot"
echo "screenshot: $shot"

xdotool type --delay 40 quit
xdotool key Return
rc=0
wait "$cpid" || rc=$?
cpid=""
[ $rc -eq 0 ] || { echo "the client ended with $rc" >&2; exit 1; }
echo "arena screenshot taken"
