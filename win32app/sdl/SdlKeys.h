// SDL's keys as the Windows messages name them (SDL2 back end): the
// virtual-key code of WM_KEYDOWN and WM_KEYUP for a US layout, and the
// character TranslateMessage makes of the keys that produce no text event.
#pragma once

#include <SDL2/SDL.h>

#include "framework/WinTypes.h"

namespace GFC {
namespace sdl {

// 0 for a key Windows has no virtual-key code of ours for.
WPARAM VirtualKey(SDL_Keycode k);
// 0 for a key that makes no such character.
char ControlChar(SDL_Keycode k);

}  // namespace sdl
}  // namespace GFC
