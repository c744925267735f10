// The file helpers of the update flow live with the storage code, which
// unpacks patches with them; the patcher includes them from here.
#pragma once

#include "cpk/FileHelpers.h"
