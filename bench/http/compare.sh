#!/usr/bin/env bash
# Side-by-side downloads of the same file from the same nginx on loopback:
# ftpfetch with a web address (the patcher's downloader over HTTP: three
# ranges, the partial file, the MD5 check), aria2c -x3 -s3 (given the MD5,
# which it checks too), curl (one connection, no check) and curl followed by
# md5sum.
#   (a) loopback, no cap: RUNS rounds, the tools interleaved in each;
#   (b) each connection capped at RATE KB/s (nginx's limit_rate), the way
#       content networks and busy mirrors cap connections: RUNS_CAPPED
#       rounds of ftpfetch and aria2c, against three times the cap.
# Prints wall-clock and CPU (user + system) seconds per run, the median of
# each tool, and the throughput ratio ftpfetch / peer (above 1: ftpfetch is
# faster).
#
#   bench/http/compare.sh [SIZE_MIB] [RUNS] [RATE_KBPS] [RUNS_CAPPED]
# Needs the native preset built (ftpfetch), nginx, aria2c and curl.
set -euo pipefail
cd "$(dirname "$0")/../.."
size_mib=${1:-300}
runs=${2:-5}
rate=${3:-4096}
runs_capped=${4:-2}
bin=$PWD/build/native/bin
source scripts/servers.sh
work=$(mktemp -d)
cleanup() {
  stop_servers
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/root/capped" "$work/out" "$work/nginx/temp"
head -c $((size_mib * 1024 * 1024)) /dev/urandom > "$work/root/big.cpk"
ln "$work/root/big.cpk" "$work/root/capped/big.cpk"
md5=$(md5sum "$work/root/big.cpk" | cut -d' ' -f1)
bytes=$((size_mib * 1024 * 1024))

pick_web_address
cat > "$work/nginx/nginx.conf" <<CONF
daemon off;
user root;
worker_processes 1;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 64; }
http {
  access_log off;
  sendfile on;
  client_body_temp_path $work/nginx/temp/body;
  proxy_temp_path $work/nginx/temp/proxy;
  fastcgi_temp_path $work/nginx/temp/fastcgi;
  uwsgi_temp_path $work/nginx/temp/uwsgi;
  scgi_temp_path $work/nginx/temp/scgi;
  default_type application/octet-stream;
  server {
    listen $WEB_ADDRESS:$WEB_PORT;
    root $work/root;
    location /capped/ { limit_rate ${rate}k; }
  }
}
CONF
/usr/sbin/nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" -e "$work/nginx/error.log" \
  > "$work/nginx/out" 2>&1 &
SERVER_PIDS+=($!)
wait_accepting nginx "$WEB_ADDRESS" "$WEB_PORT" "$work/nginx/out" "$work/nginx/error.log"

# run NAME COMMAND...: times one download into $work/out, checks the file.
declare -A times cpu
run() {
  local name=$1; shift
  rm -rf "$work/out"; mkdir -p "$work/out"
  sync
  local line
  line=$( { TIMEFORMAT='%R %U %S'; time "$@" > /dev/null 2>&1; } 2>&1 ) ||
    { echo "$name failed"; exit 1; }
  [ "$(md5sum "$work/out/big.cpk" | cut -d' ' -f1)" = "$md5" ] || { echo "$name: wrong file"; exit 1; }
  local wall used
  read -r wall used <<< "$(echo "$line" | awk '{printf "%.3f %.3f", $1, $2 + $3}')"
  times[$name]="${times[$name]:-} $wall"
  cpu[$name]="${cpu[$name]:-} $used"
  printf "  %-22s %8s s  %7.1f MB/s  cpu %6s s\n" "$name" "$wall" \
    "$(echo "$wall $bytes" | awk '{print $2/$1/1e6}')" "$used"
}

tools() {  # PREFIX [nocurl]: one round, every tool once, from $WEB_URL$PREFIX/big.cpk
  local url="$WEB_URL$1/big.cpk"
  run ftpfetch "$bin/ftpfetch" "$url" "$md5" -o "$work/out"
  run "aria2c -x3 -s3" aria2c -q -x3 -s3 --checksum="md5=$md5" --allow-overwrite=true \
      -d "$work/out" -o big.cpk "$url"
  if [ "${2:-}" != nocurl ]; then
    run curl curl -s -o "$work/out/big.cpk" "$url"
    # What ftpfetch does besides fetching: the digest check.
    run "curl + md5sum" bash -c "curl -s -o '$work/out/big.cpk' '$url' && md5sum '$work/out/big.cpk'"
  fi
}

median() {  # list of numbers -> median
  echo "$1" | tr ' ' '\n' | grep . | sort -n |
    awk '{a[NR]=$1} END {printf "%.3f", (NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2}'
}

report() {  # title [limit_seconds]
  echo "== $1: median seconds (wall, cpu per 100 MiB), throughput ratio ftpfetch / peer"
  local ours
  ours=$(median "${times[ftpfetch]}")
  for name in ftpfetch "aria2c -x3 -s3" curl "curl + md5sum"; do
    [ -n "${times[$name]:-}" ] || continue
    printf "  %-18s %8s s  cpu %6.3f s/100 MiB   ratio %5.2f   runs:%s\n" "$name" \
      "$(median "${times[$name]}")" \
      "$(echo "$(median "${cpu[$name]}") $size_mib" | awk '{print $1 * 100 / $2}')" \
      "$(echo "$(median "${times[$name]}") $ours" | awk '{print $1/$2}')" "${times[$name]}"
  done
  if [ -n "${2:-}" ]; then
    printf "  %-18s %8.3f s   ratio %5.2f (ftpfetch / the limit)\n" "3 x the cap" "$2" \
      "$(echo "$2 $ours" | awk '{print $1/$2}')"
  fi
  times=(); cpu=()
}

echo "== $size_mib MiB, md5 $md5; load: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "== (a) loopback, no cap, $runs rounds"
for i in $(seq "$runs"); do echo " round $i"; tools ""; done
report "(a) loopback (goal: ftpfetch at least 0.9 x the faster of curl and aria2c)"

[ "$runs_capped" -gt 0 ] || exit 0
echo "== (b) each connection capped at $rate KB/s, $runs_capped rounds"
for i in $(seq "$runs_capped"); do echo " round $i"; tools /capped nocurl; done
report "(b) capped at $rate KB/s per connection (goal: at least 0.95 x three times the cap)" \
  "$(echo "$bytes $rate" | awk '{printf "%.3f", $1 / (3 * $2 * 1024)}')"
