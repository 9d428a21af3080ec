#pragma once
// The window message queue of the game's thread, shaped as Win32's: SDL's events become window
// messages (quit as WM_QUIT, a window's close as WM_CLOSE, focus gained or lost as WM_ACTIVATE,
// a keymap change as WM_INPUTLANGCHANGE, the pointer entering the window as its first
// WM_MOUSEMOVE and leaving it as WM_MOUSELEAVE when a leave is tracked, the end of a move or
// resize as WM_EXITSIZEMOVE), a close signal (platform/process.h) becomes WM_CLOSE to the first
// window, and messages posted by the program wait in the same queue. Power and system-command
// messages have no counterpart.
#include "platform/graphics/win_types.h"

constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_INPUTLANGCHANGE = 0x0051;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_EXITSIZEMOVE = 0x0232;
constexpr UINT WM_MOUSELEAVE = 0x02A3;
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

// WM_GETMINMAXINFO's record: the smallest tracking size is what the window keeps.
struct MINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
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
// Puts a window event on SDL's queue as the system would (tests); false when it is refused.
enum class WindowEvent { FocusGained, FocusLost, Enter, Leave, Moved, Close, KeymapChanged };
bool pushWindowEvent(HWND window, WindowEvent kind);
// Forgets every queued message (tests).
void clearMessageQueue();

}  // namespace platform::gfx
