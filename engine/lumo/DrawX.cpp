#include "lumo/DrawX.h"

#include <mutex>

namespace Lumo {

namespace {

struct Recorder {
    std::mutex lock;
    std::vector<DrawCall> calls;

    void Add(DrawCall call) {
        std::lock_guard<std::mutex> guard(lock);
        if (calls.size() >= kDrawCallsKept) {
            calls.erase(calls.begin(), calls.begin() + kDrawCallsKept / 2);
        }
        calls.push_back(std::move(call));
    }
};

Recorder& TheRecorder() {
    static Recorder* recorder = new Recorder;
    return *recorder;
}

}  // namespace

void DrawX::Draw2DQuad(int x, int y, int w, int h, bool flag, uint32_t colour) {
    DrawCall call;
    call.kind = DrawCall::QUAD_2D;
    call.x = x;
    call.y = y;
    call.w = w;
    call.h = h;
    call.flag = flag;
    call.colour = colour;
    TheRecorder().Add(std::move(call));
}

void DrawX::DrawDebugString(const char* text, int x, int y, uint32_t colour) {
    if (!text) {
        return;
    }
    DrawCall call;
    call.kind = DrawCall::DEBUG_STRING;
    call.x = x;
    call.y = y;
    call.colour = colour;
    call.text = text;
    TheRecorder().Add(std::move(call));
}

void DrawX::DrawAABBox(const AABBox& box, uint32_t colour) {
    DrawCall call;
    call.kind = DrawCall::AABBOX;
    call.colour = colour;
    call.from = box.min;
    call.to = box.max;
    TheRecorder().Add(std::move(call));
}

void DrawX::Draw3DLine(const D3DXVECTOR3& from, const D3DXVECTOR3& to, uint32_t colour) {
    DrawCall call;
    call.kind = DrawCall::LINE_3D;
    call.colour = colour;
    call.from = from;
    call.to = to;
    TheRecorder().Add(std::move(call));
}

void DrawX::DrawGroundQuad(int x0, int z0, int x1, int z1, const D3DXVECTOR3& from,
                           const D3DXVECTOR3& to, uint32_t colour) {
    DrawCall call;
    call.kind = DrawCall::GROUND_QUAD;
    call.x = x0;
    call.y = z0;
    call.w = x1;
    call.h = z1;
    call.colour = colour;
    call.from = from;
    call.to = to;
    TheRecorder().Add(std::move(call));
}

std::vector<DrawCall> DrawX::GetRecorded() {
    Recorder& r = TheRecorder();
    std::lock_guard<std::mutex> guard(r.lock);
    return r.calls;
}

void DrawX::ClearRecorded() {
    Recorder& r = TheRecorder();
    std::lock_guard<std::mutex> guard(r.lock);
    r.calls.clear();
}

}  // namespace Lumo
