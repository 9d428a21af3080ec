#include "platform/input/dinput.h"

#include <SDL.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "platform/input/input_clock.h"
#include "platform/input/input_ring.h"
#include "platform/input/input_watch.h"
#include "platform/input/scan_codes.h"
#include "platform/log_sink.h"

namespace platform::detail {

struct InputDevice {
    explicit InputDevice(InputDeviceKind k) : kind(k) {}
    InputDeviceKind kind;
    bool formatSet = false;
    DWORD cooperation = 0;
    bool acquired = false;
    bool lost = false;  // taken away while acquired; reported once by GetDeviceData
    bool overflowLogged = false;
    InputRing ring;
};

}  // namespace platform::detail

namespace {

using platform::InputDeviceKind;
using platform::detail::InputDevice;

// The SDL watch may run on whichever thread pushes an event; the devices are read on the main
// thread.
std::mutex s_lock;
std::vector<InputDevice*> s_devices;
DWORD s_sequence = 0;
bool s_focused = true;

// A cursor warp waiting for the motion SDL reports for it.
struct PendingWarp {
    bool active = false;
    int x = 0, y = 0;
    uint32_t time = 0;
};
PendingWarp s_warp;
// How long a warp's own motion may take to come back (X11 reports it asynchronously).
constexpr uint32_t kWarpWindowMs = 250;

const char* kindName(InputDeviceKind kind) { return kind == InputDeviceKind::Keyboard ? "keyboard" : "mouse"; }

// Called with s_lock held. Returns how many devices took the record; the texts of overflows to
// log (once per device) are appended to `overflows`.
int deliverLocked(InputDeviceKind kind, const DIDEVICEOBJECTDATA& record, std::vector<std::string>& overflows) {
    int taken = 0;
    for (InputDevice* device : s_devices) {
        if (device->kind != kind || !device->acquired) continue;
        if (device->ring.push(record)) {
            ++taken;
        } else if (device->ring.capacity() > 0 && !device->overflowLogged) {
            device->overflowLogged = true;
            overflows.push_back(std::string("IDirectInputDevice8::GetDeviceData: the ") + kindName(kind) +
                                " buffer of " + std::to_string(device->ring.capacity()) +
                                " records is full; newer input is lost");
        }
    }
    return taken;
}

void logOverflows(const std::vector<std::string>& overflows) {
    for (const std::string& text : overflows) platform::log("WARNING", text);
}

int deliver(InputDeviceKind kind, DWORD offset, DWORD data, DWORD time) {
    std::vector<std::string> overflows;
    int taken;
    {
        std::lock_guard<std::mutex> guard(s_lock);
        taken = deliverLocked(kind, DIDEVICEOBJECTDATA{offset, data, time, ++s_sequence}, overflows);
    }
    logOverflows(overflows);
    return taken;
}

void loseLocked(InputDeviceKind kind, bool foregroundOnly) {
    for (InputDevice* device : s_devices) {
        if (device->kind != kind || !device->acquired) continue;
        if (foregroundOnly && !(device->cooperation & DISCL_FOREGROUND)) continue;
        device->acquired = false;
        device->lost = true;
        device->ring.clear();
    }
}

void setFocusLocked(bool focused) {
    s_focused = focused;
    if (focused) return;
    loseLocked(InputDeviceKind::Keyboard, true);
    loseLocked(InputDeviceKind::Mouse, true);
}

int mouseButtonIndex(Uint8 sdlButton) {
    switch (sdlButton) {
        case SDL_BUTTON_LEFT: return 0;
        case SDL_BUTTON_RIGHT: return 1;
        case SDL_BUTTON_MIDDLE: return 2;
        case SDL_BUTTON_X1: return 3;
        case SDL_BUTTON_X2: return 4;
        default: return -1;
    }
}

// True when the motion is the one a cursor warp caused. Called with s_lock held.
bool isWarpMotionLocked(const SDL_MouseMotionEvent& motion, uint32_t now) {
    if (!s_warp.active) return false;
    if (now - s_warp.time > kWarpWindowMs) {
        s_warp.active = false;
        return false;
    }
    int x = motion.x, y = motion.y;
    if (SDL_Window* window = SDL_GetWindowFromID(motion.windowID)) {
        int wx = 0, wy = 0;
        SDL_GetWindowPosition(window, &wx, &wy);
        x += wx;
        y += wy;
    }
    if (x != s_warp.x || y != s_warp.y) return false;
    s_warp.active = false;
    return true;
}

int SDLCALL inputEventWatch(void*, SDL_Event* event) {
    const uint32_t now = platform::inputTickCount();
    std::vector<std::string> overflows;
    bool languageChanged = false;
    {
        std::lock_guard<std::mutex> guard(s_lock);
        switch (event->type) {
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                // Held keys are reported once; the game times repeats itself.
                if (event->key.repeat) break;
                const int dik = platform::scanCodeToDik(event->key.keysym.scancode);
                if (dik == 0) break;
                const DWORD data = event->type == SDL_KEYDOWN ? 0x80 : 0;
                deliverLocked(InputDeviceKind::Keyboard, {static_cast<DWORD>(dik), data, now, ++s_sequence},
                              overflows);
                break;
            }
            case SDL_MOUSEMOTION: {
                if (isWarpMotionLocked(event->motion, now)) break;
                const DWORD sequence = ++s_sequence;  // both axes of one motion share it
                if (event->motion.xrel != 0)
                    deliverLocked(InputDeviceKind::Mouse,
                                  {DIMOFS_X, static_cast<DWORD>(event->motion.xrel), now, sequence}, overflows);
                if (event->motion.yrel != 0)
                    deliverLocked(InputDeviceKind::Mouse,
                                  {DIMOFS_Y, static_cast<DWORD>(event->motion.yrel), now, sequence}, overflows);
                break;
            }
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP: {
                const int index = mouseButtonIndex(event->button.button);
                if (index < 0) break;
                const DWORD data = event->type == SDL_MOUSEBUTTONDOWN ? 0x80 : 0;
                deliverLocked(InputDeviceKind::Mouse,
                              {DIMOFS_BUTTON0 + static_cast<DWORD>(index), data, now, ++s_sequence}, overflows);
                break;
            }
            case SDL_MOUSEWHEEL: {
                int64_t y = event->wheel.y;
                if (event->wheel.direction == SDL_MOUSEWHEEL_FLIPPED) y = -y;
                if (y == 0) break;
                const int32_t z = static_cast<int32_t>(std::clamp<int64_t>(y * 120, INT32_MIN, INT32_MAX));
                deliverLocked(InputDeviceKind::Mouse, {DIMOFS_Z, static_cast<DWORD>(z), now, ++s_sequence},
                              overflows);
                break;
            }
            case SDL_WINDOWEVENT:
                if (event->window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
                    setFocusLocked(true);
                else if (event->window.event == SDL_WINDOWEVENT_FOCUS_LOST)
                    setFocusLocked(false);
                break;
            case SDL_KEYMAPCHANGED:
                languageChanged = true;
                break;
            default:
                break;
        }
    }
    logOverflows(overflows);
    if (languageChanged) platform::detail::raiseInputLanguageChange();
    return 1;
}

}  // namespace

