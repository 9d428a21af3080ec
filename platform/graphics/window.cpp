#include "platform/graphics/window.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/graphics/internal/window_impl.h"
#include "platform/graphics/message_pump.h"
#include "platform/log_sink.h"

namespace {

std::mutex g_mutex;
std::map<std::string, WNDPROC> g_classes;
std::vector<platform::gfx::RecordedMessageBox> g_boxes;
std::vector<HWND> g_windows;  // open windows, oldest first
bool g_forceHeadless = false;
// The system cursor's display count (Win32 starts at 0: shown).
int g_cursorCount = 0;
HCURSOR g_cursorShape = nullptr;
platform::Window makeDesktop() {
    platform::Window w;
    w.desktop = true;
    return w;
}
platform::Window g_desktop = makeDesktop();

bool headlessDriver() {
    const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : std::getenv("SDL_VIDEODRIVER");
    if (!driver) return false;
    return std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

bool desktopSize(int& w, int& h) {
    SDL_DisplayMode mode;
    if (!platform::gfx::initVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        w = h = 0;
        return false;
    }
    w = mode.w;
    h = mode.h;
    return true;
}

}  // namespace

namespace platform::detail {

HWND firstWindow() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_windows.empty() ? nullptr : g_windows.front();
}

}  // namespace platform::detail

namespace platform::gfx {

bool initVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        platform::log("ERROR", std::string("platform::gfx::initVideo: ") + SDL_GetError());
        return false;
    }
    return true;
}

void letterbox(int drawableW, int drawableH, int bufferW, int bufferH, int out[4]) {
    out[0] = 0;
    out[1] = 0;
    out[2] = drawableW;
    out[3] = drawableH;
    if (drawableW <= 0 || drawableH <= 0 || bufferW <= 0 || bufferH <= 0) return;
    // Largest picture of the buffer's aspect that fits, centred.
    long long wByH = static_cast<long long>(drawableW) * bufferH;
    long long hByW = static_cast<long long>(drawableH) * bufferW;
    if (wByH > hByW) {
        out[2] = static_cast<int>(hByW / bufferH);
        out[0] = (drawableW - out[2]) / 2;
    } else {
        out[3] = static_cast<int>(wByH / bufferW);
        out[1] = (drawableH - out[3]) / 2;
    }
}

std::vector<RecordedMessageBox> recordedMessageBoxes() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_boxes;
}

void clearRecordedMessageBoxes() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_boxes.clear();
}

void setMessageBoxesHeadless(bool headless) { g_forceHeadless = headless; }

std::vector<UINT> sentMessages(HWND window) { return window ? window->sent : std::vector<UINT>(); }

void* nativeWindow(HWND window) { return window ? window->sdl : nullptr; }

bool isFullScreen(HWND window) { return window && window->fullScreen; }

int cursorDisplayCount() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_cursorCount;
}

bool leaveTracked(HWND window) { return window && window->trackLeave; }

HCURSOR currentCursor() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_cursorShape;
}

bool simulateLetterbox(HWND window, int desktopWidth, int desktopHeight) {
    if (!window || !window->sdl || !window->fullScreen) return false;
    SDL_SetWindowFullscreen(window->sdl, 0);
    SDL_SetWindowSize(window->sdl, desktopWidth, desktopHeight);
    window->letterboxed = true;
    return true;
}

void mapWindowToBackBuffer(HWND window, int& x, int& y) {
    if (!window || !window->sdl || !window->letterboxed) return;
    int w = 0, h = 0;
    SDL_GetWindowSize(window->sdl, &w, &h);
    int box[4];
    letterbox(w, h, window->backBufferWidth, window->backBufferHeight, box);
    if (box[2] <= 0 || box[3] <= 0) return;
    x = static_cast<int>(static_cast<long long>(x - box[0]) * window->backBufferWidth / box[2]);
    y = static_cast<int>(static_cast<long long>(y - box[1]) * window->backBufferHeight / box[3]);
}

}  // namespace platform::gfx

bool RegisterClassA(const WNDCLASSA* windowClass) {
    if (!windowClass || !windowClass->lpszClassName) return false;
    std::lock_guard<std::mutex> lock(g_mutex);
    g_classes[windowClass->lpszClassName] = windowClass->lpfnWndProc;
    return true;
}

// No icon or cursor resources exist on this platform; the handles stay null.
HICON LoadIconA(HINSTANCE, int) { return nullptr; }
HCURSOR LoadCursorA(HINSTANCE, int) { return nullptr; }
HBRUSH GetStockObject(int) { return nullptr; }

BOOL AdjustWindowRect(RECT* rect, DWORD, BOOL) { return rect ? TRUE : FALSE; }

