// Windows value types as the framework's interfaces use them, with the same
// layout, so that shared code needs no Windows header. Win32-only files that
// also see <windows.h> name these through the GFC namespace.
#pragma once

#include <cstdint>

#include "lumo/Math.h"

namespace GFC {

// The engine's own: tiles and vectors pass between the two unchanged.
using Lumo::D3DXMATRIX;
using Lumo::D3DXVECTOR3;
using Lumo::tagPOINT;
using POINT = tagPOINT;

struct tagRECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};
using RECT = tagRECT;

static_assert(sizeof(tagPOINT) == 8, "POINT is two 32-bit values");
static_assert(sizeof(tagRECT) == 16, "RECT is four 32-bit values");

}  // namespace GFC
