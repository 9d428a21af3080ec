#include "app/input_script_runner.h"

#include <cstdlib>

#include "core/log_stream.h"
#include "graphics/d3d_application.h"
#include "input/direct_input.h"
#include "platform/files.h"
#include "platform/graphics/gfx_control.h"
#include "platform/graphics/message_pump.h"
#include "platform/input/dinput.h"

namespace {

constexpr DWORD kPressed = 0x80;
// Log bytes read at most per turn (a long start-up log is taken over a few turns).
constexpr size_t kMaxLogBytesPerTurn = 1u << 20;

}  // namespace

std::unique_ptr<InputScriptRunner> InputScriptRunner::fromEnvironment(const std::string& logFile) {
    const char* path = std::getenv(kVariable);
    if (!path || !*path) return nullptr;
    auto runner = std::make_unique<InputScriptRunner>();
    runner->m_logFile = logFile;
    std::string error;
    if (!runner->m_script.load(path, &error)) {
        Tov::LogLine("ERROR") << kVariable << ": " << error;
        runner->m_failed = true;
    }
    return runner;
}

std::unique_ptr<InputScriptRunner> InputScriptRunner::fromText(const std::string& text, const std::string& sourceName,
                                                               const std::string& logFile) {
    auto runner = std::make_unique<InputScriptRunner>();
    runner->m_logFile = logFile;
    std::string error;
    if (!runner->m_script.parse(text, sourceName, &error)) {
        Tov::LogLine("ERROR") << kVariable << ": " << error;
        runner->m_failed = true;
    }
    return runner;
}

void InputScriptRunner::readNewLogLines() {
    platform::File file;
    if (!file.open(m_logFile, platform::File::Mode::Read)) return;
    const std::optional<uint64_t> size = file.size();
    if (!size) return;
    if (*size < m_logOffset) m_logOffset = 0;  // the log started afresh
    if (*size == m_logOffset || !file.seek(static_cast<int64_t>(m_logOffset), 0)) return;
    std::string bytes(static_cast<size_t>(std::min<uint64_t>(*size - m_logOffset, kMaxLogBytesPerTurn)), '\0');
    const int64_t got = file.read(bytes.data(), bytes.size());
    if (got <= 0) return;
    m_logOffset += static_cast<uint64_t>(got);
    m_partialLine.append(bytes.data(), static_cast<size_t>(got));
    size_t start = 0;
    for (size_t end; (end = m_partialLine.find('\n', start)) != std::string::npos; start = end + 1)
        m_script.onLogLine(std::string_view(m_partialLine).substr(start, end - start));
    m_partialLine.erase(0, start);
}

bool InputScriptRunner::step() {
    if (m_failed) return false;
    readNewLogLines();
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
    const Vector3 at(static_cast<float>(action.x), static_cast<float>(action.y), 0.0f);
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
