// The window message queue: posted messages, the quit message, SDL's window events, the close
// signal, dispatch to the window procedure.
#include <gtest/gtest.h>

#include <SDL.h>

#include <vector>

#include "platform/graphics/message_pump.h"
#include "platform/graphics/window.h"
#include "platform/process.h"
#include "tests/support/environment.h"

namespace {

std::vector<UINT> g_received;

LRESULT recordingProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    g_received.push_back(message);
    if (message == WM_ACTIVATE) g_received.push_back(static_cast<UINT>(1000 + LOWORD(wParam)));
    return 0;
}

class MessagePump : public ::testing::Test {
protected:
    HWND window = nullptr;
    void SetUp() override {
        testsupport::useHeadlessDrivers();
        platform::gfx::clearMessageQueue();
        WNDCLASSA wc{0, recordingProc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, "pump test"};
        RegisterClassA(&wc);
        window = CreateWindowExA(0, "pump test", "pump", WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        g_received.clear();
    }
    void TearDown() override {
        if (window) DestroyWindow(window);
        platform::gfx::clearMessageQueue();
    }
    std::vector<UINT> drain() {
        std::vector<UINT> taken;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            taken.push_back(msg.message);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return taken;
    }
};

TEST_F(MessagePump, PostedMessagesComeInOrderPeekingLeavesThemAndQuitEndsGetMessage) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    PostQuitMessage(3);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_CLOSE);
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_CLOSE);
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    EXPECT_EQ(g_received, std::vector<UINT>{WM_CLOSE});
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessagePump, SdlEventsBecomeWindowMessages) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(platform::gfx::nativeWindow(window)));
    for (Uint8 kind : {SDL_WINDOWEVENT_FOCUS_GAINED, SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_CLOSE,
                       SDL_WINDOWEVENT_MOVED}) {
        event.window.event = kind;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    EXPECT_EQ(drain(), (std::vector<UINT>{WM_ACTIVATE, WM_ACTIVATE, WM_CLOSE, WM_QUIT}));
    EXPECT_EQ(g_received, (std::vector<UINT>{WM_ACTIVATE, 1000 + WA_ACTIVE, WM_ACTIVATE, 1000 + WA_INACTIVE, WM_CLOSE}));
}

TEST_F(MessagePump, ACloseSignalClosesTheFirstWindow) {
    platform::raiseCloseRequest();
    EXPECT_EQ(drain(), std::vector<UINT>{WM_CLOSE});
    EXPECT_EQ(g_received, std::vector<UINT>{WM_CLOSE});
    DestroyWindow(window);
    window = nullptr;
    platform::raiseCloseRequest();  // no window left: the loop is told to quit
    EXPECT_EQ(drain(), std::vector<UINT>{WM_QUIT});
}

TEST(HeadlessVideo, TheOffscreenAndDummyDriversAreHeadless) {
    testsupport::useHeadlessDrivers();
    EXPECT_TRUE(platform::gfx::headlessVideo());
}

}  // namespace
