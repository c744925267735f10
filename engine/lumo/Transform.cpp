#include "lumo/Transform.h"

#include <cmath>

namespace Lumo {

Transform::Transform() = default;

void Transform::Append(const D3DXMATRIX& m) {
    m_matrix = m_matrix * m;
}

void Transform::Scale(const D3DXVECTOR3& s) {
    D3DXMATRIX m;
    m.m[0][0] = s.x;
    m.m[1][1] = s.y;
    m.m[2][2] = s.z;
    Append(m);
}

void Transform::Rotate(float yaw, float pitch, float roll) {
    const float cy = std::cos(yaw), sy = std::sin(yaw);
    const float cp = std::cos(pitch), sp = std::sin(pitch);
    const float cr = std::cos(roll), sr = std::sin(roll);
    D3DXMATRIX rz, rx, ry;
    rz.m[0][0] = cr;
    rz.m[0][1] = sr;
    rz.m[1][0] = -sr;
    rz.m[1][1] = cr;
    rx.m[1][1] = cp;
    rx.m[1][2] = sp;
    rx.m[2][1] = -sp;
    rx.m[2][2] = cp;
    ry.m[0][0] = cy;
    ry.m[0][2] = -sy;
    ry.m[2][0] = sy;
    ry.m[2][2] = cy;
    Append(rz * rx * ry);
}

void Transform::Translate(const D3DXVECTOR3& t) {
    D3DXMATRIX m;
    m.m[3][0] = t.x;
    m.m[3][1] = t.y;
    m.m[3][2] = t.z;
    Append(m);
}

}  // namespace Lumo
