#!/usr/bin/env bash
# The update window end to end: the Windows build's Drevik.exe under wine64
# on a private X display, started without options in a game folder at 100,
# updates it from versiond and proftpd on loopback (running natively, from
# the native build). The player's part is played with xdotool: the update
# runs by itself; a press of the stop button stops it, a press of the update
# button goes on, and once the folder is at 101 the exit button ends the
# program with 0. The announcement and update notes come from nginx on
# loopback: both are drawn in their panels, the wheel scrolls the
# announcement, and a click on its link asks the shell to open it (Wine's
# browser setting points at a script of the test that notes the address).
# Screenshots of the window as it goes (pages, updating, stopped, done) are
# kept in TESMAR_SCREENSHOT_DIR when it is set.
#
#   with-xvfb update_window_test.sh
#
# Environment: TESMAR_SOURCE_DIR, TESMAR_BINARY_DIR (the Windows build),
# WINE (wine64), WINEPREFIX (a prefix for windowed programs). Skipped (77)
# where the servers cannot run: no proftpd, not root, no xdotool or
# ImageMagick or nginx. The native build's tools must be there (the test fixture
# native_tools builds them): their absence fails the run.
set -euo pipefail
source_dir=${TESMAR_SOURCE_DIR:?}
wine=${WINE:?}
: "${WINEPREFIX:?}" "${DISPLAY:?}"
[ -x /usr/sbin/proftpd ] || { echo "skip: proftpd is not installed"; exit 77; }
[ "$(id -u)" = 0 ] || { echo "skip: proftpd's anonymous sessions need root"; exit 77; }
command -v xdotool > /dev/null || { echo "skip: xdotool is missing"; exit 77; }
command -v import > /dev/null || { echo "skip: ImageMagick is missing"; exit 77; }
[ -x /usr/sbin/nginx ] || { echo "skip: nginx is not installed"; exit 77; }
native=$source_dir/build/native/bin
for tool in versiond mkpatch; do
  [ -x "$native/$tool" ] || { echo "$native/$tool is missing: build the native preset first"; exit 1; }
done
windows_bin=${TESMAR_BINARY_DIR:-$source_dir/build/windows-x64}/bin
VERSIOND=$native/versiond
MKPATCH=$native/mkpatch
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# Generous limits over what the steps take on a loaded machine: a step that
# takes this long has hung.
step_limit_s=180
# proftpd's rate for the patch (KB/s): slow enough that the update is still
# running when the test looks at it and presses stop.
export FTP_RATE=256

# The window's buttons, centres of their rectangles in window coordinates;
# the update/stop button's rectangle; a spot of the window with no control.
update_button=(212 389)
exit_button=(212 429)
settings_button=(101 389)
save_button=(283 362)  # in the settings dialog
update_rect=95x28+165+375
nowhere=(400 580)

