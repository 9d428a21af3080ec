#include "app/application.h"

#include <algorithm>

#include "app/game_layers.h"
#include "app/game_timers.h"
#include "app/input_script_runner.h"
#include "app/mouse_cursor.h"
#include "app/replay_recorder.h"
#include "app/profiles.h"
#include "audio/media_center.h"
#include "core/cli_parser.h"
#include "core/crash_reporter.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "core/math_utils.h"
#include "core/scoped_profiler.h"
#include "core/string_table.h"
#include "flash/base/log.h"
#include "flash/movie/host_callbacks.h"
#include "flash/movie/movie_library.h"
#include "flash/movie/player.h"
#include "flash/render/bitmap_info.h"
#include "flash/render/d3d/render_handler_d3d.h"
#include "graphics/d3d_application.h"
#include "graphics/d3d_device.h"
#include "graphics/font_manager.h"
#include "graphics/texture_container.h"
#include "input/direct_input.h"
#include "particles/effect_mgr.h"
#include "particles/particle_mgr.h"
#include "platform/files.h"
#include "platform/graphics/message_pump.h"
#include "platform/process.h"
#include "script/script_core.h"
#include "script/script_timers.h"
#include "vfs/vfs_manager.h"

namespace {

constexpr const char* kLogFile = "megalog.log";
constexpr const char* kCrashFolder = ".\\crsh";
constexpr const char* kCrashPrefix = "crsh\\Crash_";
constexpr const char* kCrashDumpName = "crash";
constexpr const char* kCrashMessage = "Fatal error! Press OK and send files %s and %s to developers email %s.";
constexpr const char* kSupportAddress = "support@orlimand.invalid";
constexpr const char* kInstanceLockName = "OrlimandMutex";
constexpr const char* kCommonScript = "_common.lua";
constexpr const char* kFirstLogo = "title.dds";
constexpr int kDoubleClickMs = 300;
constexpr int kIconResource = 101;

bool g_crashReporting = true;

// The player's texts, read before the program entry from the plain file in the working folder (not
// the mounted data). A failed load leaves the table empty: every text then shows as its key.
constexpr const char* kStringsFile = "Data\\Texts\\strings.st";
[[maybe_unused]] const bool g_stringsLoaded = StringTable::instance().load(kStringsFile);

}  // namespace

void Application::setCrashReporting(bool on) { g_crashReporting = on; }

Application::Application() : m_logoColour{1, 1, 1, 0} {
    // The logo colour stays not-a-number until start-up shows the first picture.
    std::fill(std::begin(m_logoColour), std::end(m_logoColour), std::numeric_limits<float>::quiet_NaN());
    Tov::LogStream::setFile(kLogFile, false);
    // Made first, so that its waits see the start-up's lines too.
    m_inputScript = InputScriptRunner::fromEnvironment();
}

Application::~Application() { delete m_fadeCallback; }