namespace platform::detail {

void ensureInputEventWatch() {
    SDL_DelEventWatch(inputEventWatch, nullptr);
    SDL_AddEventWatch(inputEventWatch, nullptr);
}

}  // namespace platform::detail

// --- devices ---

IDirectInputDevice8::~IDirectInputDevice8() {
    std::lock_guard<std::mutex> guard(s_lock);
    s_devices.erase(std::remove(s_devices.begin(), s_devices.end(), m_device), s_devices.end());
    delete m_device;
}

DWORD IDirectInputDevice8::Release() {
    delete this;
    return 0;
}

HRESULT IDirectInputDevice8::SetDataFormat(const DIDATAFORMAT* format) {
    if (!format) return DIERR_INVALIDPARAM;
    const DIDATAFORMAT& expected = m_device->kind == InputDeviceKind::Keyboard ? c_dfDIKeyboard : c_dfDIMouse2;
    std::lock_guard<std::mutex> guard(s_lock);
    if (format->kind != expected.kind || m_device->acquired) return DIERR_INVALIDPARAM;
    m_device->formatSet = true;
    return DI_OK;
}

HRESULT IDirectInputDevice8::SetCooperativeLevel(HWND, DWORD flags) {
    const bool foreground = flags & DISCL_FOREGROUND, background = flags & DISCL_BACKGROUND;
    if (foreground == background) return DIERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(s_lock);
    if (m_device->acquired) return DIERR_INVALIDPARAM;
    m_device->cooperation = flags;
    return DI_OK;
}

