#!/usr/bin/env bash
# Side-by-side timing of signature checking: our verifier (sign_side) beside
# minisign -V on the same package, signature and key, warm cache for both.
# Prints the best of RUNS wall-clock times of each and their ratio
# (ours / theirs).
#
#   bench/sign/compare.sh [SIZE_MIB] [RUNS]     (after building the native preset)
set -euo pipefail
cd "$(dirname "$0")/../.."
size_mib=${1:-300}
runs=${2:-5}
bin=build/native/bin
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. bench/timing.sh

echo "== data: $size_mib MiB"
head -c $((size_mib * 1024 * 1024)) /dev/urandom > "$work/package.cpk"
bytes=$((size_mib * 1024 * 1024))
minisign -G -W -p "$work/key.pub" -s "$work/key.key" >/dev/null
minisign -S -s "$work/key.key" -m "$work/package.cpk" >/dev/null

# Both must agree before either is timed.
cat "$work/package.cpk" > /dev/null
"$bin/sign_side" verify "$work/package.cpk" "$work/package.cpk.minisig" "$work/key.pub" package.cpk >/dev/null
minisign -V -q -p "$work/key.pub" -m "$work/package.cpk"
ours=$(best "$bin/sign_side" verify "$work/package.cpk" "$work/package.cpk.minisig" "$work/key.pub" package.cpk)
theirs=$(best minisign -V -q -p "$work/key.pub" -m "$work/package.cpk")
report "verify a signed package (ED)" "$ours" "$theirs" "$bytes"
