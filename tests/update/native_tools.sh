#!/usr/bin/env bash
# Builds what the end-to-end runs of the Windows build take from the native
# build: versiond, cpk and mkpatch serve and make the patches on the Linux
# side of loopback. Configures the native preset when it is not there yet;
# a second run finds the tools built and returns at once. A failure here
# fails the runs that need the tools (they do not skip).
set -euo pipefail
source_dir=${TESMAR_SOURCE_DIR:?}
cd "$source_dir"
if [ ! -f build/native/build.ninja ]; then
  mkdir -p build/native
  if ! cmake --preset native >build/native/configure.log 2>&1; then
    cat build/native/configure.log >&2
    exit 1
  fi
fi
cmake --build build/native --target versiond cpk_tool mkpatch
