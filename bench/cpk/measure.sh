# Timing helpers of the archive storage's side-by-side scripts (bash,
# sourced), beside bench/timing.sh: wall time and processor time together.
#
#   measure PREPARE CMD...   runs CMD $runs times, PREPARE (a bash command
#                            line, may be empty) untimed before each; prints
#                            "BEST MEDIAN CPU": the least and the median wall
#                            seconds, and the user + system seconds of the
#                            fastest run (its children included)
#   verdict RATIO GOAL       "met" or "MISSED": whether RATIO <= GOAL

measure() {
  local prepare=$1 runs_out=""
  shift
  for _ in $(seq "$runs"); do
    [ -z "$prepare" ] || bash -c "$prepare"
    # bash's own timer: real, user and system seconds of the command.
    runs_out+=$( { TIMEFORMAT='%R %U %S'; time "$@" >/dev/null 2>&1; } 2>&1 )$'\n'
  done
  printf '%s' "$runs_out" | sort -n | awk 'BEGIN { n = 0 }
    NF == 3 { wall[n] = $1; cpu[n] = $2 + $3; n++ }
    END { printf "%.4f %.4f %.4f\n", wall[0], wall[int((n - 1) / 2)], cpu[0] }'
}

verdict() {
  awk -v r="$1" -v g="$2" 'BEGIN { print (r <= g) ? "met" : "MISSED" }'
}
