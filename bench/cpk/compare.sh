#!/usr/bin/env bash
# Side-by-side timings of the archive storage against the tools a user would
# reach for: our MD5 of a file beside md5sum, and copying a package's entries
# raw into an archive beside cp of the same bytes. Prints the best of RUNS
# wall-clock times of each and their ratio (ours / theirs); for the copy
# also the median, the ratio to cp + sync against its goal, and the
# processor time (user + system) per 100 MiB copied.
#
#   bench/cpk/compare.sh [SIZE_MIB] [RUNS]     (after building the native preset;
#                                  CPK_BIN=DIR takes cpk and cpk_side from DIR)
set -euo pipefail
cd "$(dirname "$0")/../.."
size_mib=${1:-256}
runs=${2:-5}
bin=${CPK_BIN:-build/native/bin}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. bench/timing.sh
. bench/cpk/measure.sh
# The raw copy takes at most this many times cp + sync of the package.
goal=1.1

echo "== data: $size_mib MiB"
head -c $((size_mib * 1024 * 1024)) /dev/urandom > "$work/blob.bin"
bytes=$((size_mib * 1024 * 1024))

# MD5 of the same file, warm cache for both.
cat "$work/blob.bin" > /dev/null
[ "$("$bin/cpk_side" md5 "$work/blob.bin" | cut -d' ' -f1)" = "$(md5sum "$work/blob.bin" | cut -d' ' -f1)" ] \
  || { echo "digests differ"; exit 1; }
ours=$(best "$bin/cpk_side" md5 "$work/blob.bin")
theirs=$(best md5sum "$work/blob.bin")
report "MD5 of a file vs md5sum" "$ours" "$theirs" "$bytes"

# A package of 64 entries of size_mib/64 each (stored, windowed when 8 MiB
# or more), copied raw into a new archive; cp copies the package file.
mkdir -p "$work/pkg/data"
piece=$((size_mib * 1024 * 1024 / 64))
for i in $(seq 1 64); do
  dd if="$work/blob.bin" of="$work/pkg/data/f$i.bin" bs=1M iflag=skip_bytes,count_bytes \
     skip=$(( (i - 1) * piece )) count=$piece status=none
done
"$bin/cpk" add "$work/package.cpk" "$work/pkg/data" --windowed > /dev/null
# Our copy makes its result durable before it returns (the archive must
# survive a power cut); cp leaves it in the system's cache. Both are shown.
read -r ours ours_median ours_cpu < <(measure "rm -f '$work/target.cpk'" \
  "$bin/cpk_side" copy "$work/package.cpk" "$work/target.cpk")
"$bin/cpk" check "$work/target.cpk"
read -r theirs _ _ < <(measure "rm -f '$work/copy.bin'" cp "$work/package.cpk" "$work/copy.bin")
read -r synced synced_median synced_cpu < <(measure "rm -f '$work/copy.bin'" \
  bash -c "cp '$work/package.cpk' '$work/copy.bin' && sync '$work/copy.bin'")
report "raw copy of 64 entries vs cp" "$ours" "$theirs" "$bytes"
report "raw copy of 64 entries vs cp+sync" "$ours" "$synced" "$bytes"
ratio=$(awk -v a="$ours" -v c="$synced" 'BEGIN { printf "%.2f", a / c }')
awk -v am="$ours_median" -v cm="$synced_median" -v ac="$ours_cpu" -v cc="$synced_cpu" \
    -v s="$bytes" -v r="$ratio" -v g="$goal" -v v="$(verdict "$ratio" "$goal")" 'BEGIN {
  m = s / (100 * 1048576)
  printf "  medians: ours %.3f s, cp+sync %.3f s;  cpu: ours %.3f s/100MiB, cp+sync %.3f s/100MiB\n",
    am, cm, ac / m, cc / m
  printf "  ratio to cp+sync %s, goal <= %.1f: %s\n", r, g, v }'
