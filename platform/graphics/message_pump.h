#pragma once
// The window message queue of the game's thread, shaped as Win32's: SDL's events become window
// messages (quit as WM_QUIT, a window's close as WM_CLOSE, focus gained or lost as WM_ACTIVATE),
// a close signal (platform/process.h) becomes WM_CLOSE to the first window, and messages posted
// by the program wait in the same queue.
#include "platform/graphics/win_types.h"

constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_QUIT = 0x0012;
constexpr WORD WA_INACTIVE = 0;
constexpr WORD WA_ACTIVE = 1;
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

constexpr WORD LOWORD(WPARAM value) { return static_cast<WORD>(value & 0xFFFF); }

// A message for the filter range (0, 0: any) of the window (null: any), without waiting; with
// PM_REMOVE it is taken from the queue.
BOOL PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage);
// Waits for a message and takes it; FALSE for WM_QUIT, TRUE for any other.
BOOL GetMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax);
// There is no character translation: characters come with the key events.
BOOL TranslateMessage(const MSG* msg);
// Calls the window procedure of the message's window; 0 without one.
LRESULT DispatchMessageA(const MSG* msg);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace platform::gfx {

// True when SDL's video runs (or would run) on the offscreen or dummy driver: no display, no
// focus, no user to show anything to.
bool headlessVideo();
// Forgets every queued message (tests).
void clearMessageQueue();

}  // namespace platform::gfx
