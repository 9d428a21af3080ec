// The main loop, the frame with its pacing, time step, start-up pictures and update order, and
// the drawing into the render target that the final quad puts on the back buffer.
#include <cmath>

#include "app/application.h"
#include "app/game_layers.h"
#include "app/game_timers.h"
#include "app/input_script_runner.h"
#include "app/mouse_cursor.h"
#include "app/replay_recorder.h"
#include "audio/media_center.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "flash/render/bitmap_info.h"
#include "flash/render/render_dispatch.h"
#include "flash/render/d3d/render_handler_d3d.h"
#include "flash/shape/geometry.h"
#include "graphics/d3d_application.h"
#include "graphics/d3d_device.h"
#include "graphics/font.h"
#include "graphics/font_manager.h"
#include "graphics/texture_container.h"
#include "input/direct_input.h"
#include "particles/effect_mgr.h"
#include "core/string_utils.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/graphics/message_pump.h"
#include "platform/log_sink.h"
#include "platform/process.h"
#include "script/script_core.h"
#include "script/script_timers.h"

namespace {

constexpr const char* kLogFile = "megalog.log";
constexpr const char* kLogos[] = {"title.dds", "Dravo.dds"};
constexpr int kLogoCount = 2;
constexpr int kLogoFadeOutMs = 5000;
constexpr int kLogoEndMs = 6000;
constexpr float kFadeSpeed = 2.0f;
constexpr float kMaxUv = 0.99999f;
constexpr D3DCOLOR kDebugTextColour = 0xFFFF0000u;
constexpr const char* kDebugFont = "debug_font";
constexpr const char* kExitPage = "https://orlimand.invalid/thanks";
constexpr const char* kLocalExitPage = "Data\\xmlfiles\\test.html";
// Where a device restore puts the mouse, from the client area's corner.
constexpr float kRestoredMouseX = 420.0f, kRestoredMouseY = 435.0f;
constexpr DWORD kQuadFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct QuadVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};
static_assert(sizeof(QuadVertex) == 28);

D3DCOLOR packArgb(const float colour[4]) {
    auto byte = [](float v) {
        if (!(v > 0.0f)) return 0u;
        if (v >= 1.0f) return 255u;
        return static_cast<unsigned>(v * 255.0f + 0.5f);
    };
    return (byte(colour[3]) << 24) | (byte(colour[0]) << 16) | (byte(colour[1]) << 8) | byte(colour[2]);
}

// One WARNING for each run of unusable target rates.
bool g_warnedBadRate = false;

}  // namespace

float Application::frameInterval() {
    if (d_NoLimitFPS->value.b) return 0.0f;
    const float fps = d_FPSCount->value.f[0];
    if (!std::isfinite(fps) || fps <= 0.0f) {
        if (!g_warnedBadRate) {
            Tov::LogLine("WARNING") << "Application::frame" << ": d_FPSCount " << fps
                                    << " is no frame rate; frames are not paced";
            g_warnedBadRate = true;
        }
        return 0.0f;
    }
    g_warnedBadRate = false;
    return 1000.0f / fps;
}

float Application::stepFor(unsigned elapsedMs, int averageFps) {
    const float speed = d_UpdateSpeed->value.f[0];
    const float most = d_DTMax->value.f[0];
    float step;
    if (d_NoLimitFPS->value.b)
        step = speed * static_cast<float>(elapsedMs) * 0.001f;
    else
        step = averageFps > 0 ? speed / static_cast<float>(averageFps) : most;
    // Whatever the rate, the speed or the largest step say, the step stays in [0, d_DTMax].
    if (!(step > 0.0f)) return 0.0f;
    if (!(step <= most)) step = most > 0.0f ? most : 0.0f;
    return step;
}

int Application::getAverageFps() const {
    if (m_fpsSamples.empty()) return 0;
    double sum = 0;
    for (float sample : m_fpsSamples) sum += sample;
    return static_cast<int>(sum / static_cast<double>(m_fpsSamples.size()));
}

