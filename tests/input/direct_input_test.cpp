#include "input/direct_input.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/cvar_catalogue.h"
#include "input/keyboard_layout.h"
#include "platform/input/input_clock.h"
#include "platform/input/keyboard_language.h"

namespace {

using platform::InputDeviceKind;

uint32_t s_now = 0;
uint32_t fakeClock() { return s_now; }

// What a listener saw of one event (the record itself is freed after the call).
struct Seen {
    int type;
    int code;  // scan code or button
    int clickCount;
    int character;
    int time;
    int modifiers;
    Vector3 position;
    Vector3 delta;
};

class DirectInputPolls : public ::testing::Test {
protected:
    void SetUp() override {
        s_now = 10000;
        platform::setInputClock(&fakeClock);
        platform::setKeyboardLanguageOverride(platform::kLanguageEnglishUS);
        m_input = std::make_unique<CDirectInput8>();
        ASSERT_EQ(m_input->createInterface(nullptr), DI_OK);
        ASSERT_EQ(m_input->createKeyboard(nullptr, [this](KeyEvent* e) { onKey(e); }), DI_OK);
        ASSERT_EQ(m_input->createMouse(nullptr, 300, [this](MouseEvent* e) { onMouse(e); }), DI_OK);
        m_input->acquire();
        m_input->setWindowMapping(Vector3(0, 0, 0), Vector3(1024, 768, 0));
        m_input->setMousePosition(Vector3(100, 100, 0), true);
    }
    void TearDown() override {
        m_input.reset();
        platform::setInputFocus(true);
        platform::setInputClock(nullptr);
        platform::setKeyboardLanguageOverride(0);
        d_noCheckValidMouse->setFromString("false");
    }

    void onKey(KeyEvent* e) {
        m_seen.push_back({e->type, e->scanCode, e->clickCount, e->character, e->time, e->modifiers, e->position,
                          e->delta});
    }
    void onMouse(MouseEvent* e) {
        m_seen.push_back({e->type, e->button, e->clickCount, -1, e->time, e->modifiers, e->position, e->delta});
        EXPECT_TRUE(e->name.empty());
        if (e->type == MOUSE_WHEEL) e->handled = m_takeWheel;
    }

    static void key(int code, bool down) {
        ASSERT_EQ(platform::injectInputRecord(InputDeviceKind::Keyboard, code, down ? 0x80 : 0), 1);
    }
    static void mouse(DWORD offset, int32_t data, DWORD time = 0) {
        ASSERT_EQ(platform::injectInputRecord(InputDeviceKind::Mouse, offset, static_cast<DWORD>(data),
                                              time ? time : s_now),
                  1);
    }
    static void press(int button, DWORD time = 0) { mouse(DIMOFS_BUTTON0 + button, 0x80, time); }
    static void release(int button, DWORD time = 0) { mouse(DIMOFS_BUTTON0 + button, 0, time); }

    // Polls and returns the events sent, as (type, code) pairs and in full.
    std::vector<Seen> poll() {
        m_seen.clear();
        m_input->update();
        return m_seen;
    }
    std::vector<std::pair<int, int>> pollTypes() {
        std::vector<std::pair<int, int>> out;
        for (const Seen& s : poll()) out.push_back({s.type, s.code});
        return out;
    }

