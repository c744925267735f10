// The engine's recorded 2D drawing painted on an SDL surface (SDL2 back
// end): filled quads blended over the surface, and debug strings in the
// built-in 5 x 7 font (DebugFont.h), a GBK character as a double-width box.
#pragma once

#include <SDL2/SDL.h>

#include "lumo/DrawX.h"

namespace GFC {
namespace sdl {

// Source-over blend of the quad's colour into its rectangle.
void FillQuad(SDL_Surface* surface, const Lumo::DrawCall& q);
// One line of text; pixels outside the surface are skipped.
void DrawText(SDL_Surface* surface, const Lumo::DrawCall& t);

}  // namespace sdl
}  // namespace GFC
