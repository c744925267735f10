#!/usr/bin/env bash
# The README's main command as a test: scripts/demo updates its sample game
# folder from versiond and proftpd on loopback.
#
#   demo_test.sh            the patcher and tools of this build (Linux)
#   demo_test.sh --windows  the Windows build's Drevik.exe (console front
#                           end) under wine64; the servers and tools run
#                           natively, from the native build
#
# Skipped (77) where the servers cannot run: no proftpd, or not root. With
# --windows the tools of the native build must be there (the test fixture
# native_tools builds them): their absence fails the run.
set -euo pipefail
source_dir=${TESMAR_SOURCE_DIR:?}
[ -x /usr/sbin/proftpd ] || { echo "skip: proftpd is not installed"; exit 77; }
[ "$(id -u)" = 0 ] || { echo "skip: proftpd's anonymous sessions need root"; exit 77; }
args=(--no-build)
if [ "${1:-}" = --windows ]; then
  native=$source_dir/build/native/bin
  for tool in versiond cpk mkpatch; do
    [ -x "$native/$tool" ] || { echo "$native/$tool is missing: build the native preset first"; exit 1; }
  done
  # The Windows build of this test: x86_64 or i686.
  case "${TESMAR_BINARY_DIR:?}" in
    */windows-x86) args+=(--windows-x86) ;;
    *) args+=(--windows) ;;
  esac
else
  args+=(--bin "${TESMAR_BINARY_DIR:?}/bin")
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$source_dir/scripts/demo" "${args[@]}" --dir "$work/demo"
