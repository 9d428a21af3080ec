// The services the application holds for levels, screens and scripts: the wrong-click penalty,
// the two fades that hand the game over from a menu or a finished level to the loading screen and
// from there to the next level, and screenshots of the composed frame.
#include <algorithm>
#include <string>

#include "app/application.h"
#include "app/game_layers.h"
#include "app/mouse_cursor.h"
#include "app/profiles.h"
#include "audio/media_center.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "graphics/d3d_application.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/graphics/d3dx9.h"

namespace {

constexpr const char* kWrongClickSound = "wrong_click";
constexpr const char* kOverclickText = "ids_overclick";
constexpr const char* kDialogsMovie = "dialogs.swf";
constexpr const char* kScreenshotFolder = ".\\screenshots";
constexpr const char* kScreenshotBase = ".\\screenshots\\screenshot_";
constexpr const char* kScreenshotExtension = ".bmp";
// Names tried for one tick count before a screenshot gives up.
constexpr int kMaxScreenshotSuffix = 1000;
// Print screen presses kept for the next frame; more in one frame are dropped.
constexpr int kMaxScreenshotsPerFrame = 8;

// The route to a loaded level: the level manager, or nothing when there is none.
void enterLevel(const std::string& name) {
    if (app::LevelControl* control = app::levelControl()) control->enterLevel(name);
}

}  // namespace

// The script functions of this file's services (level_handover_script.cpp).
bool linkHandoverScriptFunctions();
[[maybe_unused]] static const bool s_handoverScriptLinked = linkHandoverScriptFunctions();

void Application::applyOverclickPenalty() {
    if (isBusy()) return;
    if (m_wrongClicks == 0) m_clickTimer.restart();
    if (static_cast<int64_t>(m_clickTimer.getElapsedMs()) < static_cast<int64_t>(d_penaltyTimer->value.i)) {
        if (MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance())
            media->playSound(kWrongClickSound, false, true, true);
        ++m_wrongClicks;
    } else {
        m_wrongClicks = 0;
    }
    m_clickTimer.restart();
    if (m_wrongClicks < d_penaltyClickCount->value.i) return;
    m_wrongClicks = 0;
    Profiles* profiles = Profiles::instance();
    if (profiles && !profiles->anyFlag(Profiles::kWrongMsgShown)) {
        if (app::MessageBox* box = app::messageBox()) box->show(app::MessageBox::kTypeOk, kOverclickText, nullptr);
        profiles->setFlag(Profiles::kWrongMsgShown, true);
        profiles->save();
        return;
    }
    if (MouseCursor* cursor = MouseCursor::instance()) cursor->startPenalty();
}

void Application::resetTimer() {
    m_savedWrongClicks = m_wrongClicks;
    m_wrongClicks = 0;
    m_clickTimer.restart();
}

void Application::startLoading(const std::string& levelName) {
    setFadeCallback(new app_helpers::CallBack<Application>(this, &Application::beginLoading));
    app::LevelControl* control = app::levelControl();
    // A name the graph does not know (an old profile's) goes to the next level of the progress.
    m_loadingLevel = control ? control->levelToLoad(levelName) : levelName;
    if (app::LoadingScreen* loading = app::loadingScreen()) {
        loading->setLevelName(m_loadingLevel);
        // The dialog panel's movie is read beside the level's until the panel has its own.
        if (const app::DialogControl* dialogs = app::dialogControl(); !dialogs || !dialogs->isLoaded())
            loading->addMovie(kDialogsMovie);
    }
    if (MouseCursor* cursor = MouseCursor::instance()) cursor->setVisible(false);
    if (!fadesEnabled()) {
        // No fade-out ends while fades are off: the hand-over goes on at once.
        setFadeCallback(nullptr);
        beginLoading();
        return;
    }
    startFadeOut();
}

void Application::beginLoading() {
    if (app::LevelControl* control = app::levelControl()) control->onEndCurrentLevel(m_loadingLevel);
    startFadeIn();
    if (BaseRender* menu = app::screen(app::Screen::MainMenu)) menu->hide();
    app::LoadingScreen* loading = app::loadingScreen();
    if (!loading || !loading->startLoader()) {
        // Without a loader the level is read where it starts.
        if (loading) Tov::LogLine("ERROR") << "Application::beginLoading" << ": the loader did not start";
        if (BaseRender* screen = app::screen(app::Screen::Loading)) screen->hide();
        enterLevel(m_loadingLevel);
    }
}

void Application::pollLoadingScreen() {
    BaseRender* screen = app::screen(app::Screen::Loading);
    app::LoadingScreen* loading = app::loadingScreen();
    if (!screen || !loading || !screen->isVisible() || !loading->loaderFinished()) return;
    onLevelLoad(loading->loaderExitCode());
}

void Application::onLevelLoad(uint32_t code) {
    if (code != 0) {
        Tov::LogLine("ERROR") << "Application::onLevelLoad" << " _code = " << code;
    } else {
        setFadeCallback(nullptr);
        BaseRender* screen = app::screen(app::Screen::Loading);
        app::LoadingScreen* loading = app::loadingScreen();
        if (screen && loading && screen->isVisible() && loading->shownTime() < s_LoadingLevelTime->value.f[0]) return;
    }
    setFadeCallback(new app_helpers::CallBack<Application>(this, &Application::levelLoaded));
    if (!fadesEnabled()) {
        setFadeCallback(nullptr);
        levelLoaded();
        return;
    }
    startFadeOut();
}

void Application::levelLoaded() {
    if (BaseRender* screen = app::screen(app::Screen::Loading)) screen->hide();
    if (MouseCursor* cursor = MouseCursor::instance()) cursor->setVisible(true);
    enterLevel(m_loadingLevel);
}

void Application::writeScreenshot(IDirect3DDevice9* device) {
    const int count = std::min(m_screenshotsRequested, kMaxScreenshotsPerFrame);
    m_screenshotsRequested = 0;
    for (int shot = 0; shot < count; ++shot) {
        if (!platform::createDirectory(kScreenshotFolder))
            Tov::LogLine("WARNING") << "Application::saveScreenshot" << ": cannot make the folder " << kScreenshotFolder;
        IDirect3DSurface9* surface = nullptr;
        if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface)) || !surface) return;
        const std::string base = kScreenshotBase + std::to_string(platform::monotonicMs());
        std::string name = base + kScreenshotExtension;
        for (int n = 0; platform::fileExists(name) && n <= kMaxScreenshotSuffix; ++n)
            name = base + std::to_string(n) + kScreenshotExtension;
        if (platform::fileExists(name)) {
            Tov::LogLine("ERROR") << "Application::saveScreenshot" << ": no free name for " << base;
        } else if (FAILED(D3DXSaveSurfaceToFileA(name.c_str(), D3DXIFF_BMP, surface, nullptr, nullptr))) {
            Tov::LogLine("ERROR") << "Application::saveScreenshot" << ": cannot write " << name;
        } else {
            m_lastScreenshot = name;
        }
        surface->Release();
    }
}
