#pragma once
// The window record behind an HWND (internal to the graphics platform layer).
#include <SDL.h>

#include <string>
#include <vector>

#include "platform/graphics/win_types.h"

namespace platform {

struct Window {
    SDL_Window* sdl = nullptr;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    HMENU menu = nullptr;
    std::vector<UINT> sent;
    bool desktop = false;  // the desktop pseudo-window
    // Size of the picture the device presents into this window, for letterboxing.
    int backBufferWidth = 0;
    int backBufferHeight = 0;
    bool fullScreen = false;
    bool letterboxed = false;
    // A TrackMouseEvent request for the next leave is pending.
    bool trackLeave = false;
};

namespace detail {
// The SDL window's data key under which its HWND is kept (the message pump maps events back).
constexpr const char* kWindowDataKey = "tov.hwnd";
// The oldest window still open, null when none (a close signal closes it).
HWND firstWindow();
}  // namespace detail

}  // namespace platform
