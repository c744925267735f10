// Small helpers for readers of files opened through an engine file system.
#pragma once

#include <cstdint>

#include "lumo/IFS.h"

namespace Lumo {

// Bytes between h's position and the end of its file (the position is kept);
// 0 when the handle is bad. Readers compare the counts a file claims with
// this before they allocate for them.
LUMO_API uint32_t BytesLeft(IFS* fs, FHandle h);

}  // namespace Lumo
