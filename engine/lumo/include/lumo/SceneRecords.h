// The scene's fog and sun-light settings. Map files carry them raw, byte
// for byte as here, so their layout is fixed: little-endian, no padding.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lumo/Math.h"

namespace Lumo {

// Distance fog: full colour at `end`, none before `start`.
struct tagDistFog {
    uint32_t colour = 0xFF808080;  // 0: ARGB
    float start = 2000.0f;         // 4: world units from the eye
    float end = 20000.0f;          // 8
    float density = 1.0f;          // 12: 0..1 at `end`
};
static_assert(sizeof(tagDistFog) == 16, "fog record is 16 bytes");
static_assert(offsetof(tagDistFog, density) == 12, "fog density at 12");

struct tagColor4f {
    float r, g, b, a;
};
static_assert(sizeof(tagColor4f) == 16, "colour is four floats");

// A light; the sun is a directional one.
struct tagLight {
    enum EType : int32_t { LT_POINT = 1, LT_SPOT = 2, LT_DIRECTIONAL = 3 };

    int32_t type = LT_DIRECTIONAL;                  // 0
    tagColor4f diffuse = {1.0f, 1.0f, 1.0f, 1.0f};  // 4
    tagColor4f specular = {0, 0, 0, 0};             // 20
    tagColor4f ambient = {0.3f, 0.3f, 0.3f, 1.0f};  // 36
    D3DXVECTOR3 position;                           // 52
    D3DXVECTOR3 direction{0.0f, -1.0f, 0.0f};       // 64
    float range = 0;                                // 76
    float falloff = 0;                              // 80
    float attenuation[3] = {1.0f, 0, 0};            // 84: constant, linear, squared
    float theta = 0;                                // 96: spot inner cone, radians
    float phi = 0;                                  // 100: spot outer cone
};
static_assert(sizeof(tagLight) == 104, "light record is 104 bytes");
static_assert(offsetof(tagLight, position) == 52, "light position at 52");
static_assert(offsetof(tagLight, phi) == 100, "light phi at 100");

}  // namespace Lumo
