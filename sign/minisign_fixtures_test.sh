#!/usr/bin/env bash
# Makes the keys, files and signatures that sign_test checks, with the real
# minisign, into a fresh folder (the first argument). It runs on the build
# machine before the test program, so the Windows build under wine64 checks
# the same signatures a publisher's minisign writes.
set -euo pipefail
out=${1:?usage: minisign_fixtures_test.sh FOLDER}
if ! command -v minisign >/dev/null; then
  echo "minisign is not installed: run scripts/bootstrap" >&2
  exit 1
fi
rm -rf "$out"
mkdir -p "$out"
cd "$out"

minisign -G -W -p key1.pub -s key1.key >/dev/null
minisign -G -W -p key2.pub -s key2.key >/dev/null

# a.bin spans several of the verifier's read blocks and ends inside one.
head -c $((5 * 1024 * 1024 / 2 + 7)) /dev/urandom >a.bin
printf 'another file\n' >b.bin
: >empty.bin
cp a.bin other.bin

sign() { minisign -S -s "$@" >/dev/null; }
sign key1.key -m a.bin                          # a.bin.minisig
sign key1.key -m b.bin                          # b.bin.minisig
sign key1.key -m empty.bin                      # empty.bin.minisig
sign key1.key -m other.bin                      # same bytes, file:other.bin
sign key2.key -m a.bin -x a-key2.minisig
sign key1.key -l -m a.bin -x a-legacy.minisig
sign key1.key -l -m empty.bin -x empty-legacy.minisig
sign key1.key -m a.bin -x a-nofile.minisig -t 'release 7'
# A name whose GBK second byte is "\" (0x95 0x5C): only a reader that keeps
# the pair together finds the base name.
sign key1.key -m a.bin -x a-gbk.minisig -t "$(printf 'timestamp:1\tfile:\225\134a.bin\thashed')"
