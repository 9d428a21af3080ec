#pragma once
// The game application: start-up in a fixed order of steps, the main loop and the frame, drawing
// through an off-screen render target and a final quad that carries the screen fades, the Flash
// engine's callbacks, the configuration files, the mounts and the media list, and the shutdown
// that deletes what start-up made in a fixed order. Every manager and screen is a singleton of
// its own class; the application owns the engine instance, its render handler, the frame timers
// and the render list.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/callback.h"
#include "app/base_render.h"
#include "core/attr_tree.h"
#include "core/flag_object.h"
#include "core/math_utils.h"
#include "core/singleton.h"
#include "core/timer.h"
#include "graphics/texture.h"
#include "platform/graphics/d3d9.h"

namespace flash {
class player;
class render_handler;
class bx_file;
class character;
class edit_text_character;
}  // namespace flash

struct KeyEvent;
struct MouseEvent;

// What the program entry hands to start-up.
struct StartInfo {
    HINSTANCE instance = nullptr;
    std::string commandLine;
};

class InputScriptRunner;

class Application : public Tov::Singleton<Application>, public Tov::FlagObject<unsigned int> {
public:
    // Flag bits.
    static constexpr unsigned kFadeIn = 1;
    static constexpr unsigned kFadeOut = 2;
    static constexpr unsigned kFadesDisabled = 4;
    static constexpr unsigned kMouseInside = 8;

    static constexpr int kDebugLines = 10;
    static constexpr int kFpsWindow = 30;
    static constexpr int kGameWidth = 1024;
    static constexpr int kGameHeight = 768;
    static constexpr D3DCOLOR kClearColour = 0xFF000000u;

    // Console exit code of a start-up that failed.
    static constexpr int kFailedInitExitCode = 666;

    Application();
    ~Application() override;

    // Start-up; false when a step failed (the caller still runs the shutdown).
    bool init(const StartInfo& startInfo);
    // The main loop; 0.
    int run();
    // Deletes what start-up made, in the fixed order, skipping what was never made.
    void shutdown();

    // One frame: false when pacing skipped it.
    bool frame();
    void draw(float step);
    void restoreDevice(bool resetOnly);
    void showOnScreen(const std::string& textureName, int width, int height, bool centred, D3DCOLOR clearColour,
                      const float colour[4]);
    void drawQuad(const TexturePtr& texture, float x, float y, float width, float height, float uLeft, float uRight,
                  float vTop, float vBottom, D3DCOLOR colour, bool blend);
    int getAverageFps() const;

    // Window procedure (the free function forwards here while the application exists).
    LRESULT wndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool createDevices(bool fullScreen);
    void onKeyEvent(KeyEvent* event);
    void onMouseEvent(MouseEvent* event);

    // Input routing (input_routing.cpp). The window rectangle, and the DirectInput mouse bounded
    // to the desktop (centred in the window on request).
    void updateWindowMapping(bool centreMouse);
    // The client area's top-left corner on the desktop in a window; (0, 0, 0) in full screen.
    Vector3 getClientOrigin() const;
    // One mouse update (null: none, as playback and device restores send): recorded or replayed,
    // then to the modal panel or the render list and the level, and the cursor moves.
    void routeMouse(MouseEvent* event);
    // The debug keys (only in debug mode).
    void onDebugKey(KeyEvent* event);
    // A clip event of the current level's movie, forwarded unless input is locked.
    void onSwfEvent(flash::character* ch, int eventCode);
    // The native event callback levels store in their clips: forwards to onSwfEvent.
    static void swfEventCallback(flash::character* ch, int eventCode);
    // A handler that used a click stops it from reaching anything after it; every release clears it.
    void setInputLocked(bool on) { m_inputLocked = on; }
    bool inputLocked() const { return m_inputLocked; }
    int mouseButtons() const { return m_mouseButtons; }
    // A level start forgets the buttons held before it.
    void clearMouseButtons() { m_mouseButtons = 0; }
    bool wireframe() const { return m_wireframe; }
    bool resetRequested() const { return m_resetRequested; }
    // Alt+Enter and the pause menu: the saved mode turns over and the window follows it at the
    // next draw (two switches before a draw cancel out).
    void switchWindowMode();
    bool hideScene() const { return m_hideScene; }
    void setOnActivateScript(const std::string& script) { m_onActivateScript = script; }
    // Moves the system cursor's display count to the wanted side of zero (shown: 0 or more).
    static void showSystemCursor(bool show);