. "$source_dir/scripts/servers.sh"
work=$(mktemp -d)
patcher_pid=""
cleanup() {
  if [ -n "$patcher_pid" ] && kill -0 "$patcher_pid" 2> /dev/null; then
    kill "$patcher_pid" 2> /dev/null || true
    wait "$patcher_pid" 2> /dev/null || true
  fi
  stop_servers
  "$wine" reg delete 'HKCU\Software\Wine\WineBrowser' /v Browsers /f > /dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"

fail() {
  echo "update_window_test: $*" >&2
  exit 1
}
# Waits until the command succeeds, up to the step limit.
wait_for() {
  local what=$1 i
  shift
  for i in $(seq $((step_limit_s * 10))); do
    "$@" && return 0
    [ -z "$patcher_pid" ] || kill -0 "$patcher_pid" 2> /dev/null ||
      fail "the patcher ended while waiting for $what"
    sleep 0.1
  done
  fail "no $what within ${step_limit_s} s"
}
shot() {
  local name=$1 of=${2:-$window}
  [ -n "${TESMAR_SCREENSHOT_DIR:-}" ] || return 0
  local dir=${TESMAR_SCREENSHOT_DIR#Z:}
  mkdir -p "$dir"
  import -window "$of" "$dir/$name.png"
}
# A press, then the pointer goes where it lights no button up (unless the
# press closed the window: the exit button ends the program at once).
press() {
  xdotool mousemove --window "$window" "$1" "$2" click 1
  xdotool mousemove --window "$window" "${nowhere[@]}" 2> /dev/null || true
}
# Whether the update/stop button shows the picture of a letter (i start,
# l stop): it is nearer to that picture than to the other.
differing() {
  compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1 || true
}
button_shows() {
  local want=$1 other=$2 a b
  import -window "$window" -crop "$update_rect" +repage "$work/button.png" || return 1
  a=$(differing "$work/button.png" "game/skin/N_update-button-$want.bmp")
  b=$(differing "$work/button.png" "game/skin/N_update-button-$other.bmp")
  [ -n "$a" ] && [ -n "$b" ] && [ "${a%.*}" -lt "${b%.*}" ]
}
size_of() { stat -c %s "$1" 2> /dev/null || echo 0; }

# ---- The pages: an announcement that starts with a link and is longer
# than its panel (GBK), update notes (UTF-8) ----
pick_web_address
mkdir -p web
{
  printf '<html><head><meta charset="gbk"></head><body>\n'
  printf '<p><a href="http://tesmar.example/first">%s</a></p>\n' "第一条链接"
  printf '<h2>%s</h2><ul>\n' "服务器维护公告"
  for i in $(seq 1 30); do printf '<li>%s %d</li>\n' "维护内容第几条" "$i"; done
  printf '</ul></body></html>\n'
} | iconv -f UTF-8 -t GBK > web/notice.html
printf '<html><head><meta charset="utf-8"></head><body><h3>%s</h3><p>%s</p></body></html>\n' \
  "版本 1.0.101 更新内容" "新增地图与修正。" > web/notes.html
start_web "$work/web" "$work/nginx"
# The shell's browser: a script that notes what it was asked to open.
printf '#!/bin/sh\necho "$1" >> "%s/opened"\n' "$work" > browser
chmod +x browser
"$wine" reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$work/browser" /f > /dev/null 2>&1 ||
  fail "cannot set Wine's browser"

# ---- The release: 100 and 101, one patch ----
pick_version_address
mkdir -p v100/maps
echo "Tesmar client 1.0.100" > v100/readme.txt
head -c 65536 /dev/urandom > v100/maps/map01.dat
{ game_ini Tesmar.exe; news_ini "$WEB_URL"; } > v100/update.ini
cp -a v100 v101
echo "Tesmar client 1.0.101" > v101/readme.txt
head -c 8388608 /dev/urandom > v101/maps/map02.dat
mkdir -p serve/v100
"$MKPATCH" --old v100 --new v101 -o serve/v100/p101.cpk 2> mkpatch.log
start_ftp "$work/serve" "$work/ftp"
printf 'latest 101\nmirror * %s\npath 100 v100\\p101.cpk\n' "$FTP_ADDRESS" > manifest
start_versiond "$work/manifest" "$work/serve" "$work/versiond"

# ---- The game folder at 100, with the patcher and its skin ----
cp -a v100 game
write_version game/version.dat 100
cp "$windows_bin/Drevik.exe" "$windows_bin/UpdatePackef.dat" game/
cp -a "$source_dir/patcher/skin" game/skin
part=game/download/p101.cpk.jat

(cd game && exec "$wine" ./Drevik.exe) &
patcher_pid=$!

# The window, by its title.
find_window() {
  window=$(xdotool search --name 'Tesmar' 2> /dev/null | head -n 1)
  [ -n "$window" ]
}
wait_for "update window" find_window

# The update starts by itself once the server list is built: the patch
# arrives in download\ and the button shows its stop picture.
started() { [ -f "$part" ] && button_shows l i; }
wait_for "download" started
sleep 2  # some progress to show
shot update-running

# The stop button: the start picture again, and the download stays put.
press "${update_button[@]}"
idle() { button_shows i l; }
wait_for "stop" idle
held=$(size_of "$part")
sleep 2
[ -f "$part" ] || fail "the partial download is gone after stop"
[ "$(size_of "$part")" = "$held" ] || fail "the download went on after stop"
[ "$(read_version game/version.dat)" = 100 ] || fail "stopped, yet version.dat changed"
shot update-idle

# The update button: the update goes on to 101, and the window shows the
# end (the start picture).
press "${update_button[@]}"
wait_for "update" started
updated() { [ "$(read_version game/version.dat)" = 101 ] && button_shows i l; }
wait_for "version 101" updated
sleep 1  # the last texts
shot update-done

# Both pages are drawn: their panels differ from the skin's background
# there by the text's pixels.
announcement=455x165+296+179
notes_panel=455x80+296+370
convert game/skin/N_update-bj-01.bmp "$work/background.png"
panel_text() {  # RECT: pixels of the panel that differ from the background
  import -window "$window" -crop "$1" +repage "$work/panel.png" || return 1
  convert "$work/background.png" -crop "$1" +repage "$work/panel-bg.png"
  differing "$work/panel.png" "$work/panel-bg.png"
}
drawn() { local n; n=$(panel_text "$1"); [ -n "$n" ] && [ "${n%.*}" -gt 200 ]; }
pages_drawn() { drawn "$announcement" && drawn "$notes_panel"; }
wait_for "both pages" pages_drawn
shot update-pages

# The wheel over the announcement scrolls it.
import -window "$window" -crop "$announcement" +repage "$work/top.png"
xdotool mousemove --window "$window" 500 260 click --repeat 3 5
scrolled() {
  import -window "$window" -crop "$announcement" +repage "$work/now.png" || return 1
  local n; n=$(differing "$work/top.png" "$work/now.png")
  [ -n "$n" ] && [ "${n%.*}" -gt 200 ]
}
wait_for "the announcement to scroll" scrolled
# Back at the top, a click on the first line's link goes to the shell.
xdotool mousemove --window "$window" 500 260 click --repeat 20 4
at_top() {
  import -window "$window" -crop "$announcement" +repage "$work/now.png" || return 1
  [ "$(differing "$work/top.png" "$work/now.png")" = 0 ]
}
wait_for "the announcement back at the top" at_top
xdotool mousemove --window "$window" 310 187 click 1
xdotool mousemove --window "$window" "${nowhere[@]}"
link_opened() { grep -qx 'http://tesmar.example/first' "$work/opened" 2> /dev/null; }
wait_for "the link to open" link_opened

# The settings dialog over the window: saved as it opened, ClientOpt.txt
# holds the defaults.
press "${settings_button[@]}"
settings_title=$(printf '\346\270\270\346\210\217\350\256\276\347\275\256')  # 游戏设置
find_settings() {
  settings=$(xdotool search --name "$settings_title" 2> /dev/null | head -n 1)
  [ -n "$settings" ]
}
wait_for "settings dialog" find_settings
sleep 1  # let it draw
shot settings "$settings"
xdotool mousemove --window "$settings" "${save_button[@]}" click 1
saved() { [ -f game/ClientOpt.txt ] && ! xdotool search --name "$settings_title" > /dev/null 2>&1; }
wait_for "settings saved" saved
printf '%s\r\n' 'ESOP_Res = 0;' 'ESOP_HZ = 1;' 'ESOP_Win = 1;' 'ESOP_TrnView = 2;' \
  'ESOP_RoleView = 2;' 'ESOP_Effect = 2;' 'ESOP_Shadow = 0;' 'ESOP_AniTree = 0;' \
  'ESOP_Music = 0;' 'ESOP_Sound = 0;' 'ESOP_MusicVol = 0;' 'ESOP_SoundVol = 0;' \
  'ESOP_Weather = 1;' 'ESOP_Blur = 0;' 'ESOP_Keyboard = 1;' 'ESOP_LockCamera = 1;' \
  'ESOP_Reflect = 1;' 'ESOP_TrnLevel = 1;' 'ESOP_TrnSpecular = 0;' > expected-opt
cmp expected-opt game/ClientOpt.txt || fail "ClientOpt.txt is not the defaults: $(od -c game/ClientOpt.txt | head)"

# The exit button ends the program: 0, the update was done. The window may
# be gone before the pointer could move off the button, so it stays there.
xdotool mousemove --window "$window" "${exit_button[@]}" click 1
code=0
wait "$patcher_pid" || code=$?
patcher_pid=""
[ "$code" = 0 ] || fail "the patcher ended with $code"

# The folder holds version 101.
for rel in readme.txt maps/map01.dat maps/map02.dat; do
  cmp -s "v101/$rel" "game/$rel" || fail "$rel differs from 101"
done
[ -z "$(ls -A game/download 2> /dev/null)" ] || fail "download\\ is not empty"
echo "the window updated the game folder to 101"
