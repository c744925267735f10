#!/usr/bin/env bash
# Applying a patch package the way the patcher does, beside cp of the same
# bytes: a package of N entries (1 to 8 KiB, half replacing entries, half
# new) merged into a game archive of 50,000 entries by "cpk apply", for N of
# 10,000, 20,000 and 40,000. Prints the best (and median) of RUNS wall-clock
# times, the ratio to cp and to cp followed by sync (our apply is on the
# disk when it returns) against the goal for the latter, the time per entry
# (it should stay flat as N grows), and the processor time (user + system)
# per 100 MiB of package applied.
#
#   bench/cpk/apply.sh [RUNS]     (after building the native preset; CPK_BIN=DIR
#                                  takes cpk and cpk_side from DIR instead)
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-3}
bin=${CPK_BIN:-build/native/bin}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# At most this many times cp + sync of the package.
goal=2.0

. bench/cpk/measure.sh

mkdir -p "$work/pristine/data"
"$bin/cpk_side" game "$work/pristine/data/scene.cpk" 50000
echo "== game archive: 50,000 entries, $(du -m "$work/pristine/data/scene.cpk" | cut -f1) MiB"
for n in 10000 20000 40000; do
  "$bin/cpk_side" package "$work/p$n.cpk" "$n"
  bytes=$(stat -c %s "$work/p$n.cpk")
  restore="rm -rf '$work/game' && cp -r '$work/pristine' '$work/game' && sync"
  read -r ours ours_median ours_cpu < <(measure "$restore" \
    "$bin/cpk" apply "$work/p$n.cpk" --game "$work/game" --abort)
  "$bin/cpk" check "$work/game/data/scene.cpk" >/dev/null
  read -r theirs _ _ < <(measure "rm -f '$work/copy.bin'" cp "$work/p$n.cpk" "$work/copy.bin")
  read -r synced synced_median synced_cpu < <(measure "rm -f '$work/copy.bin'" \
    bash -c "cp '$work/p$n.cpk' '$work/copy.bin' && sync '$work/copy.bin'")
  ratio=$(awk -v a="$ours" -v c="$synced" 'BEGIN { printf "%.2f", a / c }')
  awk -v n="$n" -v a="$ours" -v am="$ours_median" -v b="$theirs" -v c="$synced" \
      -v cm="$synced_median" -v r="$ratio" -v g="$goal" -v v="$(verdict "$ratio" "$goal")" \
      -v ac="$ours_cpu" -v cc="$synced_cpu" -v s="$bytes" 'BEGIN {
    m = s / (100 * 1048576)
    printf "%6d entries: apply %6.3f s (median %6.3f, %5.1f us/entry, cpu %5.3f s/100MiB)   cp %6.3f s (ratio %5.2f)\n",
      n, a, am, a / n * 1e6, ac / m, b, a / b
    printf "                cp+sync %6.3f s (median %6.3f, cpu %5.3f s/100MiB)   ratio %s, goal <= %.1f: %s\n",
      c, cm, cc / m, r, g, v }'
done
