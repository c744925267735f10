# Timing helpers of the side-by-side benchmark scripts (bash, sourced).
#
#   best CMD...                  best wall time in seconds of $runs runs of CMD
#   best_prepared PREPARE CMD... the same, with PREPARE (a bash command line)
#                                run untimed before each run
#   report NAME OURS THEIRS BYTES   one line: both times, both speeds, ratio

best_prepared() {
  local prepare=$1 best="" t0 t1
  shift
  for _ in $(seq "$runs"); do
    [ -z "$prepare" ] || bash -c "$prepare"
    t0=$(date +%s.%N)
    "$@" >/dev/null
    t1=$(date +%s.%N)
    best=$(echo "$t0 $t1 ${best:-999999}" | awk '{d=$2-$1; print (d<$3)?d:$3}')
  done
  echo "$best"
}

best() {
  best_prepared "" "$@"
}

report() {
  awk -v n="$1" -v a="$2" -v b="$3" -v s="$4" 'BEGIN {
    printf "%-34s ours %7.3f s (%7.1f MB/s)   theirs %7.3f s (%7.1f MB/s)   ratio %.2f\n",
      n, a, s/a/1e6, b, s/b/1e6, a/b }'
}