unsigned Application::msUntilNextFrame() {
    const float interval = frameInterval();
    const unsigned dt = m_frameTimer.getElapsedMs();
    if (static_cast<float>(dt) >= interval) return 0;
    return static_cast<unsigned>(std::ceil(interval - static_cast<float>(dt)));
}

int Application::run() {
    Tov::LogStream::setFile(kLogFile, false);
    // The render handler has no frame-start operations: nothing to call here.
    m_frameCount = 0;
    // Scripted input of headless runs; a script that fails ends the run with its own code.
    InputScriptRunner* script = m_inputScript.get();
    int exitCode = 0;
    MSG msg{};
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    msg.message = 0;
    while (msg.message != WM_QUIT && !m_quit) {
        // Time moves by one step per turn when the fixed clock is on.
        platform::advanceVirtualClock();
        if (script && !script->step()) {
            exitCode = InputScriptRunner::kFailedExitCode;
            break;
        }
        CMyD3DApplication* frameApp = CMyD3DApplication::instance();
        const bool active = frameApp && frameApp->isActive();
        BOOL got = active ? PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) : GetMessageA(&msg, nullptr, 0, 0);
        if (!active && !got) msg.message = WM_QUIT;
        if (got) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        if (!active) continue;
        IDirect3DDevice9* device = frameApp->getDevice();
        if (m_renderHandler && m_renderHandler->is_device_lost() && device &&
            device->TestCooperativeLevel() == D3DERR_DEVICENOTRESET) {
            Tov::LogLine("WARNING") << "attempt restore device";
            restoreDevice(true);
            m_renderHandler->set_device_lost(false);
        }
        if (!frame()) {
            // Sleep until the next frame is due instead of spinning.
            if (unsigned wait = msUntilNextFrame()) platform::sleepMs(wait);
        } else if (script) {
            script->afterFrame();
        }
    }
    flash::set_render_handler(nullptr);
    openExitPage();
    return exitCode;
}

void Application::openExitPage() {
    if (d_noLinkAtExit->value.b || platform::gfx::headlessVideo()) return;
    if (platform::openInBrowser(kExitPage)) return;
    const auto local = platform::resolvePath(kLocalExitPage);
    if (local && platform::openInBrowser(*local)) return;
    Tov::LogLine("WARNING") << "Application::run" << ": cannot open the exit page (is xdg-open installed?)";
}

bool Application::frame() {
    const unsigned dt = m_frameTimer.getElapsedMs();
    if (static_cast<float>(dt) < frameInterval()) return false;
    ++m_frameCount;
    if (CDirectInput8* input = CDirectInput8::instance()) input->update();
    // A replay moves on frames, whatever the mouse sends: the input layer's move of every poll
    // routes it already, and without a mouse device this call does (only when an event is due, so
    // it adds no routing of its own between events).
    if (ReplayRecorder* recorder = ReplayRecorder::instance();
        recorder && recorder->isPlaying() && recorder->delayPassed())
        routeMouse(nullptr);

    m_fpsSamples.push_back(dt == 0 ? 1000.0f : 1000.0f / static_cast<float>(dt));
    if (m_fpsSamples.size() > static_cast<size_t>(kFpsWindow))
        m_fpsSamples.erase(m_fpsSamples.begin(), m_fpsSamples.end() - kFpsWindow);
    m_frameTimer.restart();
    setDebugText(4, "real _t: " + std::to_string(dt));

    const float step = stepFor(dt, getAverageFps());
    m_lastStep = step;

    if (m_logoPhase) {
        logoFrame(dt, step);
        return true;
    }

    // The cursor first, then the fly elements.
    if (MouseCursor* cursor = MouseCursor::instance()) cursor->update(step);
    if (app::FlyElements* flights = app::flyElements()) flights->update(step);
    const bool busy = isBusy();
    if (fadeFrame(step)) return true;
    updateGame(step, busy);
    draw(step);
    return true;
}

