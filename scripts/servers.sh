# Servers of an update on loopback, for scripts/demo and bench/update (bash,
# sourced): proftpd on port 21 of a loopback address of its own (the patcher
# always fetches from port 21) and versiond naming it as its mirror. Each
# server gets a random 127.x.y.z address, so runs side by side do not meet.
# proftpd's anonymous sessions chroot into the served folder: needs root.
#
#   free_loopback_address PORT         prints an address with PORT free
#   start_ftp ROOT DIR                 sets FTP_ADDRESS; config and logs in DIR
#   pick_version_address               sets VERSION_ADDRESS and VERSION_PORT
#                                      (before the release is built: its
#                                      update.ini names them)
#   start_versiond MANIFEST ROOT DIR [OPTION...]
#                                      serves there ($VERSIOND is the program)
#   stop_servers                       stops both (also on exit, via trap)

SERVER_PIDS=()

# Whether something accepts connections at ADDRESS:PORT.
accepts() {
  (exec 3<>"/dev/tcp/$1/$2") 2>/dev/null
}

free_loopback_address() {
  local port=$1 i a
  for i in $(seq 50); do
    a="127.$((RANDOM % 254 + 1)).$((RANDOM % 256)).$((RANDOM % 254 + 1))"
    if ! accepts "$a" "$port"; then
      echo "$a"
      return 0
    fi
  done
  echo "no free loopback address for port $port" >&2
  return 1
}

start_ftp() {
  local root=$1 dir=$2 i passive
  mkdir -p "$dir"
  FTP_ADDRESS=$(free_loopback_address 21)
  passive=$((20000 + RANDOM % 30000))
  echo "ftpanon:x:0:0::$root:/bin/false" > "$dir/passwd"
  echo "ftpanon:x:0:" > "$dir/group"
  cat > "$dir/proftpd.conf" <<EOF
ServerType standalone
ServerName "tesmar patches"
DefaultAddress $FTP_ADDRESS
SocketBindTight on
UseIPv6 off
Port 21
PassivePorts $passive $((passive + 63))
User root
Group root
PidFile $dir/proftpd.pid
ScoreboardFile $dir/scoreboard
SystemLog $dir/system.log
TransferLog none
WtmpLog off
DelayTable none
UseReverseDNS off
RequireValidShell off
AuthOrder mod_auth_file.c
AuthFileOptions InsecurePerms
AuthUserFile $dir/passwd
AuthGroupFile $dir/group
MaxInstances 200
${FTP_RATE:+TransferRate RETR $FTP_RATE}
<Anonymous $root>
  User ftpanon
  Group ftpanon
  UserAlias Anonymous ftpanon
  RootLogin on
  RequireValidShell off
  AnonRequirePassword off
  MaxClients 100
  <Limit WRITE>
    DenyAll
  </Limit>
</Anonymous>
EOF
  /usr/sbin/proftpd -n -q -c "$dir/proftpd.conf" > "$dir/proftpd.out" 2>&1 &
  SERVER_PIDS+=($!)
  for i in $(seq 200); do
    accepts "$FTP_ADDRESS" 21 && return 0
    kill -0 "${SERVER_PIDS[-1]}" 2>/dev/null || break
    sleep 0.05
  done
  echo "proftpd did not start:" >&2
  cat "$dir/proftpd.out" "$dir/system.log" >&2 2>/dev/null || true
  return 1
}

pick_version_address() {
  VERSION_PORT=19090
  VERSION_ADDRESS=$(free_loopback_address "$VERSION_PORT")
}

start_versiond() {
  local manifest=$1 root=$2 dir=$3 i line
  shift 3
  mkdir -p "$dir"
  "$VERSIOND" serve --manifest "$manifest" --root "$root" --address "$VERSION_ADDRESS" \
    --port "$VERSION_PORT" "$@" > "$dir/versiond.out" 2> "$dir/versiond.log" &
  SERVER_PIDS+=($!)
  for i in $(seq 200); do
    line=$(head -n1 "$dir/versiond.out" 2>/dev/null || true)
    case "$line" in
      "listening on "*) return 0 ;;
    esac
    kill -0 "${SERVER_PIDS[-1]}" 2>/dev/null || break
    sleep 0.05
  done
  echo "versiond did not start:" >&2
  cat "$dir/versiond.log" >&2
  return 1
}

stop_servers() {
  local pid
  for pid in "${SERVER_PIDS[@]}"; do
    kill -TERM "$pid" 2>/dev/null || true
  done
  for pid in "${SERVER_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  SERVER_PIDS=()
}

# update.ini of a game folder updated by these servers: one game server
# (login address 127.0.0.1), the version server, the game program.
game_ini() {
  local game=$1
  printf '[game]\r\ntesmar=%s\r\n' "$game"
  printf '[checkversion]\r\nport=%s\r\nnum=1\r\nip0=%s\r\n' "$VERSION_PORT" "$VERSION_ADDRESS"
  printf '[config]\r\nBorough_num=2\r\n'
  printf '[Borough0]\r\nname=Loopback\r\ndianxin=1\r\nlogin_num=1\r\nip0=127.0.0.1\r\n'
  printf '[Borough1]\r\nname=Second\r\ndianxin=2\r\nlogin_num=1\r\nip0=127.0.0.2\r\n'
}

# version.dat with {2828, VERSION}, little-endian.
write_version() {
  local file=$1 v=$2
  printf "\\x0c\\x0b\\x00\\x00\\x$(printf %02x $((v & 255)))\\x$(printf %02x $(((v >> 8) & 255)))\\x00\\x00" > "$file"
}

# The version in version.dat (or "none").
read_version() {
  local bytes
  bytes=$(od -An -tu4 -N8 "$1" 2>/dev/null | tr -s ' ')
  set -- $bytes
  if [ "${1:-}" = 2828 ]; then echo "$2"; else echo none; fi
}
