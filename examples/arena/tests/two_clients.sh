#!/usr/bin/env bash
# Two arena clients and the arena server on loopback: each client walks to
# its spot and ends once it has seen the other arrive at the other's.
#   two_clients.sh WORKDIR SERVER CLIENT [EMULATOR]
# The scripts walker_a.lua and walker_b.lua are copied into WORKDIR, where
# the programs run (Windows programs through EMULATOR).
set -euo pipefail
work=$1 server=$2 client=$3
emu=()
[ $# -ge 4 ] && [ -n "$4" ] && emu=("$4")
here=$(cd "$(dirname "$0")" && pwd)

rm -rf "$work"
mkdir -p "$work"
cp "$here/walker_a.lua" "$here/walker_b.lua" "$work/"
cd "$work"

"${emu[@]}" "$server" --port-file port >server.log 2>&1 &
spid=$!
trap 'kill $spid 2>/dev/null || true; wait $spid 2>/dev/null || true' EXIT
for _ in $(seq 1 1200); do
  [ -s port ] && break
  kill -0 "$spid" 2>/dev/null || { cat server.log >&2; exit 1; }
  sleep 0.05
done
port=$(tr -d '\r\n' <port)
[ -n "$port" ] || { echo "the server gave no port" >&2; exit 1; }

"${emu[@]}" "$client" --server "127.0.0.1:$port" --name A --script walker_a.lua >a.log 2>&1 &
apid=$!
"${emu[@]}" "$client" --server "127.0.0.1:$port" --name B --script walker_b.lua >b.log 2>&1 &
bpid=$!
arc=0; brc=0
wait $apid || arc=$?
wait $bpid || brc=$?
for f in server.log a.log b.log; do echo "== $f"; grep -v '^pos' "$f" | tr -d '\r' || true; done
[ $arc -eq 0 ] && [ $brc -eq 0 ] || { echo "clients ended with $arc and $brc" >&2; exit 1; }
grep -q "A saw B at 320,400" a.log
grep -q "B saw A at 400,240" b.log
echo "two clients saw each other"