    std::unique_ptr<CDirectInput8> m_input;
    std::vector<Seen> m_seen;
    bool m_takeWheel = false;
};

using Types = std::vector<std::pair<int, int>>;

TEST_F(DirectInputPolls, AHeldKeyIsPressedEveryPollAndClickedAfterItsRelease) {
    key(0x1E, true);
    struct Step {
        uint32_t advance;
        bool releaseFirst;
        Types expected;
        std::vector<int> times;
    };
    const Step steps[] = {
        {0, false, {{KEY_PRESSED, 0x1E}, {MOUSE_MOVED, -1}}, {10000}},  // first press: no earlier event
        {16, false, {{KEY_PRESSED, 0x1E}, {MOUSE_MOVED, -1}}, {16}},
        {20, false, {{KEY_PRESSED, 0x1E}, {MOUSE_MOVED, -1}}, {20}},
        {30, true, {{KEY_RELEASED, 0x1E}, {KEY_CLICKED, 0x1E}, {MOUSE_MOVED, -1}}, {30, 30}},
        {10, false, {{MOUSE_MOVED, -1}}, {}},
    };
    for (const Step& step : steps) {
        s_now += step.advance;
        if (step.releaseFirst) key(0x1E, false);
        const std::vector<Seen> seen = poll();
        Types types;
        for (const Seen& s : seen) types.push_back({s.type, s.code});
        EXPECT_EQ(types, step.expected) << "at " << s_now;
        for (size_t i = 0; i < step.times.size() && i < seen.size(); ++i) EXPECT_EQ(seen[i].time, step.times[i]);
        EXPECT_EQ(m_input->isKeyDown(0x1E), !step.releaseFirst && step.expected.size() > 1);
    }
    EXPECT_FALSE(m_input->isAnyKeyDown());
}

TEST_F(DirectInputPolls, KeyEventsCarryModifiersShiftedCharactersAndTheMousePosition) {
    struct Case {
        uint16_t language;
        std::vector<int> held;  // pressed before the key
        int code;
        int character;
        int modifiers;
    };
    const Case cases[] = {
        {1033, {}, 0x1E, u'a', 0},
        {1033, {0x2A}, 0x1E, u'A', 1},
        {1033, {0x36}, 0x04, u'#', 1},
        {1031, {0x2A}, 0x04, 0xA7, 1},
        {1031, {}, 0x15, u'z', 0},
        {1033, {0x2A}, 0x3B, 0xFFFF, 1},  // F1 has no character
        {1033, {0x2A}, 0x4F, 0xFFFF, 1},  // nor a shifted pad key
        {1033, {0x9D}, 0x1E, u'a', 2},
        {1033, {0xB8}, 0x1E, u'a', 8},
        {1033, {0x1D, 0x38, 0x36}, 0x2C, u'Z', 11},
    };
    for (const Case& c : cases) {
        KeyTables::buildKeyboardLayout(c.language);
        for (int h : c.held) key(h, true);
        key(c.code, true);
        const std::vector<Seen> seen = poll();
        bool found = false;
        for (const Seen& s : seen) {
            if (s.type != KEY_PRESSED || s.code != c.code) continue;
            found = true;
            EXPECT_EQ(s.character, c.character) << c.code;
            EXPECT_EQ(s.modifiers, c.modifiers) << c.code;
            EXPECT_EQ(s.clickCount, 1);
            EXPECT_EQ(s.position.x, 100);
            EXPECT_EQ(s.position.y, 100);
            EXPECT_TRUE(s.delta.isZero());
        }
        EXPECT_TRUE(found) << c.code;
        for (int h : c.held) key(h, false);
        key(c.code, false);
        poll();
        EXPECT_FALSE(m_input->isAnyKeyDown());
    }
}

TEST_F(DirectInputPolls, PressesWithinTheDoubleClickTimeCountTwo) {
    struct Case {
        DWORD time;
        int button;
        int clickCount;
    };
    const Case cases[] = {
        {1000, 0, 1},
        {1250, 0, 2},  // 250 ms after the first
        {1350, 0, 1},  // 100 ms later: a new first press
        {1700, 1, 1},  // 350 ms later
        {1999, 1, 2},  // 299 ms
        {2299, 1, 1},
        {2599, 1, 1},  // exactly 300 ms: too late for a double click
    };
    for (const Case& c : cases) {
        press(c.button, c.time);
        release(c.button, c.time + 10);
        const std::vector<Seen> seen = poll();
        ASSERT_EQ(seen.size(), 3u);
        EXPECT_EQ(seen[0].type, MOUSE_PRESSED);
        EXPECT_EQ(seen[0].code, c.button);
        EXPECT_EQ(seen[0].clickCount, c.clickCount) << c.time;
        EXPECT_EQ(seen[1].type, MOUSE_RELEASED);
        EXPECT_EQ(seen[1].clickCount, 1);
        EXPECT_EQ(seen[2].type, MOUSE_MOVED);
        EXPECT_EQ(seen[2].clickCount, -1);
    }
}

TEST_F(DirectInputPolls, MovingWithAButtonHeldDragsInsteadOfMoving) {
    press(0);
    EXPECT_EQ(pollTypes(), (Types{{MOUSE_PRESSED, 0}, {MOUSE_MOVED, -1}}));

    s_now += 50;  // too early for a drag
    mouse(DIMOFS_X, 5);
    EXPECT_EQ(pollTypes(), (Types{{MOUSE_MOVED, -1}}));

    s_now += 70;  // held 120 ms
    mouse(DIMOFS_X, 5);
    mouse(DIMOFS_Y, -2);
    const std::vector<Seen> seen = poll();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].type, MOUSE_DRAGGED);
    EXPECT_EQ(seen[0].code, 0);
    EXPECT_EQ(seen[0].clickCount, 1);
    EXPECT_EQ(seen[0].position.x, 110);
    EXPECT_EQ(seen[0].position.y, 98);
    EXPECT_EQ(seen[0].delta.x, 5);

    EXPECT_EQ(pollTypes(), (Types{{MOUSE_MOVED, -1}})) << "no movement: no drag";

    press(2);
    poll();
    s_now += 200;
    mouse(DIMOFS_Y, 1);
    EXPECT_EQ(pollTypes(), (Types{{MOUSE_DRAGGED, 0}, {MOUSE_DRAGGED, 2}}));

    release(0);
    release(2);
    mouse(DIMOFS_Y, 1);
    EXPECT_EQ(pollTypes(), (Types{{MOUSE_RELEASED, 0}, {MOUSE_RELEASED, 2}, {MOUSE_MOVED, -1}}));
}

