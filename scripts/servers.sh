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
  local root=$1 dir=$2 passive
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
  resume_ftp "$dir"
}

# Starts proftpd again with the configuration start_ftp wrote in DIR, on the
# same address.
resume_ftp() {
  local dir=$1
  /usr/sbin/proftpd -n -q -c "$dir/proftpd.conf" > "$dir/proftpd.out" 2>&1 &
  FTP_PID=$!
  SERVER_PIDS+=($!)
  wait_accepting proftpd "$FTP_ADDRESS" 21 "$dir/proftpd.out" "$dir/system.log"
}

# Stops the proftpd start_ftp (or resume_ftp) started, and waits until it
# has ended.
stop_ftp() {
  local pid kept=()
  kill -TERM "$FTP_PID" 2>/dev/null || true
  wait "$FTP_PID" 2>/dev/null || true
  for pid in "${SERVER_PIDS[@]}"; do
    [ "$pid" = "$FTP_PID" ] || kept+=("$pid")
  done
  SERVER_PIDS=("${kept[@]}")
  FTP_PID=
}

# Waits until the server started last accepts at ADDRESS:PORT; when it ends
# first or takes too long, shows its LOGS and fails.
wait_accepting() {
  local name=$1 address=$2 port=$3 i
  shift 3
  for i in $(seq 200); do
    accepts "$address" "$port" && return 0
    kill -0 "${SERVER_PIDS[-1]}" 2>/dev/null || break
    sleep 0.05
  done
  echo "$name did not start:" >&2
  cat "$@" >&2 2>/dev/null || true
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

pick_web_address() {
  WEB_PORT=$((20000 + RANDOM % 30000))
  WEB_ADDRESS=$(free_loopback_address "$WEB_PORT")
  WEB_URL="http://$WEB_ADDRESS:$WEB_PORT"
}

start_web() {
  local root=$1 dir=$2 address=$WEB_ADDRESS port=$WEB_PORT
  mkdir -p "$dir/temp"
  cat > "$dir/nginx.conf" <<EOF
daemon off;
user root;
worker_processes 1;
pid $dir/nginx.pid;
error_log $dir/error.log;
events { worker_connections 64; }
http {
  log_format demo '\$request_uri "\$http_range" \$status \$body_bytes_sent';
  access_log $dir/access.log demo;
  client_body_temp_path $dir/temp/body;
  proxy_temp_path $dir/temp/proxy;
  fastcgi_temp_path $dir/temp/fastcgi;
  uwsgi_temp_path $dir/temp/uwsgi;
  scgi_temp_path $dir/temp/scgi;
  types { text/html html; text/plain txt; }
  default_type application/octet-stream;
  server {
    listen $address:$port;
    root $root;
  }
}
EOF
  /usr/sbin/nginx -p "$dir" -c "$dir/nginx.conf" -e "$dir/error.log" > "$dir/nginx.out" 2>&1 &
  SERVER_PIDS+=($!)
  wait_accepting nginx "$address" "$port" "$dir/nginx.out" "$dir/error.log"
}

# The announcement and update notes of the demo into ROOT: the announcement
# in GBK (named by its meta tag), the notes in UTF-8, with Chinese text, a
# list and links.
write_news_pages() {
  local root=$1
  mkdir -p "$root"
  iconv -f UTF-8 -t GBK > "$root/notice.html" <<'EOF'
<!DOCTYPE html>
<html><head><meta charset="gbk"><title>公告</title>
<style>p { color: red }</style><script>document.title = "x";</script></head>
<body>
<h2>《Tesmar》服务器维护公告</h2>
<p>亲爱的玩家：本周四上午 8:00 至 10:00 全部服务器停机维护，维护期间无法登录游戏。</p>
<ul>
<li>新增副本“雪原古堡”，等级 40 以上可进入。</li>
<li>修正了部分任务无法完成的问题。</li>
<li>调整了商城道具的价格。</li>
<li>优化了登录排队的速度。</li>
</ul>
<p>详细说明请看<a href="notes.html">更新信息</a>或访问<a href="http://tesmar.example/forum">玩家论坛</a>。</p>
<p>感谢您的支持！<br>《Tesmar》运营团队</p>
</body></html>
EOF
  cat > "$root/notes.html" <<'EOF'
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>更新信息</title></head>
<body>
<h3>版本 1.0.103 更新内容</h3>
<ol>
<li>地图“北境”的地形与怪物分布调整。</li>
<li>补丁包由发行者签名，更新程序逐个检查。</li>
<li>更新窗口显示公告与更新信息。</li>
</ol>
</body></html>
EOF
}

# update.ini's [url] section naming the two pages under BASE (the keys in
# GBK, as the patcher reads them).
news_ini() {
  local base=$1
  printf '[url]\r\n%s=%s/notice.html\r\n%s=%s/notes.html\r\n' \
    "$(printf '公告' | iconv -f UTF-8 -t GBK)" "$base" \
    "$(printf '更新信息' | iconv -f UTF-8 -t GBK)" "$base"
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