bool Application::init(const StartInfo& startInfo) {
    // 1. Every path out of start-up logs how long it took.
    ScopedProfiler profiler("Application::init", "Inited application");
    m_initStep = 1;

    // 2. The crash reporter.
    m_initStep = 2;
    if (!platform::createDirectory(kCrashFolder))
        Tov::LogLine("WARNING") << "Application::init" << ": cannot make the folder " << kCrashFolder;
    if (g_crashReporting) CrashReporter::install(kCrashPrefix, kCrashDumpName, 1, true, kSupportAddress, kCrashMessage);

    // 3. The command line: its one switch is accepted and not read (the screen mode is a setting).
    m_initStep = 3;
    {
        CLI::Parser parser;
        parser.addSwitch("full", "f", "Start in fullscreen");
        if (!parser.parse(startInfo.commandLine)) {
            Tov::LogLine("ERROR") << "Application::init" << ": bad command line: " << parser.errorText();
            return false;
        }
    }

    // 4.
    m_initStep = 4;
    initSinCosTables();

    // 5. The file system and its mounts.
    m_initStep = 5;
    m_instance = startInfo.instance;
    new VFS::VFSManager();
    mountFileSystem();

    // 6. Profiles: the profile folder is mounted and "config.sta" read before the window exists.
    m_initStep = 6;
    new Profiles();

    // 7. Window, device and input, in the saved screen mode.
    m_initStep = 7;
    if (!createDevices(s_fullScreenMode->value.b)) return false;

    // 8. The engine instance, the textures and the replay recorder.
    m_initStep = 8;
    m_player = new flash::player();
    // The application holds a count: the engine's own short-lived references to its instance
    // would otherwise free it when they drop.
    m_player->add_ref();
    m_frameTimer.restart();
    new TextureContainer();
    new ReplayRecorder();

    // 9. The first picture at once; its alpha is 0, so only the black clear shows.
    m_initStep = 9;
    m_logoColour[0] = m_logoColour[1] = m_logoColour[2] = 1.0f;
    m_logoColour[3] = 0.0f;
    showOnScreen(kFirstLogo, kGameWidth, kGameHeight, true, kClearColour, m_logoColour);

    // 10.
    m_initStep = 10;
    createRenderTarget();

    // 11.
    m_initStep = 11;
    loadConfig("config.cfg");

    // 12. The engine's file opener, log and render handler.
    m_initStep = 12;
    flash::register_file_opener_callback(&Application::openFile);
    flash::register_log_callback(&Application::logCallback);
    m_player->set_flash_vars("");
    m_renderHandler = flash::create_render_handler_d3d(CMyD3DApplication::instance()->getDevice());
    flash::set_render_handler(m_renderHandler);

    // 13. The fly elements and the level manager.
    m_initStep = 13;
    if (!app::runStartupActions(13)) return false;

    // 14. The script state and the common script.
    m_initStep = 14;
    if (!startScriptState()) return false;
    if (int result = runScriptFile(kCommonScript); result != kScriptOk)
        Tov::LogLine("ERROR") << "Application::init" << ": " << kCommonScript << " did not run, code " << result;

    // 15.
    m_initStep = 15;
    new ScriptTimerManager();

    // 16. The screens join the render list in their order: heads-up panel (with the inventory
    // beside it), main menu, pause menu, dialogs, choose-profile, enter-name, message box; the
    // cursor last.
    m_initStep = 16;
    if (!app::runStartupActions(16)) return false;
    addToRenderList(new MouseCursor());

    // 17. Sound, and the engine's effect, sound and text callbacks. Effects are switched on: a
    // paused effect system would refuse every sound, and nothing would resume it.
    m_initStep = 17;
    auto* media = new MediaSystem::MediaCenter(d_initSndVol->value.f[0], d_initMusVol->value.f[0]);
    flash::register_fx_callback(&Application::effectCallback);
    flash::register_sound_callback(&Application::soundCallback);
    flash::register_drawtext_callback(&Application::drawText);
    media->setSoundEnabled(true);

    // 18.
    m_initStep = 18;
    Profiles::instance()->loadLastProfile();

    // 19. Game timers, particles and fonts.
    m_initStep = 19;
    new GameTimerManager();
    new particle::fxParticleEffectMgr();
    new particle::ParticleMgr();
    new FontManager();
    FontManager::instance()->loadFonts(".font");

    // 20. The console.
    m_initStep = 20;
    if (!app::runStartupActions(20)) return false;

    // 21. The media list and the volumes.
    m_initStep = 21;
    loadMedia();

    // 22. The render handler draws twips 1:1 into the 1024x768 target: there is no coordinate
    // scaling to switch on.
    m_initStep = 22;

    // 23. The loading screen.
    m_initStep = 23;
    if (!app::runStartupActions(23)) return false;

    // 24. The level manager's start decides the result (success while there is none).
    m_initStep = 24;
    return app::runStartupActions(24);
}

template <class T>
void Application::deleteSingleton(const char* name) {
    if (T* object = T::instance()) {
        delete object;
        m_shutdownTrace.emplace_back(name);
    }
}

