#include "input/direct_input.h"

#include <memory>

#include "input/internal/input_settings.h"
#include "input/keyboard_layout.h"
#include "platform/input/input_clock.h"

namespace {

constexpr DWORD kCooperativeKeyboard = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;  // 6
constexpr DWORD kCooperativeMouse = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;     // 10

// A button must stay down this long before a movement counts as a drag.
constexpr uint32_t kDragDelayMs = 100;

HRESULT setBufferSize(IDirectInputDevice8* device, DWORD size) {
    DIPROPDWORD property{};
    property.diph.dwSize = sizeof(DIPROPDWORD);
    property.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    property.diph.dwObj = 0;
    property.diph.dwHow = DIPH_DEVICE;
    property.dwData = size;
    return device->SetProperty(DIPROP_BUFFERSIZE, &property.diph);
}

// Replaces the device held in `slot` by a new one set up with the format, cooperative level and
// buffer size; the first failing step's code is returned (the device is kept for release).
template <class Slot>
HRESULT openDevice(IDirectInput8* directInput, Slot& slot, const GUID& guid, const DIDATAFORMAT& format, HWND window,
                   DWORD cooperation, DWORD bufferSize) {
    if (slot.device) {
        slot.device->Unacquire();
        slot.device->Release();
        slot.device = nullptr;
        slot.created = slot.acquired = false;
    }
    IDirectInputDevice8* device = nullptr;
    HRESULT hr = directInput->CreateDevice(guid, &device, nullptr);
    if (hr != DI_OK) return hr;
    slot.device = device;
    if ((hr = device->SetDataFormat(&format)) != DI_OK) return hr;
    if ((hr = device->SetCooperativeLevel(window, cooperation)) != DI_OK) return hr;
    return setBufferSize(device, bufferSize);
}

}  // namespace

CDirectInput8::CDirectInput8() { ::buildKeyboardLayout(); }

CDirectInput8::~CDirectInput8() { release(); }

HRESULT CDirectInput8::createInterface(HINSTANCE instance) {
    if (m_interface) return DI_OK;
    void* out = nullptr;
    const HRESULT hr = DirectInput8Create(instance, DIRECTINPUT_VERSION, IID_IDirectInput8A, &out, nullptr);
    if (hr != DI_OK) return hr;
    m_interface = static_cast<IDirectInput8*>(out);
    return DI_OK;
}

HRESULT CDirectInput8::createKeyboard(HWND window, KeyListener listener) {
    if (!m_interface) return DIERR_INVALIDPARAM;
    const HRESULT hr = openDevice(m_interface, m_keyboard, GUID_SysKeyboard, c_dfDIKeyboard, window,
                                  kCooperativeKeyboard, kKeyboardBufferSize);
    if (hr != DI_OK) return hr;
    std::fill(std::begin(m_keyboard.state), std::end(m_keyboard.state), 0);
    std::fill(std::begin(m_keyboard.stamp), std::end(m_keyboard.stamp), 0);
    m_keyboard.created = m_keyboard.acquired = true;
    m_keyboard.listener = std::move(listener);
    return DI_OK;
}

HRESULT CDirectInput8::createMouse(HWND window, uint16_t doubleClickTime, MouseListener listener) {
    if (!m_interface) return DIERR_INVALIDPARAM;
    const HRESULT hr = openDevice(m_interface, m_mouse, GUID_SysMouse, c_dfDIMouse2, window, kCooperativeMouse,
                                  kMouseBufferSize);
    if (hr != DI_OK) return hr;
    m_mouse.position = Vector3();
    m_mouse.movement = Vector3();
    m_mouse.doubleClickTime = doubleClickTime;
    m_mouse.listener = std::move(listener);
    m_mouse.created = m_mouse.acquired = true;
    m_mouse.clickPending = false;
    return DI_OK;
}

void CDirectInput8::acquire() {
    // A keyboard that cannot be acquired yet (the window has no focus) is acquired by a later
    // poll, so the flags stay set.
    if (m_keyboard.device) {
        m_keyboard.device->Acquire();
        m_keyboard.acquired = true;
    }
    if (m_mouse.device) {
        m_mouse.device->Acquire();
        m_mouse.acquired = true;
    }
}

void CDirectInput8::unacquire() {
    if (m_keyboard.device) {
        m_keyboard.device->Unacquire();
        m_keyboard.acquired = false;
    }
    if (m_mouse.device) {
        m_mouse.device->Unacquire();
        m_mouse.acquired = false;
    }
}

