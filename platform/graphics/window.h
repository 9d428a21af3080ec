#pragma once
// The Win32 window calls the game's frame makes, on SDL windows. There is no window chrome of our
// own: the window rectangle equals the client rectangle and the desktop's window manager draws any
// frame around it.
#include <string>
#include <vector>

#include "platform/graphics/win_types.h"

constexpr int IDC_ARROW = 32512;
constexpr int BLACK_BRUSH = 4;
constexpr int IDOK = 1;

typedef void* HBRUSH;

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    const char* lpszMenuName;
    const char* lpszClassName;
};

bool RegisterClassA(const WNDCLASSA* windowClass);
HICON LoadIconA(HINSTANCE instance, int resourceId);
HCURSOR LoadCursorA(HINSTANCE instance, int resourceId);
HBRUSH GetStockObject(int object);
BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu);
// Creates a hidden-until-styled SDL window able to carry an OpenGL context.
HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
BOOL DestroyWindow(HWND window);
HWND GetDesktopWindow();
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL GetClientRect(HWND window, RECT* rect);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
LONG SetWindowLongA(HWND window, int index, LONG value);
LONG GetWindowLongA(HWND window, int index);
HMENU GetMenu(HWND window);
BOOL SetMenu(HWND window, HMENU menu);
int GetSystemMetrics(int index);
BOOL ClipCursor(const RECT* rect);
// The system cursor's display count: each call moves it by one; the cursor shows while the count
// is 0 or more. Returns the new count.
int ShowCursor(BOOL show);
// The cursor shape over the window; null removes the system cursor's picture (it still counts as
// shown). Returns the previous shape.
HCURSOR SetCursor(HCURSOR cursor);
constexpr DWORD TME_LEAVE = 0x00000002;
struct TRACKMOUSEEVENT {
    DWORD cbSize;
    DWORD dwFlags;
    HWND hwndTrack;
    DWORD dwHoverTime;
};
// Asks for one WM_MOUSELEAVE when the pointer next leaves the window (SDL reports every leave;
// the request is what lets one through).
BOOL TrackMouseEvent(TRACKMOUSEEVENT* track);
// Calls the window's procedure at once, as Win32 does for a window of the calling thread.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Shown through SDL; in headless runs (offscreen or dummy video driver) and tests never shown:
// the text is logged and recorded instead, and IDOK is returned at once.
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

namespace platform::gfx {

struct RecordedMessageBox {
    std::string text;
    std::string caption;
    UINT type;
};
std::vector<RecordedMessageBox> recordedMessageBoxes();
void clearRecordedMessageBoxes();
// Forces message boxes to be recorded rather than shown (tests set it; headless runs always do).
void setMessageBoxesHeadless(bool headless);

// Messages a window has been sent, in order (the frame's WM_PAINT and WM_CLOSE), for tests.
std::vector<UINT> sentMessages(HWND window);

// The SDL window behind a handle (as void*, so callers outside the platform need no SDL header).
void* nativeWindow(HWND window);
bool isFullScreen(HWND window);
// Letterbox rectangle (x, y, w, h) of a back buffer shown whole, centred, inside a drawable.
void letterbox(int drawableW, int drawableH, int bufferW, int bufferH, int out[4]);
// Maps a position in the window to the back buffer, undoing a letterboxed full-screen picture.
void mapWindowToBackBuffer(HWND window, int& x, int& y);

// The system cursor's display count and whether a leave of the window is being tracked (tests).
int cursorDisplayCount();
bool leaveTracked(HWND window);
// The shape SetCursor set last.
HCURSOR currentCursor();
// Makes a full-screen window cover a desktop of that size with its picture letterboxed, as on a
// display without the back buffer's mode (tests). False for a window that is not full screen.
bool simulateLetterbox(HWND window, int desktopWidth, int desktopHeight);

// Starts SDL's video once for the process (setting the headless drivers in tests is the caller's).
[[nodiscard]] bool initVideo();

}  // namespace platform::gfx
