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
    EXPECT_EQ(drain(), (std::vector<UINT>{WM_ACTIVATE, WM_ACTIVATE, WM_CLOSE, WM_EXITSIZEMOVE, WM_QUIT}));
    EXPECT_EQ(g_received, (std::vector<UINT>{WM_ACTIVATE, 1000 + WA_ACTIVE, WM_ACTIVATE, 1000 + WA_INACTIVE, WM_CLOSE,
                                             WM_EXITSIZEMOVE}));
}

TEST_F(MessagePump, ThePointerEntersAsAMoveAndLeavesOncePerTrackingRequest) {
    using platform::gfx::WindowEvent;
    ASSERT_TRUE(platform::gfx::pushWindowEvent(window, WindowEvent::Enter));
    ASSERT_TRUE(platform::gfx::pushWindowEvent(window, WindowEvent::Leave));  // not tracked: nothing
    EXPECT_EQ(drain(), std::vector<UINT>{WM_MOUSEMOVE});
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, window, 0};
    ASSERT_TRUE(TrackMouseEvent(&track));
    EXPECT_TRUE(platform::gfx::leaveTracked(window));
    ASSERT_TRUE(platform::gfx::pushWindowEvent(window, WindowEvent::Leave));
    ASSERT_TRUE(platform::gfx::pushWindowEvent(window, WindowEvent::Leave));
    ASSERT_TRUE(platform::gfx::pushWindowEvent(nullptr, WindowEvent::KeymapChanged));
    EXPECT_EQ(drain(), (std::vector<UINT>{WM_MOUSELEAVE, WM_INPUTLANGCHANGE}));
    EXPECT_FALSE(platform::gfx::leaveTracked(window));
}

TEST_F(MessagePump, TheProcedureSetsTheSmallestWindowSizeAtCreation) {
    WNDCLASSA wc{0, [](HWND, UINT message, WPARAM, LPARAM lParam) -> LRESULT {
                     if (message == WM_GETMINMAXINFO) {
                         auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                         info->ptMinTrackSize = POINT{100, 100};
                     }
                     return 0;
                 },
                 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, "sized test"};
    RegisterClassA(&wc);
    HWND sized = CreateWindowExA(0, "sized test", "sized", 0, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(sized, nullptr);
    int w = 0, h = 0;
    SDL_GetWindowMinimumSize(static_cast<SDL_Window*>(platform::gfx::nativeWindow(sized)), &w, &h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 100);
    DestroyWindow(sized);
}

TEST(SystemCursor, TheDisplayCountMovesOneStepACallAndShowsFromZero) {
    const int start = platform::gfx::cursorDisplayCount();
    EXPECT_EQ(ShowCursor(FALSE), start - 1);
    EXPECT_EQ(ShowCursor(FALSE), start - 2);
    EXPECT_EQ(ShowCursor(TRUE), start - 1);
    EXPECT_EQ(ShowCursor(TRUE), start);
    EXPECT_EQ(platform::gfx::cursorDisplayCount(), start);
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
