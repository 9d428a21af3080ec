#include "platform/input/dinput.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/input/input_clock.h"
#include "platform/log_sink.h"

namespace {

uint32_t s_now = 1000;
uint32_t fakeClock() { return s_now; }

std::vector<std::string> s_warnings;
void captureLog(const char* level, const std::string& text) {
    if (std::string(level) == "WARNING") s_warnings.push_back(text);
}

void push(SDL_Event event) { ASSERT_GE(SDL_PushEvent(&event), 0) << SDL_GetError(); }

void pushKey(SDL_Scancode code, bool down, bool repeat = false) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat;
    e.key.keysym.scancode = code;
    push(e);
}

void pushMotion(int x, int y, int xrel, int yrel) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x, e.motion.y = y, e.motion.xrel = xrel, e.motion.yrel = yrel;
    push(e);
}

void pushButton(Uint8 button, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    push(e);
}

void pushWheel(int y, bool flipped = false) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = y;
    e.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
    push(e);
}

void pushFocus(bool gained) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
    push(e);
}

struct Record {
    DWORD offset, data, time;
    bool operator==(const Record&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Record& r) {
    return os << "{" << r.offset << ", " << static_cast<int32_t>(r.data) << ", " << r.time << "}";
}

class DirectInputDevices : public ::testing::Test {
protected:
    void SetUp() override {
        s_now = 1000;
        s_warnings.clear();
        platform::setInputClock(&fakeClock);
        platform::setLogSink(&captureLog);
        void* out = nullptr;
        ASSERT_EQ(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8A, &out, nullptr), DI_OK);
        m_di = static_cast<IDirectInput8*>(out);
        m_keyboard = makeDevice(GUID_SysKeyboard, c_dfDIKeyboard, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, 16);
        m_mouse = makeDevice(GUID_SysMouse, c_dfDIMouse2, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND, 64);
    }
    void TearDown() override {
        pushFocus(true);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        if (m_keyboard) m_keyboard->Release();
        if (m_mouse) m_mouse->Release();
        if (m_di) m_di->Release();
        platform::setInputClock(nullptr);
        platform::setLogSink(nullptr);
    }

    IDirectInputDevice8* makeDevice(const GUID& guid, const DIDATAFORMAT& format, DWORD level, DWORD size) {
        IDirectInputDevice8* device = nullptr;
        EXPECT_EQ(m_di->CreateDevice(guid, &device, nullptr), DI_OK);
        EXPECT_EQ(device->SetDataFormat(&format), DI_OK);
        EXPECT_EQ(device->SetCooperativeLevel(nullptr, level), DI_OK);
        DIPROPDWORD p{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, size};
        EXPECT_EQ(device->SetProperty(DIPROP_BUFFERSIZE, &p.diph), DI_OK);
        EXPECT_EQ(device->Acquire(), DI_OK);
        return device;
    }

    static std::vector<Record> read(IDirectInputDevice8* device, DWORD max = 1000,
                                    std::vector<DWORD>* sequences = nullptr) {
        std::vector<DIDEVICEOBJECTDATA> data(max);
        DWORD count = max;
        EXPECT_EQ(device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), data.data(), &count, 0), DI_OK);
        std::vector<Record> out;
        for (DWORD i = 0; i < count; ++i) {
            out.push_back({data[i].dwOfs, data[i].dwData, data[i].dwTimeStamp});
            if (sequences) sequences->push_back(data[i].dwSequence);
        }
        return out;
    }

    IDirectInput8* m_di = nullptr;
    IDirectInputDevice8* m_keyboard = nullptr;
    IDirectInputDevice8* m_mouse = nullptr;
};

TEST_F(DirectInputDevices, KeysBecomeRecordsWithTheirCodesAndClockTimes) {
    pushKey(SDL_SCANCODE_A, true);
    pushKey(SDL_SCANCODE_A, true, /*repeat*/ true);  // dropped
    s_now = 1010;
    pushKey(SDL_SCANCODE_A, false);
    pushKey(SDL_SCANCODE_RCTRL, true);
    pushKey(SDL_SCANCODE_F24, true);  // no DirectInput code: dropped
    pushKey(SDL_SCANCODE_PRINTSCREEN, true);

    std::vector<DWORD> sequences;
    const std::vector<Record> expected = {
        {0x1E, 0x80, 1000}, {0x1E, 0, 1010}, {0x9D, 0x80, 1010}, {0xB7, 0x80, 1010}};
    EXPECT_EQ(read(m_keyboard, 100, &sequences), expected);
    for (size_t i = 1; i < sequences.size(); ++i) EXPECT_GT(sequences[i], sequences[i - 1]);
    EXPECT_TRUE(read(m_mouse).empty());
}

