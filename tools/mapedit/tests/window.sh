#!/usr/bin/env bash
# mapedit --window on the current X display, driven with xdotool like a
# designer would: picks an NPC of the sample map by clicking on it (and
# finds it drawn in the selection colour), drags it, draws a trigger with a
# rubber band, undoes and redoes that, is asked about unsaved changes when
# closed, saves and closes. The saved map must then load in mapinfo (the
# game's map loader) with the NPC moved and the trigger added.
#   window.sh WORKDIR MAPEDIT MAPEDIT_SAMPLE MAPINFO SHOT.png [EMULATOR]
# Every position comes from the window's --print-layout lines; every step
# waits for the window's answer on standard output (bounded), never for a
# fixed time. Under Wine the window runs in a Wine virtual desktop that
# covers the screen (as the arena's screenshot test explains).
set -euo pipefail
work=$1 mapedit=$2 sample=$3 mapinfo=$4 shot=$5
emu=()
[ $# -ge 6 ] && [ -n "$6" ] && emu=("$6")
selected="#FF0000"  # the editor's selection colour

rm -rf "$work"
mkdir -p "$work" "$(dirname "$shot")"
cd "$work"
"${emu[@]}" "$sample" . >/dev/null
before=$("${emu[@]}" "$mapedit" sample.gmb --data data list | tr -d '\r')
npc_before=$(echo "$before" | grep '^npc 1 ')
triggers_before=$(echo "$before" | grep -c '^trigger ' || true)

args=(sample.gmb --nav sample.nav --maze sample.gma --data data --window --print-layout)
if [ ${#emu[@]} -gt 0 ]; then
  "${emu[@]}" explorer /desktop=mapedit,1024x768 "$mapedit" "${args[@]}" >out.log 2>err.log &
  window="mapedit - Wine desktop"
else
  "$mapedit" "${args[@]}" >out.log 2>err.log &
  window="^mapedit - "
fi
pid=$!
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

fail() {
  echo "window.sh: $*" >&2
  import -window root failed.png 2>/dev/null || true
  echo "--- stdout (last lines)" >&2
  tail -n 40 out.log >&2 || true
  echo "--- stderr" >&2
  cat err.log >&2 || true
  exit 1
}

# Waits (bounded, a guard against hanging only) until the window's output has a line matching a pattern
# after line $1; prints the last such line.
wait_line() {
  local from=$1 pattern=$2
  for _ in $(seq 1 2400); do
    line=$(tail -n +"$((from + 1))" out.log | tr -d '\r' | grep -E "$pattern" | tail -n1 || true)
    [ -n "$line" ] && { echo "$line"; return 0; }
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  fail "no line like '$pattern'"
}
lines() { wc -l <out.log; }
# Runs an xdotool command and waits for the window to redraw after it.
step() {
  local n
  n=$(lines)
  xdotool "$@"
  wait_line "$n" '^layout end$' >/dev/null
}
# Holds keys down until the window answers with a line matching a pattern
# (the window reads the keyboard's state once a frame, so a press must last
# until it has been seen). The pattern must match only the answer: a
# redraw's lines may still be arriving when the press starts.
press() {
  local n
  n=$(lines)
  xdotool keydown "$1"
  wait_line "$n" "$2" >/dev/null
  xdotool keyup "$1"
}
# Where the last layout puts a thing ("npc 1" -> "X Y").
where() {
  tr -d '\r' <out.log | tac | awk -v key="$1" '
    /^layout end$/ { inblock = 1; next }
    /^layout -?[0-9]+ -?[0-9]+ -?[0-9]+ -?[0-9]+$/ { if (inblock) exit }
    inblock && index($0, key " ") == 1 { n = split($0, f, " "); print f[n-1], f[n]; exit }'
}

wait_line 0 '^layout end$' >/dev/null
wid=$(xdotool search --sync --onlyvisible --name "$window" | head -n1)
xdotool windowfocus "$wid" 2>/dev/null || true
# The view's size and its top left on the screen.
read -r view_w view_h ox oy < <(tr -d '\r' <out.log | grep -E '^layout -?[0-9]+ ' | tail -n1 |
  cut -d' ' -f2-)
# Moves the pointer to a point of the view.
point() { xdotool mousemove $((ox + $1)) $((oy + $2)); }

# Pick: a click on the NPC shows its record in the status line.
read -r x y < <(where "npc 1")
[ -n "${x:-}" ] || fail "no npc 1 in the layout"
point "$x" "$y"
n=$(lines)
xdotool mousedown 1
wait_line "$n" '^status: npc 1 1 ' >/dev/null
wait_line "$n" '^layout end$' >/dev/null
step mouseup 1
# The frame shows on the screen a moment after the window has drawn it.
pixels=0
for i in $(seq 1 600); do
  pixels=$(import -window root -crop "30x30+$((ox + x - 15))+$((oy + y - 15))" -depth 8 txt:- |
    grep -ciF "$selected" || true)
  [ "$pixels" -gt 0 ] && break
  sleep 0.05
done
echo "selection-coloured pixels around the NPC: $pixels (try $i)"
[ "$pixels" -gt 0 ] || fail "the picked NPC is not drawn in the selection colour"

# Drag it 60 pixels right and 40 down.
step mousedown 1
step mousemove $((ox + x + 30)) $((oy + y + 20))
step mousemove $((ox + x + 60)) $((oy + y + 40))
n=$(lines)
xdotool mouseup 1
wait_line "$n" '^layout end$' >/dev/null
read -r nx ny < <(where "npc 1")
echo "npc 1 moved from $x,$y to $nx,$ny"
[ $((nx - x - 60)) -ge -2 ] && [ $((nx - x - 60)) -le 2 ] || fail "the NPC did not follow the mouse"
[ $((ny - y - 40)) -ge -2 ] && [ $((ny - y - 40)) -le 2 ] || fail "the NPC did not follow the mouse"

# The picture for the README: the NPC picked and moved.
import -window root -crop "${view_w}x$((view_h + 20))+$ox+$oy" +repage "$shot"
echo "screenshot: $shot"

# A trigger with the rubber band (Shift + left drag), in the view's lower left.
bx=$((view_w / 6)) by=$((view_h * 5 / 6))
point "$bx" "$by"
xdotool keydown shift
step mousedown 1
step mousemove $((ox + bx + 40)) $((oy + by + 30))
n=$(lines)
xdotool mouseup 1
xdotool keyup shift
trigger=$(wait_line "$n" '^console: trigger [0-9]+$')
trigger=${trigger##* }
wait_line "$n" '^layout end$' >/dev/null
echo "trigger $trigger added"
[ -n "$(where "trigger $trigger")" ] || fail "the new trigger is not on the map"

# Undo takes it away, redo brings it back.
n=$(lines)
press ctrl+z '^console: undone$'
wait_line "$n" '^layout end$' >/dev/null
[ -z "$(where "trigger $trigger")" ] || fail "undo left the trigger"
n=$(lines)
press ctrl+y '^console: redone$'
wait_line "$n" '^layout end$' >/dev/null
[ -n "$(where "trigger $trigger")" ] || fail "redo did not bring the trigger back"

# Closing with unsaved changes asks; Escape keeps editing.
press ctrl+q '^status: Unsaved changes'
press Escape '^status: redone$'

kill -0 "$pid" || fail "the window closed although asked to keep editing"

# The console takes mapedit's commands.
n=$(lines)
xdotool key grave
xdotool type --delay 40 "list"
xdotool key Return
wait_line "$n" "^console: trigger $trigger " >/dev/null
xdotool key grave

press ctrl+s '^console: saved '
xdotool keydown ctrl+q  # saved: no question, the window goes
rc=0
wait "$pid" || rc=$?
pid=""
[ $rc -eq 0 ] || fail "the window ended with $rc"

# The saved map: loads in the game's loader, NPC moved, one trigger more.
"${emu[@]}" "$mapinfo" --check sample.gmb
"${emu[@]}" "$mapinfo" sample.gmb | tr -d '\r' | grep -qx "triggers: $((triggers_before + 1))" ||
  fail "mapinfo: not one trigger more"
after=$("${emu[@]}" "$mapedit" sample.gmb --data data list | tr -d '\r')
npc_after=$(echo "$after" | grep '^npc 1 ')
echo "before: $npc_before"
echo "after:  $npc_after"
[ "$npc_after" != "$npc_before" ] || fail "the NPC was not saved moved"
echo "$after" | grep -q "^trigger $trigger " || fail "the trigger was not saved"
echo "mapedit window test passed"
