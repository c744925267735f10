#!/usr/bin/env bash
# Packages the publisher did not sign, each refused by the real patcher
# against versiond and proftpd on loopback: changed after signing, without a
# signature, signed by a key not listed, signed under another file name, and
# with a damaged signature. After each the patcher exits 1, the folder is
# byte for byte as before and the package is gone from download/.
#
#   signed_update_test.sh            the patcher of this build (Linux)
#   signed_update_test.sh --windows  the Windows build's Drevik.exe under
#                                    wine64; servers and tools from the
#                                    native build
#
# Skipped (77) where the servers cannot run: no proftpd, or not root.
set -euo pipefail
source_dir=${TESMAR_SOURCE_DIR:?}
[ -x /usr/sbin/proftpd ] || { echo "skip: proftpd is not installed"; exit 77; }
[ "$(id -u)" = 0 ] || { echo "skip: proftpd's anonymous sessions need root"; exit 77; }
if [ "${1:-}" = --windows ]; then
  tools=$source_dir/build/native/bin
  patcher_bin=${TESMAR_BINARY_DIR:?}/bin
  patcher=Drevik.exe
  wine=${WINE:?}
else
  tools=${TESMAR_BINARY_DIR:?}/bin
  patcher_bin=$tools
  patcher=drevik
  wine=
fi
VERSIOND=$tools/versiond
. "$source_dir/scripts/servers.sh"
work=$(mktemp -d)
trap 'stop_servers; rm -rf "$work"' EXIT
cd "$work"
export XDG_RUNTIME_DIR=$work XDG_CONFIG_HOME=$work
fail() { echo "FAIL: $*" >&2; exit 1; }

minisign -G -W -p a.pub -s a.key > /dev/null
minisign -G -W -p b.pub -s b.key > /dev/null

# 100 -> 101 -> 102: loose files and an archive entry.
mkdir -p v100/data
echo "version 100" > v100/readme.txt
echo '<ui v="100"/>' > ui.xml
"$tools/cpk" add v100/data/ui.cpk ui.xml --as 'ui\main.xml' > /dev/null
cp -a v100 v101
echo "version 101" > v101/readme.txt
head -c 300000 /dev/urandom > v101/map.dat
cp -a v101 v102
echo "version 102" > v102/readme.txt
echo '<ui v="102"/>' > ui.xml
"$tools/cpk" add v102/data/ui.cpk ui.xml --as 'ui\main.xml' > /dev/null
mkdir -p release/v100 release/v101
"$tools/mkpatch" --old v100 --new v101 -o release/v100/p101.cpk --sign a.key > /dev/null
"$tools/mkpatch" --old v101 --new v102 -o release/v101/p102.cpk --sign a.key > /dev/null

# The signed release file, of the packages as published (the mirror
# address does not matter to it).
printf 'latest 102\nmirror * 127.0.0.1\npath 100 v100\\p101.cpk v101\\p102.cpk\npath 101 v101\\p102.cpk\n' \
  > manifest
"$tools/mkpatch" release --manifest manifest --root release --serial 1 --expires 1 \
  --key a.pub --sign a.key > /dev/null

spoil() {  # CASE ROOT: the second package's signature made wrong
  local p=$2/v101/p102.cpk
  case "$1" in
    changed) printf 'tampered' >> "$p" ;;
    unsigned) rm "$p.minisig" ;;
    foreign) rm "$p.minisig"; minisign -S -s b.key -m "$p" > /dev/null ;;
    renamed)
      mkdir -p other && cp "$p" other/p101.cpk
      minisign -S -s a.key -m other/p101.cpk > /dev/null
      cp other/p101.cpk.minisig "$p.minisig" ;;
    damaged) head -c 100 "$p.minisig" > cut && mv cut "$p.minisig" ;;
  esac
}

for case in changed unsigned foreign renamed damaged; do
  rm -rf "root-$case" "game-$case" other
  cp -a release "root-$case"
  spoil "$case" "$work/root-$case"
  start_ftp "$work/root-$case" "$work/ftp-$case"
  pick_version_address
  printf 'latest 102\nmirror * %s\npath 100 v100\\p101.cpk v101\\p102.cpk\n' "$FTP_ADDRESS" \
    > "manifest-$case"
  start_versiond "$work/manifest-$case" "$work/root-$case" "$work/versiond-$case"
  cp -a v100 "game-$case"
  cp "$patcher_bin/$patcher" "$patcher_bin/UpdatePackef.dat" "game-$case/"
  { game_ini Tesmar.exe
    printf '[sign]\r\nnum=1\r\nkey0=%s\r\n' "$(sed -n 2p a.pub)"; } > "game-$case/update.ini"
  write_version "game-$case/version.dat" 100
  cp -a "game-$case" "before-$case"
  code=0
  (cd "game-$case" && $wine "./$patcher" --console --yes) > "out-$case" 2>&1 || code=$?
  [ "$code" = 1 ] || { cat "out-$case"; fail "$case: the patcher exited $code, not 1"; }
  grep -aq "p102.cpk" "out-$case" || { cat "out-$case"; fail "$case: the package is not named"; }
  diff -r --exclude=download "before-$case" "game-$case" > /dev/null ||
    fail "$case: the folder changed"
  [ ! -e "game-$case/download/p102.cpk" ] || fail "$case: the package stayed in download/"
  [ ! -e "game-$case/download/p102.cpk.minisig" ] || fail "$case: its signature stayed"
  stop_servers
  echo "$case: refused"
done
echo "signed update refusals: ok"
