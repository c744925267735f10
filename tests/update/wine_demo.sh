#!/usr/bin/env bash
# The update under wine64: the Windows build's Drevik.exe (console front
# end) updates the sample game folder of scripts/demo from versiond and
# proftpd running natively on loopback. Skipped (77) where the servers
# cannot run: no proftpd, not root, or no native build of the tools.
set -euo pipefail
source_dir=${TESMAR_SOURCE_DIR:?}
native=$source_dir/build/native/bin
[ -x /usr/sbin/proftpd ] || { echo "skip: proftpd is not installed"; exit 77; }
[ "$(id -u)" = 0 ] || { echo "skip: proftpd's anonymous sessions need root"; exit 77; }
for tool in versiond cpk mkpatch; do
  [ -x "$native/$tool" ] || { echo "skip: build the native preset first ($tool)"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$source_dir/scripts/demo" --windows --no-build --dir "$work/demo"
