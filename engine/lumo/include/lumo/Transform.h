// A world transform built step by step: each call appends one operation,
// applied to a point after the ones before it (so Scale, then Rotate, then
// Translate turns a model point into the world in that order).
#pragma once

#include "lumo/LumoApi.h"
#include "lumo/Math.h"

namespace Lumo {

class LUMO_API Transform {
public:
    // The identity.
    Transform();

    void Scale(const D3DXVECTOR3& s);
    // Angles in radians, given yaw first: the point is turned by roll about
    // z, then by pitch about x, then by yaw about y (a positive yaw turns +x
    // toward -z, as seen from above with z away from the viewer).
    void Rotate(float yaw, float pitch, float roll);
    void Translate(const D3DXVECTOR3& t);

    const D3DXMATRIX& GetMatrix() const { return m_matrix; }

private:
    void Append(const D3DXMATRIX& m);

    D3DXMATRIX m_matrix;
};

}  // namespace Lumo
