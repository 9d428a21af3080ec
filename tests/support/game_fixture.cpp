#include "tests/support/game_fixture.h"

#include "app/game_layers.h"
#include "app/profiles.h"

#include <stdlib.h>
#include <unistd.h>

#include "app/game_layers.h"
#include "app/input_script_runner.h"
#include "app/profiles.h"
#include "core/cvar.h"
#include "core/log_stream.h"
#include "platform/clock.h"
#include "platform/graphics/message_pump.h"
#include "tests/support/environment.h"
#include "tests/support/temp_dir.h"

namespace testsupport {

GameFixture::GameFixture(const std::filesystem::path& dataFolder, unsigned stepMs,
                         const std::filesystem::path& dataHome) {
    useHeadlessDrivers();
    for (int i = 0; i < CVar::getCount(); ++i) {
        CVar* var = CVar::getByIndex(i);
        m_savedVars[var->name] = var->toString();
    }
    if (dataHome.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "tovhome_XXXXXX").string();
        if (::mkdtemp(pattern.data())) m_ownHome = pattern;
        m_dataHome = m_ownHome;
    } else {
        m_dataHome = dataHome;
    }
    if (const char* old = ::getenv("XDG_DATA_HOME")) {
        m_hadXdg = true;
        m_savedXdg = old;
    }
    ::setenv("XDG_DATA_HOME", m_dataHome.c_str(), 1);
    m_previousDir = std::filesystem::current_path();
    std::filesystem::current_path(dataFolder);
    platform::useVirtualClock(stepMs);
    platform::gfx::clearMessageQueue();
    // A crash report would start this test program again as its helper.
    Application::setCrashReporting(false);
    m_app = new Application();
    // The log keeps every file it opened: a path of this folder's own makes a new one.
    static int s_runs = 0;
    m_logPath = (std::filesystem::current_path() / ("game_run_" + std::to_string(++s_runs) + ".log")).string();
    Tov::LogStream::setFile(m_logPath, false);
}

GameFixture::~GameFixture() {
    shutdown();
    delete m_app;
    m_app = nullptr;
    platform::useSystemClock();
    platform::gfx::clearMessageQueue();
    for (const auto& [name, text] : m_savedVars)
        if (CVar* var = CVar::find(name.c_str())) var->setFromString(text.c_str());
    if (m_hadXdg)
        ::setenv("XDG_DATA_HOME", m_savedXdg.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
    std::error_code ec;
    std::filesystem::current_path(m_previousDir, ec);
    if (!m_ownHome.empty()) std::filesystem::remove_all(m_ownHome, ec);
}

bool GameFixture::start(const std::string& commandLine) { return m_app->init(StartInfo{nullptr, commandLine}); }

bool GameFixture::startWithProfile(const std::string& profileName, const std::string& commandLine) {
    if (!start(commandLine)) return false;
    Profiles* profiles = Profiles::instance();
    if (profiles && profiles->name.empty() && !profiles->createProfile(profileName)) return false;
    if (BaseRender* entry = app::screen(app::Screen::EnterName); entry && entry->isVisible()) entry->hide();
    return true;
}

bool GameFixture::turn() {
    platform::advanceVirtualClock();
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return m_app->frame();
}

void GameFixture::runFrames(int frames) {
    for (int ran = 0, turns = 0; ran < frames && turns < frames * 100; ++turns)
        if (turn()) ++ran;
}

bool GameFixture::runInput(const std::string& script, int maxTurns) {
    auto runner = InputScriptRunner::fromText(script, "input");
    for (int i = 0; i < maxTurns && !runner->failed() && !runner->finished(); ++i) {
        if (!runner->step()) break;
        if (turn()) runner->afterFrame();
    }
    return !runner->failed() && runner->finished();
}

void GameFixture::skipLogos() {
    for (int turns = 0; m_app->logoPhase() && turns < 100000; ++turns) turn();
}

void GameFixture::shutdown() {
    if (m_shutDown || !m_app) return;
    m_shutDown = true;
    m_app->shutdown();
}

std::string GameFixture::log() const { return readFile(m_logPath); }

}  // namespace testsupport