TEST_F(DirectInputDevices, PushedKeyEventsReachTheRingsAndFlushingEmptiesTheQueue) {
    ASSERT_TRUE(platform::pushKeyEvent(SDL_SCANCODE_A, true));
    ASSERT_TRUE(platform::pushKeyEvent(SDL_SCANCODE_A, false));
    const std::vector<Record> expected = {{0x1E, 0x80, 1000}, {0x1E, 0, 1000}};
    EXPECT_EQ(read(m_keyboard), expected);
    EXPECT_TRUE(SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT));
    platform::flushInputEvents();
    EXPECT_FALSE(SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT));
}

TEST_F(DirectInputDevices, MouseMotionButtonsAndWheelBecomeRecords) {
    pushMotion(10, 10, 5, -3);
    pushMotion(10, 12, 0, 2);
    pushWheel(1);
    pushWheel(-2);
    pushWheel(1, /*flipped*/ true);
    for (Uint8 b : {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1, SDL_BUTTON_X2})
        pushButton(b, true);
    pushButton(SDL_BUTTON_RIGHT, false);

    std::vector<DWORD> sequences;
    const std::vector<Record> expected = {
        {DIMOFS_X, 5, 1000},
        {DIMOFS_Y, static_cast<DWORD>(-3), 1000},
        {DIMOFS_Y, 2, 1000},
        {DIMOFS_Z, 120, 1000},
        {DIMOFS_Z, static_cast<DWORD>(-240), 1000},
        {DIMOFS_Z, static_cast<DWORD>(-120), 1000},
        {DIMOFS_BUTTON0, 0x80, 1000},
        {DIMOFS_BUTTON0 + 1, 0x80, 1000},
        {DIMOFS_BUTTON0 + 2, 0x80, 1000},
        {DIMOFS_BUTTON0 + 3, 0x80, 1000},
        {DIMOFS_BUTTON0 + 4, 0x80, 1000},
        {DIMOFS_BUTTON0 + 1, 0, 1000},
    };
    EXPECT_EQ(read(m_mouse, 100, &sequences), expected);
    EXPECT_EQ(sequences[0], sequences[1]) << "both axes of one motion share a sequence number";
    EXPECT_TRUE(read(m_keyboard).empty());
}

TEST_F(DirectInputDevices, FullRingsKeepTheirSizeTheOldestRecordsAndLogOnce) {
    for (int i = 0; i < 20; ++i) pushKey(SDL_SCANCODE_1, i % 2 == 0);
    for (int i = 0; i < 70; ++i) platform::injectInputRecord(platform::InputDeviceKind::Mouse, DIMOFS_X, i);

    const std::vector<Record> keys = read(m_keyboard);
    ASSERT_EQ(keys.size(), 16u);
    EXPECT_EQ(keys.front(), (Record{0x02, 0x80, 1000}));
    EXPECT_EQ(keys.back(), (Record{0x02, 0, 1000}));
    const std::vector<Record> moves = read(m_mouse);
    ASSERT_EQ(moves.size(), 64u);
    EXPECT_EQ(moves.back().data, 63u);

    for (int i = 0; i < 20; ++i) pushKey(SDL_SCANCODE_2, true);  // overflows again
    ASSERT_EQ(s_warnings.size(), 2u);
    EXPECT_NE(s_warnings[0].find("keyboard buffer of 16 records is full"), std::string::npos) << s_warnings[0];
    EXPECT_NE(s_warnings[1].find("mouse buffer of 64 records is full"), std::string::npos) << s_warnings[1];
}

TEST_F(DirectInputDevices, ReadsTakeAtMostTheAskedCountOldestFirst) {
    for (DWORD i = 1; i <= 5; ++i) platform::injectInputRecord(platform::InputDeviceKind::Mouse, DIMOFS_Y, i, 7);
    EXPECT_EQ(read(m_mouse, 2), (std::vector<Record>{{DIMOFS_Y, 1, 7}, {DIMOFS_Y, 2, 7}}));
    EXPECT_EQ(read(m_mouse, 50).size(), 3u);
    EXPECT_TRUE(read(m_mouse).empty());
}

TEST_F(DirectInputDevices, ACursorWarpGivesNoMovement) {
    platform::setCursorPos(300, 200);
    pushMotion(300, 200, 40, 25);  // the warp's own motion
    pushMotion(310, 200, 10, 0);
    EXPECT_EQ(read(m_mouse), (std::vector<Record>{{DIMOFS_X, 10, 1000}}));

    // A warp whose motion never came does not swallow a later real one.
    platform::setCursorPos(50, 50);
    s_now += 300;
    pushMotion(50, 50, 3, 0);
    EXPECT_EQ(read(m_mouse), (std::vector<Record>{{DIMOFS_X, 3, s_now}}));
}

