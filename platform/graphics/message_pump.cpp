#include "platform/graphics/message_pump.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

#include "platform/clock.h"
#include "platform/graphics/internal/window_impl.h"
#include "platform/process.h"

namespace {

std::mutex g_queueLock;
std::deque<MSG> g_queue;
// How long one wait for an event lasts before the close flag is looked at again.
constexpr int kWaitSliceMs = 50;

MSG makeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = static_cast<DWORD>(platform::monotonicMs());
    return msg;
}

void post(const MSG& msg) {
    std::lock_guard<std::mutex> lock(g_queueLock);
    g_queue.push_back(msg);
}

HWND windowOf(Uint32 windowId) {
    SDL_Window* sdl = SDL_GetWindowFromID(windowId);
    return sdl ? static_cast<HWND>(SDL_GetWindowData(sdl, platform::detail::kWindowDataKey)) : nullptr;
}

// Moves what SDL and the close signals have into the queue.
void gatherEvents() {
    if (platform::takeCloseRequest()) {
        HWND first = platform::detail::firstWindow();
        if (first)
            post(makeMessage(first, WM_CLOSE, 0, 0));
        else
            post(makeMessage(nullptr, WM_QUIT, 0, 0));
    }
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            post(makeMessage(nullptr, WM_QUIT, 0, 0));
        } else if (event.type == SDL_WINDOWEVENT) {
            HWND window = windowOf(event.window.windowID);
            if (!window) continue;
            switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE: post(makeMessage(window, WM_CLOSE, 0, 0)); break;
                case SDL_WINDOWEVENT_FOCUS_GAINED: post(makeMessage(window, WM_ACTIVATE, WA_ACTIVE, 0)); break;
                case SDL_WINDOWEVENT_FOCUS_LOST: post(makeMessage(window, WM_ACTIVATE, WA_INACTIVE, 0)); break;
                // SDL tells when the pointer comes in: that is the first move over the window.
                case SDL_WINDOWEVENT_ENTER: post(makeMessage(window, WM_MOUSEMOVE, 0, 0)); break;
                case SDL_WINDOWEVENT_LEAVE:
                    // Win32 sends one leave per request.
                    if (window->trackLeave) {
                        window->trackLeave = false;
                        post(makeMessage(window, WM_MOUSELEAVE, 0, 0));
                    }
                    break;
                case SDL_WINDOWEVENT_MOVED:
                case SDL_WINDOWEVENT_SIZE_CHANGED: post(makeMessage(window, WM_EXITSIZEMOVE, 0, 0)); break;
                default: break;
            }
        } else if (event.type == SDL_KEYMAPCHANGED) {
            if (HWND first = platform::detail::firstWindow()) post(makeMessage(first, WM_INPUTLANGCHANGE, 0, 0));
        }
    }
}

bool matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
    // WM_QUIT belongs to the thread, not to a window.
    if (window && msg.hwnd != window && msg.message != WM_QUIT) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

}  // namespace

BOOL PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage) {
    gatherEvents();
    std::lock_guard<std::mutex> lock(g_queueLock);
    for (auto it = g_queue.begin(); it != g_queue.end(); ++it) {
        if (!matches(*it, window, filterMin, filterMax)) continue;
        if (msg) *msg = *it;
        if (removeMessage & PM_REMOVE) g_queue.erase(it);
        return TRUE;
    }
    return FALSE;
}

BOOL GetMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax) {
    MSG taken{};
    while (!PeekMessageA(&taken, window, filterMin, filterMax, PM_REMOVE)) {
        if (SDL_WasInit(SDL_INIT_EVENTS))
            SDL_WaitEventTimeout(nullptr, kWaitSliceMs);
        else
            platform::sleepMs(kWaitSliceMs);
    }
    if (msg) *msg = taken;
    return taken.message == WM_QUIT ? FALSE : TRUE;
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg || !msg->hwnd || msg->hwnd->desktop || !msg->hwnd->proc) return 0;
    return msg->hwnd->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    post(makeMessage(window, message, wParam, lParam));
    return TRUE;
}

void PostQuitMessage(int exitCode) { post(makeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0)); }

LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }

namespace platform::gfx {

bool headlessVideo() {
    const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : std::getenv("SDL_VIDEODRIVER");
    if (!driver) return false;
    return std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

bool pushWindowEvent(HWND window, WindowEvent kind) {
    if (kind == WindowEvent::KeymapChanged) {
        SDL_Event event{};
        event.type = SDL_KEYMAPCHANGED;
        return SDL_PushEvent(&event) == 1;
    }
    if (!window || !window->sdl) return false;
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(window->sdl);
    switch (kind) {
        case WindowEvent::FocusGained: event.window.event = SDL_WINDOWEVENT_FOCUS_GAINED; break;
        case WindowEvent::FocusLost: event.window.event = SDL_WINDOWEVENT_FOCUS_LOST; break;
        case WindowEvent::Enter: event.window.event = SDL_WINDOWEVENT_ENTER; break;
        case WindowEvent::Leave: event.window.event = SDL_WINDOWEVENT_LEAVE; break;
        case WindowEvent::Moved: event.window.event = SDL_WINDOWEVENT_MOVED; break;
        case WindowEvent::Close: event.window.event = SDL_WINDOWEVENT_CLOSE; break;
        case WindowEvent::KeymapChanged: break;
    }
    return SDL_PushEvent(&event) == 1;
}

void clearMessageQueue() {
    std::lock_guard<std::mutex> lock(g_queueLock);
    g_queue.clear();
}

}  // namespace platform::gfx