void Application::shutdown() {
    app::runShutdownActions(app::kShutdownFlyElements, m_shutdownTrace);
    app::runShutdownActions(app::kShutdownDialogPanel, m_shutdownTrace);
    if (m_backBuffer) {
        m_backBuffer->Release();
        m_backBuffer = nullptr;
    }
    if (m_renderTarget) {
        releaseRenderTarget();
        m_shutdownTrace.emplace_back("render target");
    }
    app::runShutdownActions(app::kShutdownLevelManager, m_shutdownTrace);
    deleteSingleton<TextureContainer>("TextureContainer");
    deleteSingleton<ReplayRecorder>("ReplayRecorder");
    deleteSingleton<MouseCursor>("MouseCursor");
    for (int rank = app::kShutdownMsgBox; rank <= app::kShutdownChooseProfile; ++rank)
        app::runShutdownActions(rank, m_shutdownTrace);
    deleteSingleton<ScriptTimerManager>("ScriptTimerManager");
    app::runShutdownActions(app::kShutdownConsole, m_shutdownTrace);
    app::runShutdownActions(app::kShutdownLoading, m_shutdownTrace);
    deleteSingleton<FontManager>("FontManager");
    app::runShutdownActions(app::kShutdownInventory, m_shutdownTrace);
    deleteSingleton<Profiles>("Profiles");
    deleteSingleton<GameTimerManager>("GameTimerManager");
    if (currentScriptState()) {
        closeScriptState();
        m_shutdownTrace.emplace_back("script state");
    }
    flash::register_sound_callback(nullptr);
    deleteSingleton<MediaSystem::MediaCenter>("MediaCenter");
    flash::register_fx_callback(nullptr);
    flash::register_drawtext_callback(nullptr);
    if (particle::fxParticleEffectMgr* effects = particle::fxParticleEffectMgr::instance()) {
        effects->destroy();  // releases the effects and deletes the manager
        m_shutdownTrace.emplace_back("fxParticleEffectMgr");
    }
    deleteSingleton<particle::ParticleMgr>("ParticleMgr");
    deleteSingleton<VFS::VFSManager>("VFSManager");
    flash::register_file_opener_callback(nullptr);
    if (m_renderHandler) {
        // The handler's destructor frees its textures; the device still lives.
        flash::set_render_handler(nullptr);
        delete m_renderHandler;
        m_renderHandler = nullptr;
        m_shutdownTrace.emplace_back("render handler");
    }
    if (m_player) {
        m_player->drop_ref();
        m_player = nullptr;
        m_shutdownTrace.emplace_back("player");
    }
    if (CDirectInput8* input = CDirectInput8::instance()) {
        input->release();
        deleteSingleton<CDirectInput8>("CDirectInput8");
    }
    deleteSingleton<CD3DDevice>("CD3DDevice");
    deleteSingleton<CMyD3DApplication>("CMyD3DApplication");
    // COM has no counterpart here.
}

void Application::removeFromRenderList(BaseRender* item) { std::erase(m_renderList, item); }

void Application::setActivePanel(BaseRender* panel) {
    if (panel) {
        m_previousModalPanel = m_modalPanel;
        m_modalPanel = panel;
        return;
    }
    m_modalPanel = m_previousModalPanel && m_previousModalPanel->isVisible() ? m_previousModalPanel : nullptr;
    m_previousModalPanel = nullptr;
}

void Application::forgetPanel(BaseRender* panel) {
    if (!panel) return;
    if (m_previousModalPanel == panel) m_previousModalPanel = nullptr;
    if (m_modalPanel == panel) setActivePanel(nullptr);
}

bool Application::createDevices(bool fullScreen) {
    // COM has no counterpart here.
    auto* frame = new CMyD3DApplication(fullScreen);
    (void)kIconResource;  // the frame asks for icon 101 itself
    if (FAILED(frame->Create(m_instance, &applicationWindowProc))) return false;
    // A headless window never gets the focus: it counts as always active.
    if (platform::gfx::headlessVideo()) frame->setActive(true);
    auto* device = new CD3DDevice();
    device->setDevice(frame->getDevice());
    auto* input = new CDirectInput8();
    if (FAILED(input->createInterface(m_instance))) return false;
    if (FAILED(input->createKeyboard(frame->getWindow(), [this](KeyEvent* event) { onKeyEvent(event); })))
        return false;
    if (FAILED(input->createMouse(frame->getWindow(), kDoubleClickMs,
                                  [this](MouseEvent* event) { onMouseEvent(event); })))
        return false;
    input->acquire();
    updateWindowMapping(true);
    return true;
}

void Application::requestQuit(int answer) {
    if (answer == 1) m_quit = true;
}

int WinMain(HINSTANCE instance, HINSTANCE, const char* commandLine, int) {
    platform::InstanceLock lock;
    switch (lock.acquire(kInstanceLockName)) {
        case platform::InstanceLock::Result::HeldElsewhere: return 0;
        case platform::InstanceLock::Result::Failed: break;  // logged; the game runs unguarded
        case platform::InstanceLock::Result::Acquired: break;
    }
    auto* app = new Application();
    int exitCode = 0;
    if (app->init(StartInfo{instance, commandLine ? commandLine : ""})) {
        exitCode = app->run();
    } else {
        Tov::LogLine("ERROR") << "Still have errors in AllGameInit()";
        exitCode = Application::kFailedInitExitCode;
    }
    app->shutdown();
    delete app;
    lock.release();
    return exitCode;
}