void CDirectInput8::release() {
    unacquire();
    if (m_mouse.device) m_mouse.device->Release();
    if (m_keyboard.device) m_keyboard.device->Release();
    if (m_interface) m_interface->Release();
    m_mouse.device = nullptr;
    m_keyboard.device = nullptr;
    m_interface = nullptr;
    m_mouse.created = m_mouse.acquired = false;
    m_keyboard.created = m_keyboard.acquired = false;
}

void CDirectInput8::update() {
    if (m_keyboard.created && m_keyboard.acquired) pollKeyboard();
    if (m_mouse.created && m_mouse.acquired) pollMouse();
}

bool CDirectInput8::isKeyDown(int scanCode) const {
    return scanCode >= 0 && scanCode < 256 && m_keyboard.state[scanCode] == 1;
}

bool CDirectInput8::isAnyKeyDown() const {
    for (uint8_t s : m_keyboard.state)
        if (s == 1) return true;
    return false;
}

int CDirectInput8::getModifiers() const {
    int modifiers = 0;
    if (isKeyDown(0x2A) || isKeyDown(0x36)) modifiers |= MODIFIER_SHIFT;
    if (isKeyDown(0x1D) || isKeyDown(0x9D)) modifiers |= MODIFIER_CONTROL;
    if (isKeyDown(0x38) || isKeyDown(0xB8)) modifiers |= MODIFIER_ALT;
    return modifiers;
}

void CDirectInput8::setWindowMapping(const Vector3& minimum, const Vector3& maximum) {
    m_mouse.clampMin = minimum;
    m_mouse.clampMax = maximum;
}

void CDirectInput8::setMousePosition(const Vector3& position, bool clamp) {
    m_mouse.position = position;
    if (clamp) clampPosition();
}

void CDirectInput8::getClampRect(Vector3& minimum, Vector3& maximum) const {
    minimum = m_mouse.clampMin;
    maximum = m_mouse.clampMax;
}

void CDirectInput8::setMouseSettings(const Vector3& position, const Vector3& minimum, const Vector3& maximum,
                                     float sensitivity) {
    m_mouse.position = position;
    m_mouse.clampMin = minimum;
    m_mouse.clampMax = maximum;
    m_mouse.sensitivity = sensitivity;
}

void CDirectInput8::buildKeyboardLayout() { ::buildKeyboardLayout(); }

void CDirectInput8::clampPosition() {
    if (input_settings::noCheckValidMouse()) return;
    Vector3& p = m_mouse.position;
    // Written so that a reversed rectangle still gives a position inside one of its edges.
    if (p.x > m_mouse.clampMax.x) p.x = m_mouse.clampMax.x;
    if (p.x < m_mouse.clampMin.x) p.x = m_mouse.clampMin.x;
    if (p.y > m_mouse.clampMax.y) p.y = m_mouse.clampMax.y;
    if (p.y < m_mouse.clampMin.y) p.y = m_mouse.clampMin.y;
}

// --- keyboard ---

void CDirectInput8::sendKey(int type, int scanCode, int modifiers, uint32_t now) {
    auto event = std::make_unique<KeyEvent>();
    event->position = m_mouse.position;
    event->time = static_cast<int>(now - m_keyboard.stamp[scanCode]);
    event->modifiers = modifiers;
    event->type = type;
    event->clickCount = 1;
    event->scanCode = scanCode;
    event->character = KeyTables::getChar(scanCode, (modifiers & MODIFIER_SHIFT) != 0);
    m_keyboard.listener(event.get());
}

void CDirectInput8::pollKeyboard() {
    DWORD count = kKeyboardBufferSize;
    const HRESULT hr = m_keyboard.device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), m_keyboard.records, &count, 0);
    if (hr != DI_OK) {
        // One attempt per poll: while the window has no focus the device stays lost, and the
        // next frame tries again.
        m_keyboard.device->Acquire();
        return;
    }
    for (DWORD i = 0; i < count && i < kKeyboardBufferSize; ++i) {
        const DIDEVICEOBJECTDATA& record = m_keyboard.records[i];
        if (record.dwOfs > 255) continue;
        uint8_t code = static_cast<uint8_t>(record.dwOfs);
        if (const auto it = m_keyboard.remap.find(code); it != m_keyboard.remap.end()) code = it->second;
        if (record.dwData & 0x80)
            m_keyboard.state[code] = 1;
        else if (m_keyboard.state[code] == 1)
            m_keyboard.state[code] = 2;
    }

    const int modifiers = getModifiers();
    const uint32_t now = platform::inputTickCount();
    const bool send = static_cast<bool>(m_keyboard.listener);
    for (int code = 0; code < 256; ++code) {
        if (m_keyboard.state[code] == 1) {
            if (send) sendKey(KEY_PRESSED, code, modifiers, now);
            m_keyboard.stamp[code] = now;
        } else if (m_keyboard.state[code] == 2) {
            if (send) {
                sendKey(KEY_RELEASED, code, modifiers, now);
                sendKey(KEY_CLICKED, code, modifiers, now);
            }
            m_keyboard.state[code] = 0;
        }
    }
}

