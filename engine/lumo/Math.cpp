#include "lumo/Math.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Lumo {

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Length(const D3DXVECTOR3& v) {
    return std::sqrt(Dot(v, v));
}

D3DXVECTOR3 Normalize(const D3DXVECTOR3& v) {
    const float len = Length(v);
    return len > 0 ? v * (1.0f / len) : v;
}

D3DXMATRIX operator*(const D3DXMATRIX& a, const D3DXMATRIX& b) {
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) {
                sum += a.m[i][k] * b.m[k][j];
            }
            r.m[i][j] = sum;
        }
    }
    return r;
}

D3DXVECTOR3 TransformCoord(const D3DXVECTOR3& p, const D3DXMATRIX& m) {
    float out[4];
    for (int c = 0; c < 4; ++c) {
        out[c] = p.x * m.m[0][c] + p.y * m.m[1][c] + p.z * m.m[2][c] + m.m[3][c];
    }
    // Affine matrices keep w at 1; a projection divides through.
    if (out[3] != 0 && out[3] != 1) {
        return {out[0] / out[3], out[1] / out[3], out[2] / out[3]};
    }
    return {out[0], out[1], out[2]};
}

D3DXVECTOR3 TransformNormal(const D3DXVECTOR3& d, const D3DXMATRIX& m) {
    return {d.x * m.m[0][0] + d.y * m.m[1][0] + d.z * m.m[2][0],
            d.x * m.m[0][1] + d.y * m.m[1][1] + d.z * m.m[2][1],
            d.x * m.m[0][2] + d.y * m.m[1][2] + d.z * m.m[2][2]};
}

int32_t TruncToInt(float f) {
    if (std::isnan(f)) {
        return 0;
    }
    // 2^31 is exactly representable; every float below it fits after truncation.
    if (f >= 2147483648.0f) {
        return std::numeric_limits<int32_t>::max();
    }
    if (f <= -2147483648.0f) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(f);
}

bool AABBox::IsEmpty() const {
    // Written so that NaN corners make the box empty too.
    return !(min.x <= max.x && min.y <= max.y && min.z <= max.z);
}

bool AABBox::Intersects(const AABBox& o) const {
    if (IsEmpty() || o.IsEmpty()) {
        return false;
    }
    return min.x <= o.max.x && o.min.x <= max.x && min.y <= o.max.y && o.min.y <= max.y &&
           min.z <= o.max.z && o.min.z <= max.z;
}

bool AABBox::Contains(const D3DXVECTOR3& p) const {
    return p.x >= min.x && p.x <= max.x && p.y >= min.y && p.y <= max.y && p.z >= min.z &&
           p.z <= max.z;
}

AABBox AABBox::Inflated(float dx, float dy, float dz) const {
    return AABBox({min.x - dx, min.y - dy, min.z - dz}, {max.x + dx, max.y + dy, max.z + dz});
}

void AABBox::Merge(const D3DXVECTOR3& p) {
    if (IsEmpty()) {
        min = max = p;
        return;
    }
    min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
    max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
}

AABBox AABBox::Transformed(const D3DXMATRIX& m) const {
    if (IsEmpty()) {
        return *this;
    }
    AABBox out;
    out.min = {1, 1, 1};
    out.max = {0, 0, 0};  // empty until the first corner
    for (int i = 0; i < 8; ++i) {
        const D3DXVECTOR3 corner((i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y,
                                 (i & 4) ? max.z : min.z);
        out.Merge(TransformCoord(corner, m));
    }
    return out;
}

std::pair<bool, float> Ray::Intersect(const AABBox& box) const {
    const std::pair<bool, float> miss(false, FLT_MAX);
    if (box.IsEmpty()) {
        return miss;
    }
    for (float v : {origin.x, origin.y, origin.z, dir.x, dir.y, dir.z}) {
        if (std::isnan(v)) {
            return miss;
        }
    }
    float tNear = 0;
    float tFar = FLT_MAX;
    const float o[3] = {origin.x, origin.y, origin.z};
    const float d[3] = {dir.x, dir.y, dir.z};
    const float lo[3] = {box.min.x, box.min.y, box.min.z};
    const float hi[3] = {box.max.x, box.max.y, box.max.z};
    for (int axis = 0; axis < 3; ++axis) {
        if (d[axis] == 0) {
            // Parallel to this pair of faces: inside the slab or never.
            if (!(o[axis] >= lo[axis] && o[axis] <= hi[axis])) {
                return miss;
            }
            continue;
        }
        float t1 = (lo[axis] - o[axis]) / d[axis];
        float t2 = (hi[axis] - o[axis]) / d[axis];
        if (t1 > t2) {
            std::swap(t1, t2);
        }
        tNear = std::max(tNear, t1);
        tFar = std::min(tFar, t2);
        if (!(tNear <= tFar)) {
            return miss;
        }
    }
    if (!(tNear < FLT_MAX)) {
        return miss;
    }
    return {true, tNear};
}

}  // namespace Lumo
