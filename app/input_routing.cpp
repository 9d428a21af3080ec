// The window procedure and the routing of mouse and keys: DirectInput's mouse mapped to the game
// area, every mouse update through the replay recorder to the modal panel, or to the render list
// and then the current level; keys through the modal panel, the level, the application's own keys
// and the debug keys; the movies' clip events to the current level.
#include "app/application.h"
#include "app/game_layers.h"
#include "app/mouse_cursor.h"
#include "app/replay_recorder.h"
#include "audio/media_center.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "flash/runtime/character.h"
#include "graphics/d3d_application.h"
#include "input/direct_input.h"
#include "particles/effect_mgr.h"
#include "platform/graphics/message_pump.h"
#include "platform/graphics/window.h"
#include "platform/input/dinput.h"
#include "script/script_core.h"

namespace {

// Scan codes of the keys the application handles itself.
constexpr int kKeyEscape = 1;
constexpr int kKeyEnter = 28;
constexpr int kKeyD = 32;
constexpr int kKeyGrave = 41;
constexpr int kKeyW = 17;
constexpr int kKeyR = 19;
constexpr int kKeyP = 25;
constexpr int kKeyF = 33;
constexpr int kKeyM = 50;
constexpr int kKeyH = 35;
constexpr int kKeyPrintScreen = 183;

constexpr int kAllModifiers = MODIFIER_SHIFT | MODIFIER_CONTROL | MODIFIER_ALT;
constexpr int kControlShift = MODIFIER_SHIFT | MODIFIER_CONTROL;

constexpr DWORD kFillWireframe = 2;
constexpr DWORD kFillSolid = 3;

// The F key's cycle of update speeds, by its counter 0, 1, 2.
constexpr float kUpdateSpeeds[] = {1.0f, 10.0f, 0.1f};
constexpr int kUpdateSpeedCount = 3;

// Ctrl+Shift+P starts these at the screen's centre.
constexpr const char* kTestEffects[] = {"test", "firework"};
constexpr float kScreenCentreX = 512.0f, kScreenCentreY = 384.0f;

constexpr LONG kMinimumWindowSize = 100;

// Escape opens the pause menu only while none of these shows.
constexpr app::Screen kScreensOverPlay[] = {app::Screen::DialogPanel, app::Screen::MsgBox, app::Screen::MainMenu,
                                            app::Screen::GameMenu};

bool screenOverPlayVisible() {
    for (app::Screen role : kScreensOverPlay)
        if (BaseRender* drawable = app::screen(role); drawable && drawable->isVisible()) return true;
    return false;
}

bool has(int modifiers, int wanted) { return (modifiers & wanted) == wanted; }

void toggle(CVar* var) { var->setEnabled(!var->value.b); }

void trackMouseLeave(HWND window) {
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, window, 0};
    TrackMouseEvent(&track);
}

}  // namespace

void Application::showSystemCursor(bool show) {
    // Each call moves the count one step towards the wanted side, so this ends.
    int count = platform::gfx::cursorDisplayCount();
    while (show ? count < 0 : count >= 0) count = ShowCursor(show ? TRUE : FALSE);
}

LRESULT Application::wndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CMyD3DApplication* frame = CMyD3DApplication::instance();
    switch (message) {
        case WM_ACTIVATE: {
            const bool active = LOWORD(wParam) != WA_INACTIVE;
            if (frame) frame->setActive(active);
            if (!m_onActivateScript.empty()) runScriptBuffer(m_onActivateScript.c_str(), 0, "on_activate");
            if (active) {
                trackMouseLeave(window);
                m_frameTimer.restart();
                updateWindowMapping(false);
            } else if (MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance()) {
                media->update(0.0f, false);
            }
            break;
        }
        case WM_CLOSE:
        case WM_COMMAND:
            if (HMENU menu = GetMenu(window)) {
                SetMenu(window, nullptr);
                (void)menu;  // menus are records of the window, nothing to free
            }
            PostQuitMessage(0);
            return 0;
        case WM_SETCURSOR:
            if (frame && frame->isActive() && !frame->isWindowed()) {
                SetCursor(nullptr);
                if (frame->showsCursorWhenFullscreen())
                    if (IDirect3DDevice9* device = frame->getDevice()) device->ShowCursor(TRUE);
            }
            return 1;
        case WM_GETMINMAXINFO:
            if (auto* info = reinterpret_cast<MINMAXINFO*>(lParam)) {
                info->ptMinTrackSize.x = kMinimumWindowSize;
                info->ptMinTrackSize.y = kMinimumWindowSize;
            }
            break;
        case WM_INPUTLANGCHANGE:
            if (CDirectInput8* input = CDirectInput8::instance()) input->buildKeyboardLayout();
            break;
        case WM_MOUSEMOVE:
            if (!anyFlag(kMouseInside)) {
                setFlag(kMouseInside, true);
                trackMouseLeave(window);
                showSystemCursor(false);
            }
            break;
        case WM_EXITSIZEMOVE: updateWindowMapping(false); break;
        case WM_MOUSELEAVE:
            showSystemCursor(true);
            setFlag(kMouseInside, false);
            break;
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT applicationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Application* app = Application::instance();
    return app ? app->wndProc(window, message, wParam, lParam) : 0;
}

