#!/usr/bin/env bash
# The whole update beside its parts done by the tools a user would pick:
# `drevik --console --yes` taking a game folder from 100 to 103 over a patch
# set of SIZE_MIB (three packages of loose files, from proftpd and versiond
# on loopback), against aria2c -x3 -s3 fetching the same three packages
# (given their MD5, which it checks, as the patcher does) followed by cp of
# the same bytes the update writes. Prints the seconds of each run, the
# medians, and the ratio patcher / (aria2c + cp); the goal is at most 1.3.
# Each round also runs the same update with the packages signed (minisign)
# and the key listed, and the end shows what the signatures add.
#
#   bench/update/compare.sh [SIZE_MIB] [RUNS]
# Needs the native preset built (drevik, UpdatePackef.dat, versiond, cpk),
# proftpd, aria2c, minisign and root (proftpd's anonymous sessions, port 21).
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
size_mib=${1:-300}
runs=${2:-3}
bin=$root/build/native/bin
VERSIOND=$bin/versiond
for f in drevik UpdatePackef.dat versiond cpk; do
  [ -x "$bin/$f" ] || { echo "compare.sh: build/native/bin/$f is not built" >&2; exit 1; }
done
command -v aria2c > /dev/null || { echo "compare.sh: aria2c is missing" >&2; exit 1; }

. scripts/servers.sh
work=$(mktemp -d)
cleanup() {
  stop_servers
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
pick_version_address

# Three packages of equal size, each ten loose files of random bytes in a
# folder of their own (random bytes: nothing to gain from compression).
files_per_package=10
file_bytes=$((size_mib * 1024 * 1024 / 3 / files_per_package))
mkdir -p serve/v100 serve/v101 serve/v102 unpacked
for p in 101 102 103; do
  mkdir -p "stage$p/files$p"
  for i in $(seq $files_per_package); do
    head -c "$file_bytes" /dev/urandom > "stage$p/files$p/part$i.dat"
  done
  "$bin/cpk" add "serve/v$((p - 1))/p$p.cpk" "stage$p/files$p" > /dev/null
  cp -r "stage$p/files$p" unpacked/
  rm -rf "stage$p"
done
# The same packages signed, for the signed update's run: the cost of the
# signatures is what it adds.
minisign -G -W -p key.pub -s key.key > /dev/null
for p in 101 102 103; do
  minisign -S -s key.key -m "serve/v$((p - 1))/p$p.cpk" > /dev/null
done
cat > manifest <<EOF
latest 103
mirror * FTP_ADDRESS
path 100 v100\\p101.cpk v101\\p102.cpk v102\\p103.cpk
EOF
start_ftp "$work/serve" "$work/ftp"
sed -i "s/FTP_ADDRESS/$FTP_ADDRESS/" manifest
start_versiond "$work/manifest" "$work/serve" "$work/versiond"
export XDG_RUNTIME_DIR=$work XDG_CONFIG_HOME=$work
total=$(du -cb serve/v*/*.cpk | tail -n1 | cut -f1)

now() { date +%s.%N; }
elapsed() { echo "$1 $2" | awk '{printf "%.3f", $2 - $1}'; }
declare -A times

patcher_run() {  # plain|signed
  local kind=$1
  rm -rf game
  mkdir game
  cp "$bin/drevik" "$bin/UpdatePackef.dat" game/
  game_ini Tesmar.exe > game/update.ini
  if [ "$kind" = signed ]; then
    printf '[sign]\r\nnum=1\r\nkey0=%s\r\n' "$(sed -n 2p key.pub)" >> game/update.ini
  fi
  write_version game/version.dat 100
  sync
  local t0 t1 used
  t0=$(now)
  used=$( { TIMEFORMAT='%U %S'; time (cd game && ./drevik --console --yes > ../drevik.out \
    2> ../drevik.err); } 2>&1 ) || { echo "drevik failed:"; cat drevik.err; exit 1; }
  t1=$(now)
  [ "$(read_version game/version.dat)" = 103 ] || { echo "drevik did not reach 103"; exit 1; }
  diff -r unpacked/files101 game/files101 > /dev/null || { echo "drevik: wrong files"; exit 1; }
  local name=patcher
  [ "$kind" = plain ] || name=signed
  times[$name]="${times[$name]:-} $(elapsed "$t0" "$t1")"
  times[$name-cpu]="${times[$name-cpu]:-} $(echo "$used" | awk '{printf "%.3f", $1 + $2}')"
}

anchor_run() {
  rm -rf fetched copied
  mkdir fetched copied
  sync
  local t0 t1 t2 p md5 used
  t0=$(now)
  used=$( { TIMEFORMAT='%U %S'; time for p in 101 102 103; do
    md5=$(md5sum "serve/v$((p - 1))/p$p.cpk" | cut -d' ' -f1)
    aria2c -q -x3 -s3 --ftp-user=Anonymous --ftp-passwd=bench@tesmar.net \
      --checksum="md5=$md5" --allow-overwrite=true -d fetched -o "p$p.cpk" \
      "ftp://$FTP_ADDRESS/v$((p - 1))/p$p.cpk"
  done; } 2>&1 )
  t1=$(now)
  times[aria2c-cpu]="${times[aria2c-cpu]:-} $(echo "$used" | awk '{printf "%.3f", $1 + $2}')"
  cp -r unpacked/. copied/
  sync -f copied
  t2=$(now)
  times[aria2c]="${times[aria2c]:-} $(elapsed "$t0" "$t1")"
  times[cp]="${times[cp]:-} $(elapsed "$t1" "$t2")"
}

median() {
  echo "${times[$1]}" | tr ' ' '\n' | grep . | sort -n |
    awk '{a[NR]=$1} END {printf "%.3f", (NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2}'
}

echo "== update of $((total / 1048576)) MiB in 3 packages; load: $(cut -d' ' -f1-3 /proc/loadavg)"
for i in $(seq "$runs"); do
  patcher_run plain
  anchor_run
  patcher_run signed
  echo " round $i: patcher $(echo "${times[patcher]}" | awk '{print $NF}') s," \
    "aria2c $(echo "${times[aria2c]}" | awk '{print $NF}') s, cp $(echo "${times[cp]}" | awk '{print $NF}') s," \
    "signed patcher $(echo "${times[signed]}" | awk '{print $NF}') s"
done
p=$(median patcher) a=$(median aria2c) c=$(median cp) s=$(median signed)
echo "== medians: patcher $p s; aria2c -x3 -s3 $a s + cp $c s = $(echo "$a $c" | awk '{printf "%.3f", $1 + $2}') s"
echo "== ratio patcher / (aria2c + cp): $(echo "$p $a $c" | awk '{printf "%.2f", $1 / ($2 + $3)}') (goal: at most 1.1)"
mib=$(echo "$total" | awk '{print $1 / 1048576}')
echo "== processor time (user + system) per 100 MiB: patcher $(median patcher-cpu | awk -v m="$mib" '{printf "%.3f", $1 * 100 / m}') s," \
  "aria2c $(median aria2c-cpu | awk -v m="$mib" '{printf "%.3f", $1 * 100 / m}') s (cp not counted)"
echo "== signed update: $s s, of which the signatures (fetching and checking) $(echo "$s $p" | awk '{printf "%.3f s (%.0f%%)", $1 - $2, 100 * ($1 - $2) / $1}')"
