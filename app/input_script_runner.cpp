#include "app/input_script_runner.h"

#include <cstdlib>

#include "app/application.h"
#include "app/game_layers.h"
#include "core/log_stream.h"
#include "flash/movie/movie_root.h"
#include "input/named_target.h"
#include "graphics/d3d_application.h"
#include "input/direct_input.h"
#include "platform/graphics/gfx_control.h"
#include "platform/graphics/message_pump.h"
#include "platform/input/dinput.h"

namespace {

constexpr DWORD kPressed = 0x80;

InputScriptRunner* g_observing = nullptr;

// "@NAME": the visible screens in render-list order, then the current level (its innermost open
// minilevel).
std::optional<inputscript::Target> findInGame(const std::string& name) {
    auto search = [&](BaseRender* drawable) -> std::optional<inputscript::Target> {
        if (!drawable || !drawable->isVisible() || !drawable->getRoot()) return std::nullopt;
        return inputscript::findNamedTarget(drawable->getRoot()->get_root_movie(), name);
    };
    if (Application* app = Application::instance())
        for (BaseRender* screen : app->renderList())
            if (auto found = search(screen)) return found;
    return search(app::currentLevel(true));
}

}  // namespace

InputScriptRunner::InputScriptRunner() {
    m_script.setResolver(&findInGame);
    g_observing = this;
    Tov::LogStream::setObserver(&InputScriptRunner::observeLine);
}

InputScriptRunner::~InputScriptRunner() {
    Tov::LogStream::setObserver(nullptr);
    g_observing = nullptr;
}

void InputScriptRunner::observeLine(const std::string& line) {
    InputScriptRunner* runner = g_observing;
    if (!runner) return;
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    std::lock_guard<std::mutex> lock(runner->m_linesLock);
    runner->m_lines.push_back(std::move(text));
}

std::unique_ptr<InputScriptRunner> InputScriptRunner::fromEnvironment() {
    const char* path = std::getenv(kVariable);
    if (!path || !*path) return nullptr;
    auto runner = std::make_unique<InputScriptRunner>();
    std::string error;
    if (!runner->m_script.load(path, &error)) {
        Tov::LogLine("ERROR") << kVariable << ": " << error;
        runner->m_failed = true;
    }
    return runner;
}

std::unique_ptr<InputScriptRunner> InputScriptRunner::fromText(const std::string& text, const std::string& sourceName) {
    auto runner = std::make_unique<InputScriptRunner>();
    std::string error;
    if (!runner->m_script.parse(text, sourceName, &error)) {
        Tov::LogLine("ERROR") << kVariable << ": " << error;
        runner->m_failed = true;
    }
    return runner;
}

bool InputScriptRunner::step() {
    if (m_failed) return false;
    std::vector<std::string> lines;
    {
        std::lock_guard<std::mutex> lock(m_linesLock);
        lines.swap(m_lines);
    }
    for (const std::string& line : lines) m_script.onLogLine(line);
    std::vector<inputscript::Action> actions;
    if (!m_script.step(actions)) {
        Tov::LogLine("ERROR") << kVariable << ": " << m_script.error();
        m_failed = true;
        return false;
    }
    for (const inputscript::Action& action : actions) apply(action);
    return true;
}

void InputScriptRunner::apply(const inputscript::Action& action) {
    using inputscript::ActionKind;
    CDirectInput8* input = CDirectInput8::instance();
    // Game pixels are the window's: DirectInput's mouse counts from the desktop's corner.
    const Vector3 origin = Application::instance() ? Application::instance()->getClientOrigin() : Vector3(0, 0, 0);
    const Vector3 at(origin.x + static_cast<float>(action.x), origin.y + static_cast<float>(action.y), 0.0f);
    switch (action.kind) {
        case ActionKind::Move:
            if (input) input->setMousePosition(at, true);
            break;
        case ActionKind::Press:
        case ActionKind::Release:
            if (input) input->setMousePosition(at, true);
            platform::injectInputRecord(platform::InputDeviceKind::Mouse,
                                        DIMOFS_BUTTON0 + static_cast<DWORD>(action.button),
                                        action.kind == ActionKind::Press ? kPressed : 0);
            break;
        case ActionKind::KeyDown:
        case ActionKind::KeyUp:
            platform::injectInputRecord(platform::InputDeviceKind::Keyboard, static_cast<DWORD>(action.scancode),
                                        action.kind == ActionKind::KeyDown ? kPressed : 0);
            break;
        case ActionKind::Shot: m_shots.push_back(action.file); break;
        case ActionKind::Quit:
            if (CMyD3DApplication* frame = CMyD3DApplication::instance())
                PostMessageA(frame->getWindow(), WM_CLOSE, 0, 0);
            else
                PostQuitMessage(0);
            break;
    }
}

void InputScriptRunner::afterFrame() {
    if (m_shots.empty()) return;
    CMyD3DApplication* frame = CMyD3DApplication::instance();
    IDirect3DDevice9* device = frame ? frame->getDevice() : nullptr;
    for (const std::string& file : m_shots) {
        platform::gfx::Image image;
        IDirect3DSurface9* surface = nullptr;
        bool saved = false;
        if (device && SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface))) {
            saved = platform::gfx::readRenderTarget(device, surface, image) && platform::gfx::savePng(file, image, false);
            surface->Release();
        }
        if (!saved) Tov::LogLine("ERROR") << kVariable << ": cannot take the picture " << file;
    }
    m_shots.clear();
}