// --- mouse ---

bool CDirectInput8::sendMouse(int type, int button, int clickCount, int modifiers) {
    if (!m_mouse.listener) return false;
    auto event = std::make_unique<MouseEvent>();
    event->position = m_mouse.position;
    event->delta = m_mouse.movement;
    event->time = 0;
    event->modifiers = modifiers;
    event->type = type;
    event->clickCount = clickCount;
    event->button = button;
    m_mouse.listener(event.get());
    return event->handled;
}

void CDirectInput8::pollMouse() {
    m_mouse.movement = Vector3();
    bool wheel = false;
    const int modifiers = getModifiers();
    const Vector3 before = m_mouse.position;

    const uint32_t now = platform::inputTickCount();
    for (int b = 0; b < kButtonCount; ++b)
        if (!m_mouse.held[b] && m_mouse.pressTime[b] != 0) m_mouse.held[b] = now - m_mouse.pressTime[b] > kDragDelayMs;

    for (;;) {
        DWORD count = kMouseReadCount;
        const HRESULT hr = m_mouse.device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), m_mouse.records, &count, 0);
        if (hr == DIERR_INPUTLOST) {
            // The next poll meets "not acquired" and acquires again.
            m_mouse.device->Unacquire();
            break;
        }
        if (hr == DIERR_NOTACQUIRED) {
            m_mouse.device->Acquire();
            for (bool& held : m_mouse.held) held = false;
            break;
        }
        if (hr != DI_OK || count == 0) break;

        for (DWORD i = 0; i < count && i < static_cast<DWORD>(kMouseReadCount); ++i) {
            const DIDEVICEOBJECTDATA& record = m_mouse.records[i];
            const float amount = static_cast<float>(static_cast<int32_t>(record.dwData)) * m_mouse.sensitivity;
            switch (record.dwOfs) {
                case DIMOFS_X: m_mouse.movement.x += amount; continue;
                case DIMOFS_Y: m_mouse.movement.y += amount; continue;
                case DIMOFS_Z:
                    m_mouse.movement.z += amount;
                    wheel = true;
                    continue;
                default: break;
            }
            if (record.dwOfs < DIMOFS_BUTTON0 || record.dwOfs > DIMOFS_BUTTON0 + 2) continue;
            const int button = static_cast<int>(record.dwOfs - DIMOFS_BUTTON0);
            if (!(record.dwData & 0x80)) {
                m_mouse.held[button] = false;
                m_mouse.pressTime[button] = 0;
                sendMouse(MOUSE_RELEASED, button, 1, modifiers);
                continue;
            }
            if (m_mouse.pressTime[button] == 0) m_mouse.pressTime[button] = now;
            if (!m_mouse.clickPending || record.dwTimeStamp - m_mouse.lastPress >= m_mouse.doubleClickTime) {
                m_mouse.clickPending = true;
                m_mouse.lastPress = record.dwTimeStamp;
                sendMouse(MOUSE_PRESSED, button, 1, modifiers);
            } else {
                // The second press within the double-click time.
                m_mouse.held[button] = false;
                m_mouse.clickPending = false;
                sendMouse(MOUSE_PRESSED, button, 2, modifiers);
            }
        }
    }

    const Vector3& m = m_mouse.movement;
    if (m.x != 0 || m.y != 0 || m.z != 0) {
        if (m_mouse.invert) m_mouse.movement = -m_mouse.movement;
        m_mouse.position = m_mouse.position + m_mouse.movement;
        clampPosition();

        bool dragged = false;
        for (int button = 0; button < 3; ++button) {
            if (!m_mouse.held[button]) continue;
            sendMouse(MOUSE_DRAGGED, button, 1, modifiers);
            dragged = true;
        }
        if (wheel) {
            if (dragged) return;
            // A listener that takes the wheel keeps it from scrolling the position.
            if (sendMouse(MOUSE_WHEEL, -1, -1, modifiers)) m_mouse.position.z = before.z;
        } else if (dragged) {
            return;
        }
    }
    sendMouse(MOUSE_MOVED, -1, -1, modifiers);
}