    // A message-box answer: 1 ends the main loop.
    void requestQuit(int answer);

    // The modal panel: while one is set the game is busy (the level is not updated).
    bool isBusy() const { return m_modalPanel != nullptr; }
    BaseRender* modalPanel() const { return m_modalPanel; }
    // With a panel it becomes modal and the previous one is remembered; with none the remembered
    // one comes back when it is still visible.
    void setActivePanel(BaseRender* panel);
    // A drawable that goes away leaves the modal place and the remembered one.
    void forgetPanel(BaseRender* panel);
    std::vector<BaseRender*>& renderList() { return m_renderList; }
    void addToRenderList(BaseRender* item) { m_renderList.push_back(item); }
    void removeFromRenderList(BaseRender* item);

    // Fades of the final quad.
    void startFadeIn();
    void startFadeOut();
    // Takes ownership; replaces (and deletes) a pending one.
    void setFadeCallback(app_helpers::BaseCallBack* callback);
    void setFadeScript(const std::string& script) { m_fadeScript = script; }
    const float* fadeColour() const { return m_fadeColour; }

    // Wrong clicks, the hand-over between the loading screen and a level, screenshots
    // (level_handover.cpp).
    // One click that hit nothing: it counts when it follows the previous one soon enough, and
    // enough of them show the explanation once per profile, later the cursor's penalty.
    void applyOverclickPenalty();
    // Saves and zeroes the wrong-click count and restarts its timer.
    void resetTimer();
    int wrongClicks() const { return m_wrongClicks; }
    // Undoes the last reset.
    void restoreWrongClicks() { m_wrongClicks = m_savedWrongClicks; }
    bool fadesEnabled() const { return !anyFlag(kFadesDisabled); }
    void setFadesEnabled(bool on) { setFlag(kFadesDisabled, !on); }
    // Fades out to the loading screen, which then loads the level (empty: the next one).
    void startLoading(const std::string& levelName);
    // The finished loader's exit code: once the screen was shown long enough, fades out to the
    // level.
    void onLevelLoad(uint32_t code);
    // Takes a screenshot of the next composed frame.
    void saveScreenshot() { ++m_screenshotsRequested; }
    // The file the last screenshot went to (empty before the first).
    const std::string& lastScreenshot() const { return m_lastScreenshot; }

    void setDebugText(int line, const std::string& text);
    const std::string& debugText(int line) const { return m_debugLines[static_cast<size_t>(line)]; }

    // Engine callbacks (engine_callbacks.cpp, text_drawing.cpp).
    static flash::bx_file* openFile(const char* name);
    static void logCallback(bool isError, const char* text);
    static void soundCallback(flash::character* ch, const char* name);
    static void effectCallback(flash::character* ch, const char* effectName);
    static void drawText(flash::edit_text_character* field);

    // Configuration, mounts, media, render target (config.cpp).
    static void loadConfig(const std::string& fileName);
    static void saveConfig(const std::string& fileName, uint32_t flagMask);
    void mountFileSystem();
    void mountList(const Attr::AttributePtr& tree, const std::string& listName);
    void loadMedia();
    void createRenderTarget();
    void releaseRenderTarget();