HWND CreateWindowExA(DWORD, const char* className, const char* title, DWORD style, int x, int y, int width,
                     int height, HWND, HMENU menu, HINSTANCE, void*) {
    if (!platform::gfx::initVideo()) return nullptr;
    if (width <= 0 || height <= 0) {
        platform::log("ERROR", "CreateWindowExA: bad window size");
        return nullptr;
    }
    Uint32 flags = SDL_WINDOW_OPENGL;
    if (!(style & WS_VISIBLE)) flags |= SDL_WINDOW_HIDDEN;
    if (style & WS_POPUP) flags |= SDL_WINDOW_BORDERLESS;
    SDL_Window* sdl = SDL_CreateWindow(title ? title : "", x, y, width, height, flags);
    if (!sdl) {
        platform::log("ERROR", std::string("CreateWindowExA: ") + SDL_GetError());
        return nullptr;
    }
    auto* window = new platform::Window;
    window->sdl = sdl;
    window->style = style;
    window->menu = menu;
    window->backBufferWidth = width;
    window->backBufferHeight = height;
    SDL_SetWindowData(sdl, platform::detail::kWindowDataKey, window);
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (className) {
            auto it = g_classes.find(className);
            if (it != g_classes.end()) window->proc = it->second;
        }
        g_windows.push_back(window);
    }
    // As Win32 asks at creation: the procedure may set the smallest size the window keeps.
    if (window->proc) {
        MINMAXINFO info{};
        window->proc(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        if (info.ptMinTrackSize.x > 0 && info.ptMinTrackSize.y > 0)
            SDL_SetWindowMinimumSize(sdl, info.ptMinTrackSize.x, info.ptMinTrackSize.y);
    }
    return window;
}

BOOL DestroyWindow(HWND window) {
    if (!window || window->desktop) return FALSE;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        std::erase(g_windows, window);
    }
    if (window->sdl) SDL_DestroyWindow(window->sdl);
    delete window;
    return TRUE;
}

HWND GetDesktopWindow() { return &g_desktop; }

BOOL GetWindowRect(HWND window, RECT* rect) {
    if (!window || !rect) return FALSE;
    if (window->desktop) {
        int w, h;
        desktopSize(w, h);
        *rect = RECT{0, 0, w, h};
        return TRUE;
    }
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(window->sdl, &x, &y);
    SDL_GetWindowSize(window->sdl, &w, &h);
    *rect = RECT{x, y, x + w, y + h};
    return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
    if (!window || !rect) return FALSE;
    RECT r;
    if (!GetWindowRect(window, &r)) return FALSE;
    *rect = RECT{0, 0, r.right - r.left, r.bottom - r.top};
    return TRUE;
}

BOOL SetWindowPos(HWND window, HWND, int x, int y, int width, int height, UINT flags) {
    if (!window || !window->sdl) return FALSE;
    if (!window->fullScreen) {
        SDL_SetWindowPosition(window->sdl, x, y);
        if (width > 0 && height > 0) SDL_SetWindowSize(window->sdl, width, height);
    }
    if (flags & SWP_SHOWWINDOW) SDL_ShowWindow(window->sdl);
    return TRUE;
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
    if (!window || index != GWL_STYLE) return 0;
    LONG old = static_cast<LONG>(window->style);
    window->style = static_cast<DWORD>(value);
    if (window->sdl) {
        SDL_SetWindowBordered(window->sdl, (window->style & WS_POPUP) ? SDL_FALSE : SDL_TRUE);
        if (window->style & WS_VISIBLE) SDL_ShowWindow(window->sdl);
    }
    return old;
}

LONG GetWindowLongA(HWND window, int index) {
    if (!window || index != GWL_STYLE) return 0;
    return static_cast<LONG>(window->style);
}

HMENU GetMenu(HWND window) { return window ? window->menu : nullptr; }

BOOL SetMenu(HWND window, HMENU menu) {
    if (!window) return FALSE;
    window->menu = menu;
    return TRUE;
}

int GetSystemMetrics(int index) {
    int w, h;
    desktopSize(w, h);
    if (index == SM_CXSCREEN) return w;
    if (index == SM_CYSCREEN) return h;
    return 0;
}

BOOL ClipCursor(const RECT* rect) {
    SDL_Window* focus = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetMouseFocus() : nullptr;
    if (!focus) return TRUE;
    if (!rect) {
        SDL_SetWindowMouseRect(focus, nullptr);
        return TRUE;
    }
    SDL_Rect r{rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top};
    SDL_SetWindowMouseRect(focus, &r);
    return TRUE;
}

int ShowCursor(BOOL show) {
    int count;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        count = g_cursorCount += show ? 1 : -1;
    }
    // SDL has one switch: it follows the side of zero the count is on.
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(count >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return count;
}

HCURSOR SetCursor(HCURSOR cursor) {
    std::lock_guard<std::mutex> lock(g_mutex);
    HCURSOR previous = g_cursorShape;
    g_cursorShape = cursor;
    return previous;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* track) {
    if (!track || !track->hwndTrack || track->hwndTrack->desktop) return FALSE;
    if (track->dwFlags & TME_LEAVE) track->hwndTrack->trackLeave = true;
    return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!window || window->desktop) return 0;
    window->sent.push_back(message);
    if (window->proc) return window->proc(window, message, wParam, lParam);
    return 0;
}

int MessageBoxA(HWND, const char* text, const char* caption, UINT type) {
    std::string t = text ? text : "";
    std::string c = caption ? caption : "";
    if (g_forceHeadless || headlessDriver()) {
        platform::log("WARNING", "MessageBoxA: " + c + ": " + t);
        std::lock_guard<std::mutex> lock(g_mutex);
        g_boxes.push_back({t, c, type});
        return IDOK;
    }
    Uint32 flags = (type & 0xF0) == MB_ICONERROR ? SDL_MESSAGEBOX_ERROR
                   : (type & 0xF0) == MB_ICONWARNING ? SDL_MESSAGEBOX_WARNING
                                                     : SDL_MESSAGEBOX_INFORMATION;
    if (SDL_ShowSimpleMessageBox(flags, c.c_str(), t.c_str(), nullptr) != 0) {
        platform::log("ERROR", "MessageBoxA: " + c + ": " + t);
    }
    return IDOK;
}
