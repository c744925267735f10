#!/usr/bin/env bash
# Side-by-side downloads of the same file from the same proftpd (the tests'
# fixture, on loopback): ftpfetch (the patcher's downloader) with its 500-byte
# reads and with 8 KiB reads, aria2c -x3 -s3 (given the MD5, which it checks,
# as ftpfetch does), curl (one connection, no check) and curl followed by
# md5sum, and three curls fetching the three ranges the patcher fetches at
# once (no check): the floor of three connections on this machine.
#   (a) loopback, no cap: RUNS rounds, the tools interleaved in each;
#   (b) each connection capped at RATE KB/s (TransferRate RETR), the way
#       public mirrors cap connections: RUNS_CAPPED rounds, curl in the first only.
# Prints wall-clock seconds per run, the median and best of each tool, and
# the throughput ratios ftpfetch / peer (above 1: ftpfetch is faster).
#
#   bench/ftp/compare.sh [SIZE_MIB] [RUNS] [RATE_KBPS] [RUNS_CAPPED]
# Needs the native preset built (ftpfetch, ftp_test_server), proftpd, aria2c,
# curl, and root (the fixture's anonymous sessions chroot).
set -euo pipefail
cd "$(dirname "$0")/../.."
size_mib=${1:-300}
runs=${2:-5}
rate=${3:-4096}
runs_capped=${4:-2}
bin=$PWD/build/native/bin
work=$(mktemp -d)
server_pid=""
cleanup() {
  stop_server
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/root/v100" "$work/out"
head -c $((size_mib * 1024 * 1024)) /dev/urandom > "$work/root/v100/big.cpk"
md5=$(md5sum "$work/root/v100/big.cpk" | cut -d' ' -f1)
bytes=$((size_mib * 1024 * 1024))

# The server stops its proftpd when its standard input closes.
stop_server() {
  [ -n "$server_pid" ] || return 0
  eval "exec ${SERVER[1]}>&-"
  wait "$server_pid" 2>/dev/null || true
  server_pid=""
}

now() { date +%s.%N; }

# proftpd's daemon accepts nothing for about 0.4 s after each session ends,
# and a session's process may stay up to 0.4 s after its client has gone:
# every session of the tool before must have ended, and the daemon's pause
# after it, before this one logs in. Otherwise a tool that follows several
# sessions (three ranges) waits for them at its first login.
quiet_server() {
  # The daemon is a child of the fixture, which may be a child of the
  # coprocess's shell.
  local daemon="" parent=$server_pid level
  for level in 1 2 3; do
    daemon=$(pgrep -P "$parent" -x proftpd || true)
    [ -z "$daemon" ] || break
    parent=$(pgrep -P "$parent" || true)
    parent=${parent%%$'\n'*}
    [ -n "$parent" ] || break
  done
  daemon=${daemon%%$'\n'*}
  if [ -n "$daemon" ]; then
    local waited=0
    while pgrep -P "$daemon" > /dev/null && [ $waited -lt 100 ]; do
      sleep 0.05
      waited=$((waited + 1))
    done
  fi
  sleep 0.6
}

# run NAME COMMAND...: times one download into $work/out, checks the file
# (big.cpk, or the pieces p0 p1 p2 in their order) after the clock stops.
declare -A times cpu
run() {
  local name=$1; shift
  rm -rf "$work/out"; mkdir -p "$work/out"
  sync
  quiet_server
  local t0 t1 used
  t0=$(now)
  used=$( { TIMEFORMAT='%U %S'; time "$@" > /dev/null 2>&1; } 2>&1 ) || { echo "$name failed"; exit 1; }
  t1=$(now)
  local got
  if [ -f "$work/out/big.cpk" ]; then
    got=$(md5sum "$work/out/big.cpk" | cut -d' ' -f1)
  else
    got=$(cat "$work/out/p0" "$work/out/p1" "$work/out/p2" | md5sum | cut -d' ' -f1)
  fi
  [ "$got" = "$md5" ] || { echo "$name: wrong file"; exit 1; }
  local d
  d=$(echo "$t0 $t1" | awk '{printf "%.3f", $2 - $1}')
  times[$name]="${times[$name]:-} $d"
  used=$(echo "$used" | awk '{printf "%.3f", $1 + $2}')
  cpu[$name]="${cpu[$name]:-} $used"
  printf "  %-22s %8s s  %7.1f MB/s  cpu %6s s\n" "$name" "$d" \
    "$(echo "$d $bytes" | awk '{print $2/$1/1e6}')" "$used"
}

# ranges URL: three curls at once, one per third of the file (the patcher's
# ranges), into the pieces p0, p1 and p2.
ranges() {
  local url=$1 third=$((bytes / 3)) a b c
  curl -s --user Anonymous:bench@tesmar.net -r 0-$((third - 1)) -o "$work/out/p0" "$url" & a=$!
  curl -s --user Anonymous:bench@tesmar.net -r $third-$((2 * third - 1)) -o "$work/out/p1" "$url" & b=$!
  curl -s --user Anonymous:bench@tesmar.net -r $((2 * third))- -o "$work/out/p2" "$url" & c=$!
  wait $a && wait $b && wait $c
}

tools() {  # round: runs every tool once
  local url="ftp://127.0.0.1:$port/v100/big.cpk"
  run ftpfetch "$bin/ftpfetch" "127.0.0.1:$port" v100/big.cpk "$md5" -o "$work/out"
  run "ftpfetch --read-size 8192" "$bin/ftpfetch" "127.0.0.1:$port" v100/big.cpk "$md5" \
      -o "$work/out" --read-size 8192
  run "aria2c -x3 -s3" aria2c -q -x3 -s3 --ftp-user=Anonymous --ftp-passwd=bench@tesmar.net \
      --checksum="md5=$md5" --allow-overwrite=true -d "$work/out" -o big.cpk "$url"
  if [ "${1:-}" != nocurl ]; then
    run curl curl -s --user Anonymous:bench@tesmar.net -o "$work/out/big.cpk" "$url"
    # What ftpfetch does besides fetching: the digest check.
    run "curl + md5sum" bash -c "curl -s --user Anonymous:bench@tesmar.net -o '$work/out/big.cpk' \
        '$url' && md5sum '$work/out/big.cpk'"
    run "curl x3 ranges" ranges "$url"
  fi
}

median_cpu() {  # name -> median processor seconds per 100 MiB
  echo "${cpu[$1]}" | tr ' ' '\n' | grep . | sort -n |
    awk -v m="$size_mib" '{a[NR]=$1} END {printf "%.3f", ((NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2) * 100 / m}'
}

stats() {  # name -> "median best"
  echo "${times[$1]}" | tr ' ' '\n' | grep . | sort -n |
    awk '{a[NR]=$1} END {m=(NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2; printf "%.3f %.3f", m, a[1]}'
}

report() {  # title [RATE_KBPS]: with a rate, each tool's share of its connections' caps
  echo "== $1: median / best seconds, and throughput ratio ftpfetch / peer (median)"
  local ours ours8
  ours=$(stats ftpfetch | cut -d' ' -f1)
  ours8=$(stats "ftpfetch --read-size 8192" | cut -d' ' -f1)
  if [ -n "${2:-}" ]; then
    local name conns med
    for name in ftpfetch "ftpfetch --read-size 8192" "aria2c -x3 -s3" curl "curl x3 ranges"; do
      [ -n "${times[$name]:-}" ] || continue
      conns=3; [ "$name" = curl ] && conns=1
      med=$(stats "$name" | cut -d' ' -f1)
      printf "  %-26s %5.3f x the cap of its %d connection(s) (%d x %d KB/s)\n" "$name" \
        "$(echo "$bytes $med $conns $2" | awk '{print $1 / $2 / ($3 * $4 * 1024)}')" \
        "$conns" "$conns" "$2"
    done
    echo "  goal: ftpfetch at least 0.97 x the cap of its three connections"
  else
    printf "  goal: ftpfetch at least 1.00 x the throughput of curl + md5sum; now %s\n" \
      "$(echo "$(stats "curl + md5sum" | cut -d' ' -f1) $ours" | awk '{printf "%.2f", $1 / $2}')"
  fi
  for name in ftpfetch "ftpfetch --read-size 8192" "aria2c -x3 -s3" curl "curl + md5sum" \
      "curl x3 ranges"; do
    [ -n "${times[$name]:-}" ] || continue
    read -r med best <<< "$(stats "$name")"
    printf "  %-26s %8s / %8s   ratio %5.2f (500-byte reads)  %5.2f (8 KiB reads)   cpu %6s s/100 MiB   runs:%s\n" \
      "$name" "$med" "$best" "$(echo "$med $ours" | awk '{print $1/$2}')" \
      "$(echo "$med $ours8" | awk '{print $1/$2}')" "$(median_cpu "$name")" "${times[$name]}"
  done
  times=(); cpu=()
}

echo "== $size_mib MiB, md5 $md5; load: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "== (a) loopback, no cap, $runs rounds"
coproc SERVER { "$bin/ftp_test_server" "$work/root"; }
server_pid=$SERVER_PID
read -r port <&"${SERVER[0]}"
for i in $(seq "$runs"); do echo " round $i"; tools; done
report "(a) loopback"
stop_server

[ "$runs_capped" -gt 0 ] || exit 0
echo "== (b) each connection capped at $rate KB/s, $runs_capped rounds"
coproc SERVER { "$bin/ftp_test_server" "$work/root" "$rate"; }
server_pid=$SERVER_PID
read -r port <&"${SERVER[0]}"
for i in $(seq "$runs_capped"); do
  echo " round $i"
  if [ "$i" = 1 ]; then tools; else tools nocurl; fi
done
report "(b) capped at $rate KB/s per connection" "$rate"
stop_server