void Application::logoFrame(unsigned dt, float step) {
    m_logoClock += static_cast<int>(dt);
    float& alpha = m_logoColour[3];
    if (m_logoClock < kLogoFadeOutMs)
        alpha = std::min(alpha + step, 1.0f);
    else
        alpha = std::max(alpha - step, 0.0f);
    if (m_logoClock >= kLogoEndMs) {
        alpha = 0.0f;
        ++m_logoIndex;
        if (m_logoIndex >= kLogoCount) {
            m_logoPhase = false;
            return;
        }
        m_logoClock = 0;
    }
    showOnScreen(kLogos[m_logoIndex], kGameWidth, kGameHeight, true, kClearColour, m_logoColour);
}

bool Application::fadeFrame(float step) {
    float& alpha = m_fadeColour[3];
    if (anyFlag(kFadeIn)) {
        alpha += kFadeSpeed * step;
        if (alpha > 1.0f) {
            alpha = 1.0f;
            setFlag(kFadeIn, false);
        }
        return false;
    }
    if (anyFlag(kFadeOut)) {
        alpha -= kFadeSpeed * step;
        if (alpha < 0.0f) {
            alpha = 0.0f;
            setFlag(kFadeOut, false);
            if (!m_fadeScript.empty()) {
                // Taken before it runs: the script may set the next one.
                const std::string script = std::move(m_fadeScript);
                m_fadeScript.clear();
                runScriptBuffer(script.c_str(), 0, "fade script");
            }
            if (app_helpers::BaseCallBack* callback = m_fadeCallback) {
                m_fadeCallback = nullptr;
                callback->fire();
                delete callback;
            }
            return true;
        }
        return false;
    }
    pollLoadingScreen();
    return false;
}

void Application::updateGame(float step, bool busy) {
    // The current level, the heads-up panel and the level manager's check, when not busy and no
    // dialog holds the game.
    const app::DialogControl* dialogs = app::dialogControl();
    if (app::GameLevel* level = app::currentLevel(); level && !busy && !(dialogs && dialogs->holdsGame())) {
        level->update(step);
        if (BaseRender* panel = app::screen(app::Screen::MainPanel)) panel->update(step);
        if (app::LevelControl* control = app::levelControl()) control->update();
    }
    if (BaseRender* dialogPanel = app::screen(app::Screen::DialogPanel)) dialogPanel->update(step);
    if (d_DebugMode->value.b) {
        setDebugText(0, "version: " + prog_version->text);
        setDebugText(1, "FPS: " + std::to_string(getAverageFps()));
        if (particle::fxParticleEffectMgr* effects = particle::fxParticleEffectMgr::instance()) {
            setDebugText(8, "P: " + std::to_string(effects->getParticleCount()));
            setDebugText(9, "PSYS: " + std::to_string(effects->getSystemCount()));
        }
    }
    if (BaseRender* box = app::screen(app::Screen::MsgBox)) box->update(step);
    // A dialog holds the game, not its clocks: the game timers and particles run on under it.
    if (!busy || (dialogs && dialogs->holdsGame())) {
        // The game timers stop with the particles.
        if (GameTimerManager* timers = GameTimerManager::instance()) timers->update(step);
        if (particle::fxParticleEffectMgr* effects = particle::fxParticleEffectMgr::instance()) effects->update(step);
    }
    if (ScriptTimerManager* timers = ScriptTimerManager::instance()) timers->update(step, false);
    if (MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance()) media->update(step, true);
}