    flash::player* player() const { return m_player; }
    flash::render_handler* renderHandler() const { return m_renderHandler; }
    const TexturePtr& renderTarget() const { return m_renderTarget; }
    unsigned frameCount() const { return m_frameCount; }
    bool quitRequested() const { return m_quit; }
    bool logoPhase() const { return m_logoPhase; }
    int logoIndex() const { return m_logoIndex; }
    int logoClock() const { return m_logoClock; }
    const float* logoColour() const { return m_logoColour; }
    // The step of the last frame that ran.
    float lastStep() const { return m_lastStep; }
    // Milliseconds until pacing lets the next frame run (0 when it may run now).
    unsigned msUntilNextFrame();
    const std::vector<float>& fpsSamples() const { return m_fpsSamples; }
    // The start-up step reached last (1 to 24), and the objects the shutdown deleted, in order.
    int initStep() const { return m_initStep; }
    const std::vector<std::string>& shutdownTrace() const { return m_shutdownTrace; }

    // Whether start-up installs the crash reporter (test processes have no helper entry).
    static void setCrashReporting(bool on);

    // The step the frame takes for an elapsed time (exposed for the frame rules' tests).
    static float stepFor(unsigned elapsedMs, int averageFps);
    // The shortest time between paced frames in milliseconds; 0 when frames are not paced.
    static float frameInterval();

private:
    void logoFrame(unsigned dt, float step);
    bool fadeFrame(float step);
    void updateGame(float step, bool busy);
    void loadPlayerProfiles();
    // The end actions of the two hand-over fades.
    void beginLoading();
    void levelLoaded();
    // Frame step 10 without a fade: the finished loader's result.
    void pollLoadingScreen();
    // Writes the back buffer of a composed frame before it is presented.
    void writeScreenshot(IDirect3DDevice9* device);
    void openExitPage();
    template <class T>
    void deleteSingleton(const char* name);

    unsigned m_initFailed = 0;
    std::string m_onActivateScript;
    HINSTANCE m_instance = nullptr;
    flash::player* m_player = nullptr;
    flash::render_handler* m_renderHandler = nullptr;
    int m_nonClientHeight = 0;
    int m_windowLeft = 0, m_windowTop = 0, m_windowRight = 0, m_windowBottom = 0;
    int m_mouseButtons = 0;
    // Where the replay's last entry put the pointer (-1: no entry taken yet).
    int m_replayX = -1, m_replayY = -1;
    bool m_quit = false;
    std::vector<float> m_fpsSamples;
    std::vector<BaseRender*> m_renderList;
    BaseRender* m_modalPanel = nullptr;
    BaseRender* m_previousModalPanel = nullptr;
    bool m_wireframe = false;
    bool m_inputLocked = false;
    bool m_resetRequested = false;
    int m_updateSpeedStep = 0;  // the F key's place in its cycle of update speeds
    unsigned m_frameCount = 0;
    TexturePtr m_renderTarget;
    int m_wrongClicks = 0, m_savedWrongClicks = 0;
    float m_fadeColour[4] = {1, 1, 1, 1};
    app_helpers::BaseCallBack* m_fadeCallback = nullptr;
    std::string m_fadeScript;
    std::array<std::string, kDebugLines> m_debugLines;
    CTimer m_frameTimer;
    CTimer m_clickTimer;
    int m_screenshotsRequested = 0;
    // The level the running hand-over goes to.
    std::string m_loadingLevel;
    std::string m_lastScreenshot;

    // Frame data.
    bool m_logoPhase = true;
    int m_logoClock = -3000;
    int m_logoIndex = 0;
    float m_logoColour[4];
    bool m_hideScene = false;
    IDirect3DSurface9* m_backBuffer = nullptr;
    float m_lastStep = 0.0f;

    Attr::AttributePtr m_mediaDescription;
    // Scripted input of headless runs, watching the log from the start.
    std::unique_ptr<InputScriptRunner> m_inputScript;
    int m_initStep = 0;
    std::vector<std::string> m_shutdownTrace;
};

// The window procedure given to the frame: forwards to the application while it exists.
LRESULT applicationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The program entry: one running copy, then start-up, the main loop and the shutdown. Returns
// the exit code: 0, or 666 when start-up failed.
int WinMain(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int show);
