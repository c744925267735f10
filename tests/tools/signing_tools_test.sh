#!/usr/bin/env bash
# The publisher's tools with signatures, as a publisher and a mirror's
# operator run them, with the real minisign: mkpatch --sign writes the
# signature, cpk apply --key and ftpfetch --key (against proftpd on
# loopback) take only what a listed key signed, and versiond
# --require-signatures refuses to serve a file without a good signature.
#
#   signing_tools_test.sh BINDIR SOURCE_DIR
#
# The ftpfetch part is skipped where proftpd cannot run (not installed, not
# root); the rest always runs.
set -euo pipefail
bin=$1
source_dir=$2
work=$(mktemp -d)
. "$source_dir/scripts/servers.sh"
trap 'stop_servers; rm -rf "$work"' EXIT
cd "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }
# Runs a command that must fail with exit code 1 and say $1 on stderr.
refused() {
  local says=$1 code=0
  shift
  "$@" > out 2> err || code=$?
  [ "$code" = 1 ] || fail "$* exited $code, not 1: $(cat err)"
  grep -qF -- "$says" err || fail "$* did not say '$says': $(cat err)"
}

minisign -G -W -p a.pub -s a.key > /dev/null
minisign -G -W -p b.pub -s b.key > /dev/null
keyA=$(sed -n 2p a.pub)
keyB=$(sed -n 2p b.pub)

# ---- mkpatch --sign ----
mkdir -p old new
echo "version 100" > old/readme.txt
echo "version 101" > new/readme.txt
head -c 100000 /dev/urandom > new/map.dat
"$bin/mkpatch" --old old --new new -o p101.cpk --sign a.key > out 2> err ||
  fail "mkpatch --sign: $(cat err)"
[ -f p101.cpk.minisig ] || fail "mkpatch --sign wrote no p101.cpk.minisig"
minisign -V -p a.pub -m p101.cpk > /dev/null || fail "minisign does not take mkpatch's signature"
refused "minisign" "$bin/mkpatch" --old old --new new -o p102.cpk --sign missing.key

# ---- cpk apply --key ----
cp -a old game
refused "not signed by the publisher" "$bin/cpk" apply p101.cpk --game game --key "$keyB"
[ "$(cat game/readme.txt)" = "version 100" ] || fail "a refused apply changed the folder"
cp p101.cpk changed.cpk
printf 'x' >> changed.cpk
cp p101.cpk.minisig changed.cpk.minisig
refused "not signed by the publisher" "$bin/cpk" apply changed.cpk --game game --key "$keyA"
cp p101.cpk unsigned.cpk
refused "not signed" "$bin/cpk" apply unsigned.cpk --game game --key "$keyA"
code=0
"$bin/cpk" apply p101.cpk --game game --key "$keyA" --key "$keyB" > out 2> err || code=$?
[ "$code" = 0 ] || fail "cpk apply of a signed package: $(cat err)"
[ "$(cat game/readme.txt)" = "version 101" ] || fail "cpk apply did not unpack"
code=0
"$bin/cpk" apply p101.cpk --game game --key "not a key" > out 2> err || code=$?
[ "$code" = 64 ] || fail "a malformed --key is not a usage error ($code)"

# ---- versiond serve --require-signatures ----
mkdir -p root/v100
cp p101.cpk p101.cpk.minisig root/v100/
cp unsigned.cpk root/v100/p102.cpk
printf 'latest 102\nmirror * 127.0.0.9\npath 100 v100\\p101.cpk v100\\p102.cpk\n' > manifest
refused 'v100\p102.cpk is not signed' \
  "$bin/versiond" serve --manifest manifest --root root --port 0 --require-signatures a.pub
minisign -S -s b.key -m root/v100/p102.cpk > /dev/null
refused 'v100\p102.cpk is not signed' \
  "$bin/versiond" serve --manifest manifest --root root --port 0 --require-signatures a.pub
minisign -S -s a.key -m root/v100/p102.cpk > /dev/null
VERSIOND=$bin/versiond
VERSION_ADDRESS=127.0.0.1
VERSION_PORT=0
start_versiond "$work/manifest" "$work/root" "$work/versiond" --require-signatures "$work/a.pub" ||
  fail "versiond refused a release whose files are all signed"
stop_servers

# ---- ftpfetch --key against proftpd ----
if [ ! -x /usr/sbin/proftpd ] || [ "$(id -u)" != 0 ]; then
  echo "signing tools: ok (ftpfetch skipped: proftpd cannot run here)"
  exit 0
fi
start_ftp "$work/root" "$work/ftp"
md5=$(md5sum p101.cpk | cut -d' ' -f1)
mkdir -p fetched
"$bin/ftpfetch" "$FTP_ADDRESS" v100/p101.cpk "$md5" -o fetched --key "$keyA" > out 2> err ||
  fail "ftpfetch --key of a signed file: $(cat err)"
cmp -s fetched/p101.cpk p101.cpk || fail "ftpfetch fetched other bytes"
rm -rf fetched/*
refused "not signed by the publisher" \
  "$bin/ftpfetch" "$FTP_ADDRESS" v100/p101.cpk "$md5" -o fetched --key "$keyB"
[ ! -e fetched/p101.cpk ] || fail "ftpfetch kept a file the key did not sign"
# No signature on the server: the file goes, and the server is named.
rm root/v100/p101.cpk.minisig
refused "p101.cpk" "$bin/ftpfetch" "$FTP_ADDRESS" v100/p101.cpk "$md5" -o fetched --key "$keyA"
[ ! -e fetched/p101.cpk ] || fail "ftpfetch kept a file without a signature"
echo "signing tools: ok"
