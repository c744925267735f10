#include "sdl/SdlPaint.h"

#include "platform/text.h"
#include "sdl/DebugFont.h"

namespace GFC {
namespace sdl {

void FillQuad(SDL_Surface* surface, const Lumo::DrawCall& q) {
    const Uint8 a = static_cast<Uint8>(q.colour >> 24);
    const Uint8 r = static_cast<Uint8>(q.colour >> 16);
    const Uint8 g = static_cast<Uint8>(q.colour >> 8);
    const Uint8 b = static_cast<Uint8>(q.colour);
    SDL_Rect rc{q.x, q.y, q.w, q.h};
    if (rc.w <= 0 || rc.h <= 0 || a == 0) {
        return;
    }
    if (a == 0xFF) {
        SDL_FillRect(surface, &rc, SDL_MapRGB(surface->format, r, g, b));
        return;
    }
    SDL_Surface* pixel = SDL_CreateRGBSurfaceWithFormat(0, 1, 1, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!pixel) {
        return;
    }
    SDL_FillRect(pixel, nullptr, SDL_MapRGBA(pixel->format, r, g, b, a));
    SDL_SetSurfaceBlendMode(pixel, SDL_BLENDMODE_BLEND);
    SDL_BlitScaled(pixel, nullptr, surface, &rc);
    SDL_FreeSurface(pixel);
}

void DrawText(SDL_Surface* surface, const Lumo::DrawCall& t) {
    const Uint32 colour =
        SDL_MapRGB(surface->format, static_cast<Uint8>(t.colour >> 16),
                   static_cast<Uint8>(t.colour >> 8), static_cast<Uint8>(t.colour));
    const bool direct = surface->format->BytesPerPixel == 4 && SDL_LockSurface(surface) == 0;
    auto plot = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= surface->w || y >= surface->h) {
            return;
        }
        if (direct) {
            auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) +
                                                  static_cast<size_t>(y) * surface->pitch);
            row[x] = colour;
        } else {
            SDL_Rect px{x, y, 1, 1};
            SDL_FillRect(surface, &px, colour);
        }
    };
    int x = t.x;
    const int top = t.y + debugfont::kTopMargin;
    for (size_t i = 0; i < t.text.size(); ++i) {
        const auto c = static_cast<unsigned char>(t.text[i]);
        const uint8_t* glyph = debugfont::kMissing;
        int cells = 1;
        if (c >= debugfont::kFirst && c <= debugfont::kLast) {
            glyph = debugfont::kGlyphs[c - debugfont::kFirst];
        } else if (platform::IsGbkLeadByte(c) && i + 1 < t.text.size()) {
            ++i;  // a GBK lead byte takes its trail byte with it
            cells = 2;
        }
        for (int row = 0; row < debugfont::kGlyphHeight; ++row) {
            for (int col = 0; col < debugfont::kGlyphWidth * cells; ++col) {
                const int bit = debugfont::kGlyphWidth - 1 - col / cells;
                if (glyph[row] & (1 << bit)) {
                    plot(x + col, top + row);
                }
            }
        }
        x += debugfont::kAdvance * cells;
    }
    if (direct) {
        SDL_UnlockSurface(surface);
    }
}

}  // namespace sdl
}  // namespace GFC
