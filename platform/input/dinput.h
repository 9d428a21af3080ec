#pragma once
// The DirectInput 8 keyboard and mouse that the input code is written against, built on SDL2
// events. Each device keeps a bounded ring of buffered records {offset, data, time stamp,
// sequence}; SDL events fill the rings of the acquired devices (keys as DIK set-1 codes, key
// repeats dropped; mouse axes as relative X/Y, the wheel as +/-120 on Z, buttons 0-4). Only the
// calls, types and constants the game uses are here.
#include <cstdint>

// Same declarations as the window layer's, so both headers can meet in one file.
typedef int32_t HRESULT;
typedef uint32_t DWORD;
namespace platform {
struct Window;
struct Instance;
}  // namespace platform
typedef platform::Window* HWND;
typedef platform::Instance* HINSTANCE;

constexpr DWORD DIRECTINPUT_VERSION = 0x0800;

constexpr HRESULT DI_OK = 0;
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);
constexpr HRESULT DIERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DIERR_GENERIC = static_cast<HRESULT>(0x80004005u);

// Cooperative levels.
constexpr DWORD DISCL_NONEXCLUSIVE = 0x2;
constexpr DWORD DISCL_FOREGROUND = 0x4;
constexpr DWORD DISCL_BACKGROUND = 0x8;

// Interface and device identifiers.
struct GUID {
    DWORD id;
    bool operator==(const GUID&) const = default;
};
inline constexpr GUID IID_IDirectInput8A{1};
inline constexpr GUID GUID_SysKeyboard{2};
inline constexpr GUID GUID_SysMouse{3};

// Data formats: the keyboard reports one record per key with the DIK code as its offset; the
// mouse reports axes and buttons at the offsets of its state block.
struct DIDATAFORMAT {
    int kind;
};
inline constexpr DIDATAFORMAT c_dfDIKeyboard{1};
inline constexpr DIDATAFORMAT c_dfDIMouse2{2};

constexpr DWORD DIMOFS_X = 0;
constexpr DWORD DIMOFS_Y = 4;
constexpr DWORD DIMOFS_Z = 8;
constexpr DWORD DIMOFS_BUTTON0 = 12;  // buttons 0-7 follow one byte apart

// Properties.
struct DIPROPHEADER {
    DWORD dwSize;
    DWORD dwHeaderSize;
    DWORD dwObj;
    DWORD dwHow;
};
struct DIPROPDWORD {
    DIPROPHEADER diph;
    DWORD dwData;
};
constexpr DWORD DIPH_DEVICE = 0;
enum class DIPROP { BUFFERSIZE };
constexpr DIPROP DIPROP_BUFFERSIZE = DIPROP::BUFFERSIZE;

// One buffered record. Key and button data have bit 7 set for down; axis data is a signed delta.
struct DIDEVICEOBJECTDATA {
    DWORD dwOfs;
    DWORD dwData;
    DWORD dwTimeStamp;  // milliseconds of the input clock (platform/input/input_clock.h)
    DWORD dwSequence;
};

// The largest buffer a device accepts.
constexpr DWORD kMaxInputBufferSize = 1024;

namespace platform::detail {
struct InputDevice;
}

class IDirectInputDevice8 {
public:
    HRESULT SetDataFormat(const DIDATAFORMAT* format);
    // A foreground device is lost when the game's window loses the focus and cannot be acquired
    // again until it has it back.
    HRESULT SetCooperativeLevel(HWND window, DWORD flags);
    HRESULT SetProperty(DIPROP property, const DIPROPHEADER* header);
    // Starts delivery into an empty ring.
    HRESULT Acquire();
    HRESULT Unacquire();
    // Moves up to *inOut records (oldest first) into `data`, each `objectDataSize` bytes apart;
    // *inOut becomes the number moved. A lost device answers DIERR_INPUTLOST once and
    // DIERR_NOTACQUIRED afterwards.
    HRESULT GetDeviceData(DWORD objectDataSize, DIDEVICEOBJECTDATA* data, DWORD* inOut, DWORD flags);
    DWORD Release();

private:
    friend class IDirectInput8;
    explicit IDirectInputDevice8(platform::detail::InputDevice* device) : m_device(device) {}
    ~IDirectInputDevice8();
    platform::detail::InputDevice* m_device;
};

class IDirectInput8 {
public:
    HRESULT CreateDevice(const GUID& device, IDirectInputDevice8** out, void* outer);
    DWORD Release();

private:
    friend HRESULT DirectInput8Create(HINSTANCE, DWORD, const GUID&, void**, void*);
    IDirectInput8() = default;
    ~IDirectInput8() = default;
};

// Starts SDL's event subsystem for as long as the interface lives.
HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, const GUID& interfaceId, void** out, void* outer);

namespace platform {

enum class InputDeviceKind { Keyboard, Mouse };

// Delivers one record to every acquired device of that kind, exactly as an SDL event would
// (tests use it to feed the rings directly). Returns how many devices took it.
int injectInputRecord(InputDeviceKind kind, DWORD offset, DWORD data, DWORD timeStamp);
int injectInputRecord(InputDeviceKind kind, DWORD offset, DWORD data);

// Puts a key press or release of an SDL scan code on SDL's event queue, as the system does; the
// layer's watch takes it into the rings on the way in. False when the queue refuses it.
[[nodiscard]] bool pushKeyEvent(int sdlScancode, bool down);
// Drops every event waiting on SDL's queue.
void flushInputEvents();

// Moves the system cursor to a point of the desktop. The motion SDL reports for the warp (at once
// or a little later) gives the devices no movement: the game keeps its own cursor position.
void setCursorPos(int x, int y);

// Makes every acquired device of that kind lost, as when the system takes the device away.
void loseInputDevices(InputDeviceKind kind);

// Tells the layer that the game's window gained or lost the keyboard focus, as SDL's window
// events do; losing it loses the foreground devices.
void setInputFocus(bool focused);

// Whether the game's window has the keyboard focus, as the last SDL window event told.
bool inputHasFocus();

}  // namespace platform
