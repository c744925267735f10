// Skin bitmap headers: a size comes out only within the limits, and the
// scroll bar's cells and the link-button row built on it stay sane.
#include <cstddef>
#include <cstdint>

#include "patcher/ui/PicControlRules.h"
#include "patcher/ui/SkinBitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto s = ParseBitmapHeader(data, size);
    if (!s) {
        return 0;
    }
    if (s->width <= 0 || s->height <= 0 || s->width > kBitmapMaxSide ||
        s->height > kBitmapMaxSide) {
        __builtin_trap();
    }
    for (bool vertical : {false, true}) {
        PicScrollBarModel bar(vertical);
        bar.SetSprite(*s);
        PicRect r = bar.SourceRect(ScrollPart::kPageDown, PartState::kPressed);
        if (bar.cellLength() < 0 || bar.cellThickness() < 0 || r.right > s->width + 1 + s->height ||
            r.width() < 0 || r.height() < 0) {
            __builtin_trap();
        }
        bar.SetRange(0, s->width);
        bar.SetPage(s->height);
        bar.SetPos(s->width / 2);
        auto g = bar.Geometry(s->height);
        if (g.thumb < 0 || g.thumb > g.track || g.thumbStart < g.arrow ||
            g.thumbStart + g.thumb > g.arrow + g.track) {
            __builtin_trap();
        }
    }
    auto row = LinkButtonRow(92, 127, 153, 14, {168, 258, 349}, {s->width, s->height});
    for (const auto& r : row) {
        if (r.width() < 0) {
            __builtin_trap();
        }
    }
    return 0;
}
