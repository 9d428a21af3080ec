#pragma once
// The Win32 base types, handles and constants that the window and device code is written against.
// Only what the game's frame uses; the numbers are the ones the game relies on.
#include <cstdint>

typedef int32_t HRESULT;
typedef uint32_t DWORD;
typedef uint32_t UINT;
typedef int32_t LONG;
typedef int BOOL;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef intptr_t LRESULT;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

namespace platform {
struct Window;
struct Instance;
struct Menu;
struct Icon;
}  // namespace platform

typedef platform::Window* HWND;
typedef platform::Instance* HINSTANCE;
typedef platform::Menu* HMENU;
typedef platform::Icon* HICON;
typedef platform::Icon* HCURSOR;

typedef LRESULT (*WNDPROC)(HWND, UINT, WPARAM, LPARAM);

struct RECT {
    LONG left, top, right, bottom;
};
struct POINT {
    LONG x, y;
};

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

// Window messages the frame sends.
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;

// Window styles.
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_SYSMENU = 0x00080000u;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000u;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000u;
constexpr int GWL_STYLE = -16;

// SetWindowPos.
#define HWND_NOTOPMOST (reinterpret_cast<HWND>(static_cast<intptr_t>(-2)))
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_NOZORDER = 0x0004;

// GetSystemMetrics.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;

// Message boxes.
constexpr UINT MB_OK = 0x00;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONWARNING = 0x30;