HRESULT IDirectInputDevice8::SetProperty(DIPROP property, const DIPROPHEADER* header) {
    if (property != DIPROP_BUFFERSIZE || !header || header->dwSize != sizeof(DIPROPDWORD) ||
        header->dwHeaderSize != sizeof(DIPROPHEADER) || header->dwHow != DIPH_DEVICE)
        return DIERR_INVALIDPARAM;
    const DWORD size = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
    if (size > kMaxInputBufferSize) return DIERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(s_lock);
    m_device->ring.resize(size);
    m_device->overflowLogged = false;
    return DI_OK;
}

HRESULT IDirectInputDevice8::Acquire() {
    std::lock_guard<std::mutex> guard(s_lock);
    if (!m_device->formatSet) return DIERR_INVALIDPARAM;
    if ((m_device->cooperation & DISCL_FOREGROUND) && !s_focused) return DIERR_INPUTLOST;
    if (!m_device->acquired) {
        m_device->acquired = true;
        m_device->lost = false;
        m_device->ring.clear();
    }
    return DI_OK;
}

HRESULT IDirectInputDevice8::Unacquire() {
    std::lock_guard<std::mutex> guard(s_lock);
    m_device->acquired = false;
    m_device->lost = false;
    m_device->ring.clear();
    return DI_OK;
}

HRESULT IDirectInputDevice8::GetDeviceData(DWORD objectDataSize, DIDEVICEOBJECTDATA* data, DWORD* inOut,
                                           DWORD) {
    if (objectDataSize != sizeof(DIDEVICEOBJECTDATA) || !inOut) return DIERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(s_lock);
    if (!m_device->acquired) {
        *inOut = 0;
        if (m_device->lost) {
            m_device->lost = false;
            return DIERR_INPUTLOST;
        }
        return DIERR_NOTACQUIRED;
    }
    DWORD moved = 0;
    DIDEVICEOBJECTDATA record;
    while (moved < *inOut && m_device->ring.pop(record)) {
        if (data) data[moved] = record;
        ++moved;
    }
    *inOut = moved;
    return DI_OK;
}

// --- interface ---

HRESULT IDirectInput8::CreateDevice(const GUID& device, IDirectInputDevice8** out, void*) {
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    InputDeviceKind kind;
    if (device == GUID_SysKeyboard)
        kind = InputDeviceKind::Keyboard;
    else if (device == GUID_SysMouse)
        kind = InputDeviceKind::Mouse;
    else
        return DIERR_INVALIDPARAM;
    auto* state = new InputDevice(kind);
    {
        std::lock_guard<std::mutex> guard(s_lock);
        s_devices.push_back(state);
    }
    platform::detail::ensureInputEventWatch();
    *out = new IDirectInputDevice8(state);
    return DI_OK;
}

DWORD IDirectInput8::Release() {
    delete this;
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
    return 0;
}

HRESULT DirectInput8Create(HINSTANCE, DWORD version, const GUID& interfaceId, void** out, void*) {
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (version != DIRECTINPUT_VERSION || interfaceId != IID_IDirectInput8A) return DIERR_INVALIDPARAM;
    if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) {
        platform::log("ERROR", std::string("DirectInput8Create: cannot start SDL events: ") + SDL_GetError());
        return DIERR_GENERIC;
    }
    platform::detail::ensureInputEventWatch();
    *out = new IDirectInput8();
    return DI_OK;
}

// --- test and window helpers ---

namespace platform {

int injectInputRecord(InputDeviceKind kind, DWORD offset, DWORD data, DWORD timeStamp) {
    return deliver(kind, offset, data, timeStamp);
}

int injectInputRecord(InputDeviceKind kind, DWORD offset, DWORD data) {
    return deliver(kind, offset, data, inputTickCount());
}

bool pushKeyEvent(int sdlScancode, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = static_cast<SDL_Scancode>(sdlScancode);
    return SDL_PushEvent(&e) >= 0;
}

void flushInputEvents() { SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT); }

void loseInputDevices(InputDeviceKind kind) {
    std::lock_guard<std::mutex> guard(s_lock);
    loseLocked(kind, false);
}

void setCursorPos(int x, int y) {
    {
        std::lock_guard<std::mutex> guard(s_lock);
        s_warp = PendingWarp{true, x, y, inputTickCount()};
    }
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_WarpMouseGlobal(x, y);
}

void setInputFocus(bool focused) {
    std::lock_guard<std::mutex> guard(s_lock);
    setFocusLocked(focused);
}

bool inputHasFocus() {
    std::lock_guard<std::mutex> guard(s_lock);
    return s_focused;
}

}  // namespace platform
