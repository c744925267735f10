#include "lumo/Camera.h"

#include <algorithm>
#include <cmath>

namespace Lumo {

CameraBase::CameraBase() = default;
CameraBase::~CameraBase() = default;

void CameraBase::SetViewport(int width, int height) {
    m_viewW = std::max(1, width);
    m_viewH = std::max(1, height);
}

void CameraBase::SetPerspective(float fovY, float zNear, float zFar) {
    m_ortho = false;
    m_fovY = fovY;
    m_zNear = zNear;
    m_zFar = zFar;
}

void CameraBase::SetOrtho(float viewWidth, float zNear, float zFar) {
    m_ortho = true;
    m_orthoWidth = viewWidth;
    m_zNear = zNear;
    m_zFar = zFar;
}

void CameraBase::SetLookAt(const D3DXVECTOR3& from, const D3DXVECTOR3& at, const D3DXVECTOR3& up) {
    m_from = from;
    m_at = at;
    m_up = up;
}

void CameraBase::Basis(D3DXVECTOR3& right, D3DXVECTOR3& up, D3DXVECTOR3& forward) const {
    forward = Normalize(m_at - m_from);
    if (Length(forward) == 0) {
        forward = {0, 0, 1};
    }
    // Left-handed, as the engine's world is: x right, y up, z into the
    // screen, so right = up x forward.
    right = Normalize(Cross(m_up, forward));
    if (Length(right) < 1e-6f) {
        right = Normalize(Cross(D3DXVECTOR3(0, 0, 1), forward));
        if (Length(right) < 1e-6f) {
            right = {1, 0, 0};
        }
    }
    up = Cross(forward, right);
}

void CameraBase::GetMouseRay(int x, int y, Ray& out) const {
    D3DXVECTOR3 right, up, forward;
    Basis(right, up, forward);
    // Normalised device coordinates of the pixel's centre: -1 .. 1, y up.
    const float nx = 2.0f * (float(x) + 0.5f) / float(m_viewW) - 1.0f;
    const float ny = 1.0f - 2.0f * (float(y) + 0.5f) / float(m_viewH);
    const float aspect = float(m_viewW) / float(m_viewH);
    if (m_ortho) {
        const float halfW = m_orthoWidth * 0.5f;
        const float halfH = halfW / aspect;
        out.origin = m_from + right * (nx * halfW) + up * (ny * halfH);
        out.dir = forward;
        return;
    }
    const float tanHalf = std::tan(m_fovY * 0.5f);
    out.origin = m_from;
    out.dir = Normalize(forward + right * (nx * tanHalf * aspect) + up * (ny * tanHalf));
}

bool CameraBase::WorldToScreen(const D3DXVECTOR3& p, float& sx, float& sy) const {
    D3DXVECTOR3 right, up, forward;
    Basis(right, up, forward);
    const D3DXVECTOR3 rel = p - m_from;
    const float depth = Dot(rel, forward);
    const float aspect = float(m_viewW) / float(m_viewH);
    float nx, ny;
    if (m_ortho) {
        const float halfW = m_orthoWidth * 0.5f;
        nx = Dot(rel, right) / halfW;
        ny = Dot(rel, up) / (halfW / aspect);
    } else {
        if (!(depth > 0)) {
            return false;
        }
        const float tanHalf = std::tan(m_fovY * 0.5f);
        nx = Dot(rel, right) / (depth * tanHalf * aspect);
        ny = Dot(rel, up) / (depth * tanHalf);
    }
    sx = (nx + 1.0f) * 0.5f * float(m_viewW);
    sy = (1.0f - ny) * 0.5f * float(m_viewH);
    return true;
}

}  // namespace Lumo