TEST_F(DirectInputDevices, UnacquiredDevicesTakeNothingAndStartEmpty) {
    pushKey(SDL_SCANCODE_B, true);
    ASSERT_EQ(m_keyboard->Unacquire(), DI_OK);
    DWORD count = 16;
    DIDEVICEOBJECTDATA data[16];
    EXPECT_EQ(m_keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), data, &count, 0), DIERR_NOTACQUIRED);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(platform::injectInputRecord(platform::InputDeviceKind::Keyboard, 0x30, 0x80), 0);
    ASSERT_EQ(m_keyboard->Acquire(), DI_OK);
    EXPECT_TRUE(read(m_keyboard).empty());
    EXPECT_EQ(platform::injectInputRecord(platform::InputDeviceKind::Keyboard, 0x30, 0x80), 1);
    EXPECT_EQ(read(m_keyboard).size(), 1u);
}

TEST_F(DirectInputDevices, LosingTheFocusLosesTheKeyboardUntilTheFocusReturns) {
    pushKey(SDL_SCANCODE_C, true);
    pushFocus(false);
    EXPECT_FALSE(platform::inputHasFocus());
    DWORD count = 16;
    DIDEVICEOBJECTDATA data[16];
    EXPECT_EQ(m_keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), data, &count, 0), DIERR_INPUTLOST);
    count = 16;
    EXPECT_EQ(m_keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), data, &count, 0), DIERR_NOTACQUIRED);
    EXPECT_EQ(m_keyboard->Acquire(), DIERR_INPUTLOST);

    // The background mouse keeps working.
    pushMotion(1, 1, 1, 0);
    EXPECT_EQ(read(m_mouse).size(), 1u);

    pushFocus(true);
    EXPECT_EQ(m_keyboard->Acquire(), DI_OK);
    EXPECT_TRUE(read(m_keyboard).empty());
}

TEST_F(DirectInputDevices, ALostDeviceReportsItOnceThenNeedsAcquiring) {
    platform::injectInputRecord(platform::InputDeviceKind::Mouse, DIMOFS_X, 1);
    platform::loseInputDevices(platform::InputDeviceKind::Mouse);
    DWORD count = 50;
    DIDEVICEOBJECTDATA data[50];
    EXPECT_EQ(m_mouse->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), data, &count, 0), DIERR_INPUTLOST);
    count = 50;
    EXPECT_EQ(m_mouse->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), data, &count, 0), DIERR_NOTACQUIRED);
    EXPECT_EQ(m_mouse->Acquire(), DI_OK);
    EXPECT_TRUE(read(m_mouse).empty());
}

TEST_F(DirectInputDevices, BadArgumentsAreRefused) {
    void* out = nullptr;
    EXPECT_EQ(DirectInput8Create(nullptr, 0x0700, IID_IDirectInput8A, &out, nullptr), DIERR_INVALIDPARAM);
    EXPECT_EQ(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, GUID_SysMouse, &out, nullptr), DIERR_INVALIDPARAM);
    EXPECT_EQ(out, nullptr);
    IDirectInputDevice8* device = nullptr;
    EXPECT_EQ(m_di->CreateDevice(IID_IDirectInput8A, &device, nullptr), DIERR_INVALIDPARAM);
    EXPECT_EQ(m_di->CreateDevice(GUID_SysMouse, nullptr, nullptr), DIERR_INVALIDPARAM);

    ASSERT_EQ(m_di->CreateDevice(GUID_SysKeyboard, &device, nullptr), DI_OK);
    EXPECT_EQ(device->Acquire(), DIERR_INVALIDPARAM) << "no data format yet";
    EXPECT_EQ(device->SetDataFormat(&c_dfDIMouse2), DIERR_INVALIDPARAM);
    EXPECT_EQ(device->SetDataFormat(nullptr), DIERR_INVALIDPARAM);
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, DISCL_FOREGROUND | DISCL_BACKGROUND), DIERR_INVALIDPARAM);
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE), DIERR_INVALIDPARAM);
    DIPROPDWORD p{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, kMaxInputBufferSize + 1};
    EXPECT_EQ(device->SetProperty(DIPROP_BUFFERSIZE, &p.diph), DIERR_INVALIDPARAM);
    p.dwData = 4;
    p.diph.dwSize = sizeof(DIPROPHEADER);
    EXPECT_EQ(device->SetProperty(DIPROP_BUFFERSIZE, &p.diph), DIERR_INVALIDPARAM);
    EXPECT_EQ(device->SetProperty(DIPROP_BUFFERSIZE, nullptr), DIERR_INVALIDPARAM);
    DWORD count = 1;
    DIDEVICEOBJECTDATA data[1];
    EXPECT_EQ(device->GetDeviceData(20 + sizeof(DIDEVICEOBJECTDATA), data, &count, 0), DIERR_INVALIDPARAM);
    EXPECT_EQ(device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), data, nullptr, 0), DIERR_INVALIDPARAM);
    device->Release();
}

}  // namespace
