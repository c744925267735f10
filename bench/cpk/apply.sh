#!/usr/bin/env bash
# Applying a patch package the way the patcher does, beside cp of the same
# bytes: a package of N entries (1 to 8 KiB, half replacing entries, half
# new) merged into a game archive of 50,000 entries by "cpk apply", for N of
# 10,000, 20,000 and 40,000. Prints the best of RUNS wall-clock times, the
# ratio to cp (and to cp followed by sync: our apply is on the disk when it
# returns) and the time per entry.
#
#   bench/cpk/apply.sh [RUNS]     (after building the native preset)
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-3}
bin=build/native/bin
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. bench/timing.sh

mkdir -p "$work/pristine/data"
"$bin/cpk_side" game "$work/pristine/data/scene.cpk" 50000
echo "== game archive: 50,000 entries, $(du -m "$work/pristine/data/scene.cpk" | cut -f1) MiB"
for n in 10000 20000 40000; do
  "$bin/cpk_side" package "$work/p$n.cpk" "$n"
  restore="rm -rf '$work/game' && cp -r '$work/pristine' '$work/game' && sync"
  ours=$(best_prepared "$restore" "$bin/cpk" apply "$work/p$n.cpk" --game "$work/game" --abort)
  "$bin/cpk" check "$work/game/data/scene.cpk" >/dev/null
  theirs=$(best_prepared "rm -f '$work/copy.bin'" cp "$work/p$n.cpk" "$work/copy.bin")
  synced=$(best_prepared "rm -f '$work/copy.bin'" bash -c "cp '$work/p$n.cpk' '$work/copy.bin' && sync '$work/copy.bin'")
  awk -v n="$n" -v a="$ours" -v b="$theirs" -v c="$synced" 'BEGIN {
    printf "%6d entries: apply %7.3f s (%6.1f us/entry)   cp %6.3f s (ratio %5.2f)   cp+sync %6.3f s (ratio %5.2f)\n",
      n, a, a / n * 1e6, b, a / b, c, a / c }'
done