void Application::draw(float step) {
    CMyD3DApplication* frameApp = CMyD3DApplication::instance();
    if (!frameApp) return;
    IDirect3DDevice9* device = frameApp->getDevice();
    if (!device) return;
    if (m_resetRequested) {
        m_resetRequested = false;
        restoreDevice(false);
        s_fullScreenMode->setEnabled(!frameApp->isWindowed());
        return;
    }
    const bool pointScene = d_noRenderFilter1->value.b;
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, pointScene ? D3DTEXF_POINT : D3DTEXF_ANISOTROPIC);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, pointScene ? D3DTEXF_POINT : D3DTEXF_ANISOTROPIC);
    const int width = frameApp->getWidth(), height = frameApp->getHeight();
    flash::render::begin_display(flash::rgba(0, 0, 0, 255), 0, 0, width, height, 0.0f,
                                 static_cast<float>(width * flash::twips_per_pixel), 0.0f,
                                 static_cast<float>(height * flash::twips_per_pixel));

    if (m_renderTarget && m_renderTarget->getTexture()) {
        auto* texture = static_cast<IDirect3DTexture9*>(m_renderTarget->getTexture());
        IDirect3DSurface9* surface = nullptr;
        if (SUCCEEDED(texture->GetSurfaceLevel(0, &surface))) {
            device->SetRenderTarget(0, surface);
            device->Clear(0, nullptr, D3DCLEAR_TARGET, kClearColour, 1.0f, 0);
            surface->Release();
        }
    }
    if (!m_hideScene) {
        // The loading screen alone while it shows, else the current level (by 0 while busy),
        // then the render list.
        BaseRender* loading = app::screen(app::Screen::Loading);
        if (loading && loading->isVisible()) {
            loading->render(step);
        } else {
            if (app::GameLevel* level = app::currentLevel(); level && level->isVisible())
                level->render(isBusy() ? 0.0f : step);
            for (BaseRender* item : m_renderList)
                if (item && item->isVisible()) item->render(step);
        }
    }
    if (particle::fxParticleEffectMgr* effects = particle::fxParticleEffectMgr::instance()) effects->draw();
    if (d_DebugMode->value.b) {
        if (Font* font = getFontByName(kDebugFont)) {
            const float lineHeight = static_cast<float>(font->getHeight());
            for (int line = 0; line < kDebugLines; ++line)
                font->drawText(10.0f, 5.0f + lineHeight * static_cast<float>(line), kDebugTextColour,
                               utf8ToWString(m_debugLines[static_cast<size_t>(line)]), 0, -1.0f, 0xFF000000u);
        }
    }
    if (m_backBuffer) device->SetRenderTarget(0, m_backBuffer);
    const bool pointQuad = frameApp->isWindowed() && d_noRenderFilter2->value.b;
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, pointQuad ? D3DTEXF_POINT : D3DTEXF_ANISOTROPIC);
    if (frameApp->isWindowed())
        device->SetSamplerState(0, D3DSAMP_MINFILTER, pointQuad ? D3DTEXF_POINT : D3DTEXF_ANISOTROPIC);
    drawQuad(m_renderTarget, d_rX->value.f[0], d_rY->value.f[0], kGameWidth, kGameHeight, 0, kMaxUv, 0, kMaxUv,
             packArgb(m_fadeColour), anyFlag(kFadeIn | kFadeOut));
    // The back buffer holds the composed frame only until it is presented.
    if (m_screenshotsRequested > 0) writeScreenshot(device);
    flash::render::end_display();
}

void Application::drawQuad(const TexturePtr& texture, float x, float y, float width, float height, float uLeft,
                           float uRight, float vTop, float vBottom, D3DCOLOR colour, bool blend) {
    IDirect3DDevice9* device = CMyD3DApplication::instance() ? CMyD3DApplication::instance()->getDevice() : nullptr;
    if (!device) return;
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend ? TRUE : FALSE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    IDirect3DBaseTexture9* base = texture ? texture->getTexture() : nullptr;
    if (base) {
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    } else {
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    }
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    DWORD keptFvf = 0;
    device->GetFVF(&keptFvf);
    device->SetFVF(kQuadFvf);
    if (uRight == 1.0f) uRight = kMaxUv;
    if (vBottom == 1.0f) vBottom = kMaxUv;
    CD3DDevice::setRenderStateCached(D3DRS_FOGENABLE, FALSE);
    const QuadVertex vertices[4] = {{x, y, 1, 1, colour, uLeft, vTop},
                                    {x + width, y, 1, 1, colour, uRight, vTop},
                                    {x, y + height, 1, 1, colour, uLeft, vBottom},
                                    {x + width, y + height, 1, 1, colour, uRight, vBottom}};
    device->SetTexture(0, base);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, vertices, sizeof(QuadVertex));
    device->SetFVF(keptFvf);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
}

