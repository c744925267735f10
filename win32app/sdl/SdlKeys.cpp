#include "sdl/SdlKeys.h"

#include "win32app/WinMsg.h"

namespace GFC {
namespace sdl {

WPARAM VirtualKey(SDL_Keycode k) {
    if (k >= 'a' && k <= 'z') {
        return static_cast<WPARAM>(k - 'a' + 'A');
    }
    if ((k >= '0' && k <= '9') || k == ' ') {
        return static_cast<WPARAM>(k);
    }
    if (k >= SDLK_F1 && k <= SDLK_F12) {
        return VK_F1 + static_cast<WPARAM>(k - SDLK_F1);
    }
    switch (k) {
        case SDLK_BACKSPACE:
            return VK_BACK;
        case SDLK_TAB:
            return VK_TAB;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return VK_RETURN;
        case SDLK_ESCAPE:
            return VK_ESCAPE;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return VK_SHIFT;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return VK_CONTROL;
        case SDLK_LALT:
        case SDLK_RALT:
            return VK_MENU;
        case SDLK_PAGEUP:
            return VK_PRIOR;
        case SDLK_PAGEDOWN:
            return VK_NEXT;
        case SDLK_END:
            return VK_END;
        case SDLK_HOME:
            return VK_HOME;
        case SDLK_LEFT:
            return VK_LEFT;
        case SDLK_UP:
            return VK_UP;
        case SDLK_RIGHT:
            return VK_RIGHT;
        case SDLK_DOWN:
            return VK_DOWN;
        case SDLK_INSERT:
            return VK_INSERT;
        case SDLK_DELETE:
            return VK_DELETE;
        case SDLK_BACKQUOTE:
            return VK_OEM_3;
        default:
            return 0;
    }
}

char ControlChar(SDL_Keycode k) {
    switch (k) {
        case SDLK_BACKSPACE:
            return 8;
        case SDLK_TAB:
            return 9;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return 13;
        case SDLK_ESCAPE:
            return 27;
        default:
            return 0;
    }
}

}  // namespace sdl
}  // namespace GFC