TEST_F(DirectInputPolls, TheWheelMovesZUnlessTheListenerTakesIt) {
    mouse(DIMOFS_Z, 120);
    std::vector<Seen> seen = poll();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].type, MOUSE_WHEEL);
    EXPECT_EQ(seen[0].delta.z, 120);
    EXPECT_EQ(seen[1].type, MOUSE_MOVED);
    EXPECT_EQ(m_input->getMousePosition().z, 120);

    m_takeWheel = true;
    mouse(DIMOFS_Z, -240);
    seen = poll();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].position.z, -120);  // sent with the moved position
    EXPECT_EQ(m_input->getMousePosition().z, 120) << "a taken wheel leaves Z where it was";

    // A wheel turn during a drag ends the poll with the drag.
    press(1);
    poll();
    s_now += 150;
    mouse(DIMOFS_Z, 120);
    EXPECT_EQ(pollTypes(), (Types{{MOUSE_DRAGGED, 1}}));
}

TEST_F(DirectInputPolls, ThePositionStaysInTheWindowMappingUnlessCheckingIsOff) {
    m_input->setWindowMapping(Vector3(10, 20, 0), Vector3(100, 50, 0));
    m_input->setMousePosition(Vector3(500, -5, 7), true);
    EXPECT_EQ(m_input->getMousePosition().x, 100);
    EXPECT_EQ(m_input->getMousePosition().y, 20);
    EXPECT_EQ(m_input->getMousePosition().z, 7) << "Z is not limited";

    struct Step {
        int32_t dx, dy;
        float x, y;
    };
    const Step clamped[] = {{-30, 10, 70, 30}, {-500, 500, 10, 50}, {45, -15, 55, 35}};
    for (const Step& s : clamped) {
        mouse(DIMOFS_X, s.dx);
        mouse(DIMOFS_Y, s.dy);
        poll();
        EXPECT_EQ(m_input->getMousePosition().x, s.x);
        EXPECT_EQ(m_input->getMousePosition().y, s.y);
    }

    ASSERT_NE(d_noCheckValidMouse, nullptr);
    d_noCheckValidMouse->setFromString("true");
    mouse(DIMOFS_X, 100);
    mouse(DIMOFS_Y, -100);
    poll();
    EXPECT_EQ(m_input->getMousePosition().x, 155);
    EXPECT_EQ(m_input->getMousePosition().y, -65);
    m_input->setMousePosition(Vector3(-1, 900, 0), true);
    EXPECT_EQ(m_input->getMousePosition().x, -1);

    Vector3 minimum, maximum;
    m_input->getClampRect(minimum, maximum);
    EXPECT_EQ(minimum.x, 10);
    EXPECT_EQ(maximum.y, 50);
}

TEST_F(DirectInputPolls, SensitivityAndInversionScaleTheMovement) {
    m_input->setMouseSettings(Vector3(50, 50, 0), Vector3(0, 0, 0), Vector3(1000, 1000, 0), 2.0f);
    m_input->setInvertMouse(true);
    mouse(DIMOFS_X, 10);
    mouse(DIMOFS_Y, -5);
    const std::vector<Seen> seen = poll();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].delta.x, -20);
    EXPECT_EQ(seen[0].delta.y, 10);
    EXPECT_EQ(m_input->getMousePosition().x, 30);
    EXPECT_EQ(m_input->getMousePosition().y, 60);
}