void Application::updateWindowMapping(bool centreMouse) {
    CMyD3DApplication* frame = CMyD3DApplication::instance();
    if (frame && frame->getWindow()) {
        RECT rect{};
        GetWindowRect(frame->getWindow(), &rect);
        m_windowLeft = rect.left;
        m_windowTop = rect.top;
        m_windowRight = rect.right;
        m_windowBottom = rect.bottom;
        m_nonClientHeight = m_windowBottom - m_windowTop - static_cast<int>(frame->backBufferDesc().Height);
    }
    if (CDirectInput8* input = CDirectInput8::instance()) {
        RECT desktop{};
        GetWindowRect(GetDesktopWindow(), &desktop);
        input->setWindowMapping(Vector3(0, 0, 0), Vector3(static_cast<float>(desktop.right - desktop.left),
                                                          static_cast<float>(desktop.bottom - desktop.top), 0));
        if (centreMouse)
            input->setMousePosition(Vector3(static_cast<float>(m_windowRight - m_windowLeft) * 0.5f,
                                            static_cast<float>(m_windowBottom - m_windowTop) * 0.5f, 0),
                                    true);
    }
    m_mouseButtons = 0;
}

Vector3 Application::getClientOrigin() const {
    CMyD3DApplication* frame = CMyD3DApplication::instance();
    if (!frame || !frame->isWindowed() || !frame->getWindow()) return Vector3(0, 0, 0);
    RECT rect{};
    GetWindowRect(frame->getWindow(), &rect);
    // The window has no chrome of its own: its client area starts at its corner.
    return Vector3(static_cast<float>(rect.left), static_cast<float>(rect.top), 0);
}

void Application::onMouseEvent(MouseEvent* event) {
    if (!event) {
        Tov::LogLine("ERROR") << "Application::onMouseEvent" << ": no event";
        return;
    }
    if (event->type == MOUSE_PRESSED) {
        m_mouseButtons += event->button + 1;
    } else if (event->type == MOUSE_RELEASED) {
        m_inputLocked = false;
        m_mouseButtons -= event->button + 1;
        if (m_mouseButtons < 0) m_mouseButtons = 0;
    }
    routeMouse(event);
}

void Application::routeMouse(MouseEvent* event) {
    CDirectInput8* input = CDirectInput8::instance();
    CMyD3DApplication* frame = CMyD3DApplication::instance();
    MouseCursor* cursor = MouseCursor::instance();
    const Vector3 mouse = input ? input->getMousePosition() : Vector3(0, 0, 0);
    platform::setCursorPos(static_cast<int>(mouse.x), static_cast<int>(mouse.y));

    int x, y;
    if (frame && !frame->isWindowed()) {
        x = static_cast<int>(mouse.x);
        y = static_cast<int>(mouse.y);
        // A desktop that has no 1024x768 mode shows the picture letterboxed.
        platform::gfx::mapWindowToBackBuffer(frame->getWindow(), x, y);
    } else {
        const float scaleX = cursor ? cursor->scaleX() : 1.0f;
        const float scaleY = cursor ? cursor->scaleY() : 1.0f;
        x = static_cast<int>((mouse.x - static_cast<float>(m_windowLeft)) * scaleX);
        y = static_cast<int>((mouse.y - static_cast<float>(m_nonClientHeight) - static_cast<float>(m_windowTop)) * scaleY);
    }

    ReplayRecorder* recorder = ReplayRecorder::instance();
    if (recorder && recorder->isRecording() && event && event->type == MOUSE_PRESSED)
        recorder->record(static_cast<float>(x), static_cast<float>(y));
    if (recorder && recorder->isPlaying()) {
        BaseRender* console = app::screen(app::Screen::Console);
        if (!(console && console->isVisible()) && recorder->delayPassed()) {
            ReplayEvent replayed;
            recorder->next(replayed, -1);
            m_replayX = static_cast<int>(replayed.x);
            m_replayY = static_cast<int>(replayed.y);
            // A replayed release is a release: like a real one it frees the input a screen's
            // press locked, or no later replayed click would reach anything.
            if (replayed.buttons == 0) m_inputLocked = false;
            m_mouseButtons = replayed.buttons;
        }
        // Between its entries the replay keeps the pointer where its last entry put it: a real
        // mouse event later in the same frame must not move a replayed press off its button.
        if (m_replayX >= 0) {
            x = m_replayX;
            y = m_replayY;
        }
    } else {
        m_replayX = m_replayY = -1;
    }

    if (!(cursor && cursor->isBlocked())) {
        if (m_modalPanel) {
            m_modalPanel->onMouse(x, y, m_mouseButtons);
        } else {
            // A handler may change the list: it is read afresh at every step.
            for (size_t i = 0; i < m_renderList.size() && !m_inputLocked; ++i)
                if (BaseRender* item = m_renderList[i]) item->onMouse(x, y, m_mouseButtons);
            app::GameLevel* level = app::currentLevel();
            if (level && !m_inputLocked) {
                level->onMouse(x, y, m_mouseButtons);
                if (event) level->onInputEvent(event);
            }
        }
    }
    if (cursor && !(recorder && recorder->isPlaying())) cursor->setPosition(x, y);
}