void Application::showOnScreen(const std::string& textureName, int width, int height, bool centred,
                               D3DCOLOR clearColour, const float colour[4]) {
    CMyD3DApplication* frameApp = CMyD3DApplication::instance();
    IDirect3DDevice9* device = frameApp ? frameApp->getDevice() : nullptr;
    if (!device) return;
    float x = 0, y = 0;
    if (centred) {
        x = static_cast<float>(frameApp->getWidth() - width) * 0.5f;
        y = static_cast<float>(frameApp->getHeight() - height) * 0.5f;
    }
    constexpr const char* where = "Application::showOnScreen";
    if (FAILED(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, clearColour, 1.0f, 0)))
        Tov::LogLine("ERROR") << "failed Clear in " << where;
    if (FAILED(device->BeginScene())) Tov::LogLine("ERROR") << "failed BeginScene in " << where;
    TexturePtr texture = TextureContainer::instance() ? TextureContainer::instance()->getTexture(textureName)
                                                      : TexturePtr();
    if (texture && texture->getTexture()) {
        drawQuad(texture, x, y, static_cast<float>(width), static_cast<float>(height), 0, kMaxUv, 0, kMaxUv,
                 packArgb(colour), true);
    } else {
        // A missing picture leaves the black clear, said once per picture.
        static std::string s_lastMissing;
        if (s_lastMissing != textureName) {
            Tov::LogLine("ERROR") << where << ": cannot load the picture " << textureName;
            s_lastMissing = textureName;
        }
    }
    if (FAILED(device->EndScene())) Tov::LogLine("ERROR") << "failed EndScene in " << where;
    if (FAILED(device->Present(nullptr, nullptr, nullptr, nullptr)))
        Tov::LogLine("ERROR") << "failed Present in " << where;
}

void Application::restoreDevice(bool resetOnly) {
    CMyD3DApplication* frameApp = CMyD3DApplication::instance();
    if (!frameApp) return;
    if (m_backBuffer) {
        m_backBuffer->Release();
        m_backBuffer = nullptr;
    }
    if (TextureContainer* textures = TextureContainer::instance()) textures->unloadDefaultPool();
    if (m_renderHandler) flash::release_render_handler_d3d(m_renderHandler);
    if (resetOnly)
        frameApp->Reset3DEnvironment();
    else
        frameApp->toggleFullscreen();
    if (m_renderHandler) flash::reset_render_handler_d3d(frameApp->getDevice(), m_renderHandler);
    if (TextureContainer* textures = TextureContainer::instance()) textures->reloadDefaultPool();
    createRenderTarget();
    if (MouseCursor* cursor = MouseCursor::instance()) cursor->updateScales();
    updateWindowMapping(false);
    if (CDirectInput8* input = CDirectInput8::instance()) {
        const Vector3 origin = getClientOrigin();
        input->setMousePosition(Vector3(origin.x + kRestoredMouseX, origin.y + kRestoredMouseY, 0), true);
    }
    routeMouse(nullptr);
    // Hidden: the game draws its own.
    showSystemCursor(false);
}

void Application::startFadeOut() {
    if (anyFlag(kFadesDisabled)) return;
    if (!anyFlag(kFadeIn)) m_fadeColour[0] = m_fadeColour[1] = m_fadeColour[2] = m_fadeColour[3] = 1.0f;
    setFlag(kFadeIn, false);
    setFlag(kFadeOut, true);
}

void Application::startFadeIn() {
    if (anyFlag(kFadesDisabled)) return;
    if (!anyFlag(kFadeOut)) {
        m_fadeColour[0] = m_fadeColour[1] = m_fadeColour[2] = 1.0f;
        m_fadeColour[3] = 0.0f;
    }
    // The message box is hidden here once it exists.
    setFlag(kFadeOut, false);
    setFlag(kFadeIn, true);
}

void Application::setFadeCallback(app_helpers::BaseCallBack* callback) {
    if (callback == m_fadeCallback) return;
    delete m_fadeCallback;
    m_fadeCallback = callback;
}

void Application::setDebugText(int line, const std::string& text) {
    if (d_DebugMode->value.b && line >= 0 && line < kDebugLines) m_debugLines[static_cast<size_t>(line)] = text;
}