TEST_F(DirectInputPolls, ALostKeyboardIsReacquiredOncePerPollAndKeepsItsKeys) {
    key(0x2A, true);
    EXPECT_EQ(pollTypes(), (Types{{KEY_PRESSED, 0x2A}, {MOUSE_MOVED, -1}}));

    // The window loses the focus: the keyboard cannot be acquired again until it returns. Each
    // poll tries once and returns rather than retrying while the device stays lost.
    platform::setInputFocus(false);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(pollTypes(), (Types{{MOUSE_MOVED, -1}}));
    EXPECT_TRUE(m_input->isKeyDown(0x2A));

    platform::setInputFocus(true);
    EXPECT_EQ(pollTypes(), (Types{{MOUSE_MOVED, -1}}));  // acquired again
    EXPECT_EQ(pollTypes(), (Types{{KEY_PRESSED, 0x2A}, {MOUSE_MOVED, -1}}));
    key(0x2A, false);
    EXPECT_EQ(pollTypes(), (Types{{KEY_RELEASED, 0x2A}, {KEY_CLICKED, 0x2A}, {MOUSE_MOVED, -1}}));
}

TEST_F(DirectInputPolls, ALostOrUnacquiredMouseIsAcquiredAgainAndKeepsItsPosition) {
    mouse(DIMOFS_X, 5);
    poll();
    EXPECT_EQ(m_input->getMousePosition().x, 105);

    platform::loseInputDevices(InputDeviceKind::Mouse);
    EXPECT_EQ(pollTypes(), (Types{{MOUSE_MOVED, -1}}));  // lost: let go
    EXPECT_EQ(pollTypes(), (Types{{MOUSE_MOVED, -1}}));  // not acquired: acquired again
    mouse(DIMOFS_X, 5);
    poll();
    EXPECT_EQ(m_input->getMousePosition().x, 110);

    m_input->unacquire();
    EXPECT_TRUE(poll().empty()) << "an unacquired input object does not poll";
    m_input->acquire();
    mouse(DIMOFS_Y, 3);
    key(0x10, true);
    EXPECT_EQ(pollTypes(), (Types{{KEY_PRESSED, 0x10}, {MOUSE_MOVED, -1}}));
    EXPECT_EQ(m_input->getMousePosition().y, 103);
}

TEST_F(DirectInputPolls, WithoutListenersKeysAreStillTracked) {
    CDirectInput8* input = m_input.get();
    ASSERT_EQ(CDirectInput8::instance(), input);
    ASSERT_EQ(input->createKeyboard(nullptr, nullptr), DI_OK);
    ASSERT_EQ(input->createMouse(nullptr, 300, nullptr), DI_OK);
    input->acquire();
    key(0x1D, true);
    press(0);
    EXPECT_TRUE(poll().empty());
    EXPECT_TRUE(input->isKeyDown(0x1D));
    EXPECT_EQ(input->getModifiers(), MODIFIER_CONTROL);
    key(0x1D, false);
    poll();
    EXPECT_FALSE(input->isAnyKeyDown());
}

TEST(InputEvents, TextForms) {
    KeyEvent key;
    key.type = KEY_CLICKED;
    key.scanCode = 28;
    EXPECT_EQ(key.toString(), "KEY_CLICKED, key = 28");
    MouseEvent mouse;
    const std::pair<int, const char*> cases[] = {
        {MOUSE_PRESSED, "MOUSE_PRESSED"}, {MOUSE_MOVED, "MOUSE_MOVED"},     {MOUSE_WHEEL, "MOUSE_MOVED"},
        {MOUSE_DRAGGED, "MOUSE_DRAGGED"}, {MOUSE_DRAGDROPPED, "MOUSE_DRAGDROPPED"},
        {KEY_FOCUSOUT, "KEY_FOCUSOUT"},   {499, "unknown type"},           {0, "unknown type"},
    };
    for (const auto& [type, name] : cases) {
        mouse.type = type;
        EXPECT_EQ(mouse.toString(), name);
    }
}

TEST(InputObject, CreatingDevicesNeedsTheInterface) {
    CDirectInput8 input;
    EXPECT_NE(input.createKeyboard(nullptr, nullptr), DI_OK);
    EXPECT_NE(input.createMouse(nullptr, 300, nullptr), DI_OK);
    input.update();  // nothing created: nothing polled
    EXPECT_FALSE(input.isKeyDown(-1));
    EXPECT_FALSE(input.isKeyDown(256));
}

}  // namespace
