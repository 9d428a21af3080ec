#pragma once
// The keyboard and the mouse, read once per frame through DirectInput 8 and turned into key and
// mouse events for the application's two listeners. Keeps the key states, the mouse position
// clamped to the window mapping, the button timing for double clicks and drags, and the
// characters of the keys under the current keyboard layout. Main thread only.
#include <cstdint>
#include <functional>
#include <map>

#include "core/math_utils.h"
#include "core/singleton.h"
#include "input/input_event.h"
#include "platform/input/dinput.h"

class CDirectInput8 : public Tov::Singleton<CDirectInput8> {
public:
    using KeyListener = std::function<void(KeyEvent*)>;
    using MouseListener = std::function<void(MouseEvent*)>;

    static constexpr DWORD kKeyboardBufferSize = 16;
    static constexpr DWORD kMouseBufferSize = 64;
    static constexpr int kMouseReadCount = 50;
    static constexpr int kButtonCount = 8;

    // Builds the layout map for the current keyboard language.
    CDirectInput8();
    ~CDirectInput8() override;

    // Each returns 0, or the DirectInput code of the first step that failed.
    HRESULT createInterface(HINSTANCE instance);
    HRESULT createKeyboard(HWND window, KeyListener listener);
    HRESULT createMouse(HWND window, uint16_t doubleClickTime, MouseListener listener);

    void acquire();
    void unacquire();
    // Unacquires and releases both devices and the interface.
    void release();

    // Polls the keyboard, then the mouse, and sends their events.
    void update();

    bool isKeyDown(int scanCode) const;
    bool isAnyKeyDown() const;
    // Shift, control and alt bits from the key states.
    int getModifiers() const;

    void setWindowMapping(const Vector3& minimum, const Vector3& maximum);
    void setMousePosition(const Vector3& position, bool clamp);
    const Vector3& getMousePosition() const { return m_mouse.position; }
    void getClampRect(Vector3& minimum, Vector3& maximum) const;
    void setMouseSettings(const Vector3& position, const Vector3& minimum, const Vector3& maximum, float sensitivity);
    void setInvertMouse(bool invert) { m_mouse.invert = invert; }

    // Rebuilds the layout map (on an input-language change of the window).
    void buildKeyboardLayout();

private:
    struct Keyboard {
        IDirectInputDevice8* device = nullptr;
        bool created = false;
        bool acquired = false;
        uint8_t state[256] = {};  // 0 up, 1 down, 2 released in this poll
        uint32_t stamp[256] = {};  // milliseconds of the key's last event
        std::map<uint8_t, uint8_t> remap;
        KeyListener listener;
        DIDEVICEOBJECTDATA records[kKeyboardBufferSize] = {};
    };
    struct Mouse {
        IDirectInputDevice8* device = nullptr;
        bool created = false;
        bool acquired = false;
        bool invert = false;
        bool clickPending = false;
        uint32_t lastPress = 0;  // record time of the last accepted press
        MouseListener listener;
        DIDEVICEOBJECTDATA records[kMouseReadCount] = {};
        uint16_t doubleClickTime = 100;
        float sensitivity = 1.0f;
        bool held[kButtonCount] = {};
        uint32_t pressTime[kButtonCount] = {};  // 0 while up
        Vector3 clampMin{0, 0, 0};
        Vector3 clampMax{1024, 768, 0};
        Vector3 position;
        Vector3 movement;
    };

    void pollKeyboard();
    void pollMouse();
    void sendKey(int type, int scanCode, int modifiers, uint32_t now);
    // Returns the listener's handled flag.
    bool sendMouse(int type, int button, int clickCount, int modifiers);
    void clampPosition();

    IDirectInput8* m_interface = nullptr;
    Keyboard m_keyboard;
    Mouse m_mouse;
};
