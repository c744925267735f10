// The engine's value types and geometry: tile and screen points, world
// vectors and matrices with the layout the game's files and the Windows
// interfaces use, rays and axis-aligned boxes with their intersection tests.
//
// World units: x and z are horizontal, y is up. Matrices are row-major and
// transform row vectors (p' = p * M), so the translation is the last row.
// Everything here is plain data and pure functions, safe on any thread.
#pragma once

#include <cfloat>
#include <cstdint>
#include <utility>

#include "lumo/LumoApi.h"

namespace Lumo {

// A tile or screen position (the Windows POINT layout).
struct tagPOINT {
    int32_t x;
    int32_t y;
};
static_assert(sizeof(tagPOINT) == 8, "POINT is two 32-bit values");

// Three 32-bit floats, as stored in map records.
struct D3DXVECTOR3 {
    float x, y, z;

    D3DXVECTOR3() : x(0), y(0), z(0) {}
    D3DXVECTOR3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    D3DXVECTOR3 operator+(const D3DXVECTOR3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    D3DXVECTOR3 operator-(const D3DXVECTOR3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    D3DXVECTOR3 operator*(float s) const { return {x * s, y * s, z * s}; }
    D3DXVECTOR3& operator+=(const D3DXVECTOR3& o) {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
    bool operator==(const D3DXVECTOR3& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const D3DXVECTOR3& o) const { return !(*this == o); }
};
static_assert(sizeof(D3DXVECTOR3) == 12, "a vector is three floats");

LUMO_API float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b);
LUMO_API D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b);
LUMO_API float Length(const D3DXVECTOR3& v);
// v scaled to length 1; the zero vector stays zero.
LUMO_API D3DXVECTOR3 Normalize(const D3DXVECTOR3& v);

// 4 x 4 floats, row-major.
struct D3DXMATRIX {
    float m[4][4];

    // The identity.
    D3DXMATRIX() : m{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}} {}
    bool operator==(const D3DXMATRIX& o) const {
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) {
                if (m[r][c] != o.m[r][c]) {
                    return false;
                }
            }
        }
        return true;
    }
};
static_assert(sizeof(D3DXMATRIX) == 64, "a matrix is 16 floats");

// a then b: a point transformed by the result is transformed by a, then b.
LUMO_API D3DXMATRIX operator*(const D3DXMATRIX& a, const D3DXMATRIX& b);
// The point p (w = 1) transformed by m.
LUMO_API D3DXVECTOR3 TransformCoord(const D3DXVECTOR3& p, const D3DXMATRIX& m);
// The direction d (w = 0) transformed by m.
LUMO_API D3DXVECTOR3 TransformNormal(const D3DXVECTOR3& d, const D3DXMATRIX& m);

// A float truncated toward zero into an int; NaN gives 0 and values beyond
// the int range give its nearest end, where a plain cast is undefined.
LUMO_API int32_t TruncToInt(float f);

// An axis-aligned box. A box whose max is below its min on some axis is
// empty and meets nothing.
struct LUMO_API AABBox {
    D3DXVECTOR3 max;
    D3DXVECTOR3 min;

    AABBox() = default;
    AABBox(const D3DXVECTOR3& min_, const D3DXVECTOR3& max_) : max(max_), min(min_) {}

    bool IsEmpty() const;
    // True when the boxes share at least one point (touching faces count).
    bool Intersects(const AABBox& other) const;
    bool Contains(const D3DXVECTOR3& p) const;
    // The box grown (or, with a negative d, shrunk) by d on every side.
    AABBox Inflated(float dx, float dy, float dz) const;
    // The smallest box holding this one and p.
    void Merge(const D3DXVECTOR3& p);
    // The box of this box's eight corners transformed by m.
    AABBox Transformed(const D3DXMATRIX& m) const;
};

// A half-line: origin plus t * dir for t >= 0. dir need not be of length 1;
// distances are in units of dir's length (world units when it is 1).
struct LUMO_API Ray {
    D3DXVECTOR3 origin;
    D3DXVECTOR3 dir;

    // (hit, t) of the first point of the box on the ray: t is 0 when the
    // origin lies inside the box. A miss answers (false, FLT_MAX).
    std::pair<bool, float> Intersect(const AABBox& box) const;
    D3DXVECTOR3 PointAt(float t) const { return origin + dir * t; }
};

}  // namespace Lumo
