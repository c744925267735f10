// The engine's camera: where the viewer stands and looks, the projection,
// and the screen it draws on. The editor builds mouse rays from it to pick
// terrain and objects, and tools use it to place world points on a picture.
//
// Screen coordinates are pixels from the top-left corner of the viewport,
// x to the right, y down; pixel (x, y) covers [x, x + 1) x [y, y + 1) and
// mouse rays pass through its centre.
#pragma once

#include "lumo/LumoApi.h"
#include "lumo/Math.h"

namespace Lumo {

class LUMO_API CameraBase {
public:
    // A perspective camera with a 45-degree vertical field of view on an
    // 800 x 600 viewport, at (0, 100, -100) looking at the origin, y up.
    CameraBase();
    virtual ~CameraBase();

    // Viewport size in pixels (each at least 1).
    void SetViewport(int width, int height);
    // Perspective projection: vertical field of view in radians, near and
    // far plane distances.
    void SetPerspective(float fovY, float zNear, float zFar);
    // Parallel projection: the viewport shows viewWidth world units across
    // (and as many per pixel vertically).
    void SetOrtho(float viewWidth, float zNear, float zFar);
    // Eye position, the point looked at, and the up direction. An up
    // direction parallel to the line of sight is replaced by world z.
    void SetLookAt(const D3DXVECTOR3& from, const D3DXVECTOR3& at, const D3DXVECTOR3& up);

    const D3DXVECTOR3& GetLookat() const { return m_at; }
    const D3DXVECTOR3& GetLookFrom() const { return m_from; }
    int GetViewportWidth() const { return m_viewW; }
    int GetViewportHeight() const { return m_viewH; }
    bool IsOrtho() const { return m_ortho; }

    // The ray from the viewer through the centre of pixel (x, y), with a
    // direction of length 1.
    void GetMouseRay(int x, int y, Ray& out) const;
    // Where a world point appears on the screen (continuous pixel
    // coordinates); false when it lies behind the viewer.
    bool WorldToScreen(const D3DXVECTOR3& p, float& sx, float& sy) const;

private:
    // The camera's axes: right, up, forward (unit vectors).
    void Basis(D3DXVECTOR3& right, D3DXVECTOR3& up, D3DXVECTOR3& forward) const;

    int m_viewW = 800;
    int m_viewH = 600;
    bool m_ortho = false;
    float m_fovY = 0.785398163f;
    float m_orthoWidth = 1000;
    float m_zNear = 1;
    float m_zFar = 100000;
    D3DXVECTOR3 m_from{0, 100, -100};
    D3DXVECTOR3 m_at{0, 0, 0};
    D3DXVECTOR3 m_up{0, 1, 0};
};

}  // namespace Lumo