void Application::onSwfEvent(flash::character* ch, int eventCode) {
    if (m_inputLocked) return;
    app::GameLevel* level = app::currentLevel();
    if (level && level->isMovieReady()) level->onEvent(ch, eventCode);
}

void Application::swfEventCallback(flash::character* ch, int eventCode) {
    if (Application* app = Application::instance()) app->onSwfEvent(ch, eventCode);
}

void Application::onKeyEvent(KeyEvent* event) {
    if (!event) {
        Tov::LogLine("ERROR") << "Application::onKeyEvent" << ": no event";
        return;
    }
    if (m_modalPanel) {
        // The console takes only whole key clicks; any other modal panel every key event.
        const bool console = m_modalPanel == app::screen(app::Screen::Console);
        if ((!console || event->type == KEY_CLICKED) && m_modalPanel->onInput(event)) return;
    }
    if (app::GameLevel* level = app::currentLevel(); level && level->onKey(event)) return;
    if (event->type == KEY_CLICKED) {
        if (event->scanCode == kKeyEscape) {
            if (!screenOverPlayVisible())
                if (app::PauseMenu* menu = app::pauseMenu()) menu->show(false);
        } else if (event->scanCode == kKeyPrintScreen) {
            saveScreenshot();
        } else if (event->scanCode == kKeyEnter && has(event->modifiers, MODIFIER_ALT)) {
            switchWindowMode();
        } else if (event->scanCode == kKeyD && has(event->modifiers, kAllModifiers) && d_DebugModeEnabled->value.b) {
            toggle(d_DebugMode);
        } else if (event->scanCode == kKeyGrave && d_DebugModeEnabled->value.b) {
            // The console refuses the key itself, so the same key that opened it closes it here.
            if (BaseRender* console = app::screen(app::Screen::Console)) console->setVisible(!console->isVisible());
        }
    }
    onDebugKey(event);
}

void Application::switchWindowMode() {
    // The request follows whether the window now differs from the setting, so a second switch
    // before the next draw cancels the first.
    toggle(s_fullScreenMode);
    CMyD3DApplication* frame = CMyD3DApplication::instance();
    const bool windowFull = frame && !frame->isWindowed();
    m_resetRequested = windowFull != s_fullScreenMode->value.b;
}

void Application::onDebugKey(KeyEvent* event) {
    if (!event || !d_DebugMode->value.b) return;
    const int mods = event->modifiers;
    if (event->type == KEY_PRESSED) {
        if (event->scanCode == kKeyH)
            if (app::GameLevel* level = app::currentLevel()) level->hint();
        return;
    }
    if (event->type != KEY_CLICKED) return;
    switch (event->scanCode) {
        case kKeyW:
            if (has(mods, kAllModifiers))
                toggle(d_NoLimitFPS);
            else if (!m_modalPanel)
                if (app::LevelControl* levels = app::levelControl()) levels->debugCompleteLevel();
            break;
        case kKeyR:
            if (has(mods, MODIFIER_CONTROL)) {
                m_wireframe = !m_wireframe;
                CMyD3DApplication* frame = CMyD3DApplication::instance();
                if (IDirect3DDevice9* device = frame ? frame->getDevice() : nullptr)
                    device->SetRenderState(D3DRS_FILLMODE, m_wireframe ? kFillWireframe : kFillSolid);
            }
            break;
        case kKeyP:
            if (has(mods, kAllModifiers)) {
                m_hideScene = !m_hideScene;
            } else if (has(mods, kControlShift)) {
                if (particle::fxParticleEffectMgr* effects = particle::fxParticleEffectMgr::instance())
                    for (const char* name : kTestEffects)
                        effects->startEffect(kScreenCentreX, kScreenCentreY, name, true, true);
            }
            break;
        case kKeyF:
            m_updateSpeedStep = (m_updateSpeedStep + 1) % kUpdateSpeedCount;
            d_UpdateSpeed->setFromString(std::to_string(kUpdateSpeeds[m_updateSpeedStep]).c_str());
            break;
        case kKeyM:
            if (BaseRender* panel = app::screen(app::Screen::MainPanel)) panel->setVisible(!panel->isVisible());
            break;
        default: break;
    }
}
