#pragma once
// The game layers built on the application library (the screens, the levels and their manager),
// as the application knows them: faces that the upper layers' singletons implement and register.
// The application's start-up, frame, input routing and shutdown, and the screens' calls into the
// levels, go through them, so the libraries depend one way (app, then screens, then levels). While
// a layer is absent its face is null and the callers do nothing.
//
// A layer that needs a new call from below adds it to its own face here, as small as the call.
#include <cstdint>
#include <functional>
#include <string>

#include "app/base_render.h"

struct InputEvent;
struct KeyEvent;

namespace flash {
class character;
}

namespace app {

// A level as the application and the screens reach it; the level base implements it.
class GameLevel : public BaseRender {
public:
    // A clip event forwarded by the application from the clip's native callback.
    virtual void onEvent(flash::character* ch, int eventCode) = 0;
    // The input event that carried the last mouse state; true when it was used.
    virtual bool onInputEvent(InputEvent* event) = 0;
    // A key, offered before the application's own keys; true when it was used.
    virtual bool onKey(KeyEvent* event) = 0;
    // The hint and the skip of the heads-up panel; true when the level gave one.
    virtual bool hint() = 0;
    virtual bool skip() = 0;
    // The level's zoom (1.0 is its own size).
    virtual void scale(float factor) = 0;
    // Whether the level's movie reports its top movie ready for events.
    virtual bool isMovieReady() const = 0;

    // The level's elements as the heads-up panel's task list reads them: name and kind of each,
    // in the level's element order.
    class ElementVisitor {
    public:
        virtual ~ElementVisitor() = default;
        virtual void visit(const std::string& name, int kind) = 0;
    };
    virtual void visitElements(ElementVisitor& visitor) const { (void)visitor; }
    // The clip of the first element of that name; null when there is none.
    virtual flash::character* elementClip(const std::string& name) {
        (void)name;
        return nullptr;
    }
};

// The level manager as the application and the screens reach it.
class LevelControl {
public:
    virtual ~LevelControl() = default;
    // The level being played; with `deep` the innermost minilevel open in it. Null when none.
    virtual GameLevel* getCurrentLevel(bool deep) = 0;

    // The level hand-over (the manager implements them; a manager without them does nothing).
    // Starts a level at once; false when it cannot start (progress and the running level stay).
    virtual bool startLevel(const std::string& /*name*/) { return false; }
    // Starts a level; one that cannot start ends in the main menu, never on an empty screen.
    virtual void enterLevel(const std::string& /*name*/) {}
    // Ends the running level before the named one starts.
    virtual void onEndCurrentLevel(const std::string& /*nextName*/) {}
    // The level a loading request goes to: the requested one when the graph knows it, else the
    // next level of the progress (empty: none).
    virtual std::string levelToLoad(const std::string& requested) { return requested; }
    // The end-of-level check of the frame.
    virtual void update() {}
    // Stops the script timers, waits for the preload worker and lets go of the current level.
    virtual void waitLoader() {}
    // Puts the running level back to its start without ending it and without a fade: its entry
    // step runs again (its minilevels are kept and restarted). Nothing without a running level.
    virtual void restartCurrentLevel() {}
    // The debug key's completion of the current level (W in debug mode); nothing by default.
    virtual void debugCompleteLevel() {}
};
// The registered manager (null while none exists); the manager registers itself and clears the
// registration when it ends.
LevelControl* levelControl();
void setLevelControl(LevelControl* control);
// The current level through the registered manager, or null.
GameLevel* currentLevel(bool deep = false);

// The running fly elements as the frame advances them (right after the cursor, before the level).
class FlyElements {
public:
    virtual ~FlyElements() = default;
    virtual void update(float dt) = 0;
};
// The registered fly elements (null while none exist).
FlyElements* flyElements();
void setFlyElements(FlyElements* elements);

// The message box as the application and the levels reach it. Answers: 0 OK, 1 yes, 2 no.
class MessageBox {
public:
    using AnswerCallback = std::function<void(int answer)>;
    static constexpr int kTypeOk = 0;
    static constexpr int kTypeYesNo = 1;
    static constexpr int kTypeTask = 4;
    static constexpr int kTypeTaskComplete = 5;

    virtual ~MessageBox() = default;
    // Shows the translated text of the id; a new show replaces a pending callback.
    virtual void show(int type, const std::string& textId, AnswerCallback callback) = 0;
    // Shows without a callback; the script runs once when the box is answered.
    virtual void showWithScript(int type, const std::string& textId, const std::string& script) = 0;
};
// The registered message box (null while none exists).
MessageBox* messageBox();
void setMessageBox(MessageBox* box);

// The loading screen as the application drives it: the level it loads, the movies it reads
// after the level's own, its loader thread and how long it has been shown. Its visibility is
// that of `screen(Screen::Loading)`.
class LoadingScreen {
public:
    virtual ~LoadingScreen() = default;
    virtual void setLevelName(const std::string& name) = 0;
    virtual const std::string& levelName() const = 0;
    virtual void addMovie(const std::string& fileName) = 0;
    // Shows the screen and starts the loader; false when the loader could not start.
    virtual bool startLoader() = 0;
    virtual bool loaderFinished() const = 0;
    virtual uint32_t loaderExitCode() const = 0;
    // Seconds drawn since the screen was last shown or hidden.
    virtual float shownTime() const = 0;
};
// The registered loading screen (null while none exists).
LoadingScreen* loadingScreen();
void setLoadingScreen(LoadingScreen* screen);

// The dialog panel as the application and the level manager reach it.
class DialogControl {
public:
    virtual ~DialogControl() = default;
    // Loads the panel's movie once (the first level start asks for it).
    virtual void init() = 0;
    // The movie is loaded: the loading route need not read it for the panel any more.
    virtual bool isLoaded() const = 0;
    // A dialog holds the game: the level and the heads-up panel wait, while the game timers and
    // particles run on.
    virtual bool holdsGame() const = 0;
    // Plays the named dialog; the end script runs once when it is over (at once when it cannot
    // play, the answer then being false).
    virtual bool startDialog(const std::string& name, bool flag, const std::string& endScript) = 0;
};
// The registered dialog panel (null while none exists).
DialogControl* dialogControl();
void setDialogControl(DialogControl* dialogs);
// The pause menu as the key chain and the other screens open it: over the game (false) or as
// the main menu's options (true).
class PauseMenu {
public:
    virtual ~PauseMenu() = default;
    virtual void show(bool fromMainMenu) = 0;
};
// The registered pause menu (null while none exists).
PauseMenu* pauseMenu();
void setPauseMenu(PauseMenu* menu);

// The screens the application and other layers reach by role (each screen registers itself).
enum class Screen : uint8_t {
    MainPanel,
    MainMenu,
    GameMenu,
    DialogPanel,
    ChooseProfile,
    EnterName,
    MsgBox,
    Console,
    Loading,
    Count
};
BaseRender* screen(Screen which);
void setScreen(Screen which, BaseRender* drawable);

// Start-up and shutdown of the upper layers. A start-up action creates its part at its step of
// the application's start-up (several at one step run in `order`); false fails the start-up. A
// shutdown action deletes its part at its place in the shutdown order and answers whether there
// was one to delete (the shutdown trace then names it).
using PartAction = bool (*)();
void registerStartupAction(int step, int order, PartAction create);
void registerShutdownAction(int rank, const char* name, PartAction destroy);
// Runs the actions of a step in order; false when one failed (the rest still run).
bool runStartupActions(int step);
// Runs the shutdown actions of a rank; the names of those that deleted something are appended.
template <class Trace>
void runShutdownActions(int rank, Trace& trace);

// The shutdown order of the upper layers' parts, between the application's own deletions.
enum ShutdownRank : int {
    kShutdownFlyElements = 1,
    kShutdownDialogPanel,
    kShutdownLevelManager,  // after the render target is released, before the textures
    kShutdownMsgBox,        // after the replay recorder and the cursor
    kShutdownMainMenu,
    kShutdownGameMenu,
    kShutdownMainPanel,
    kShutdownEnterName,
    kShutdownChooseProfile,
    kShutdownConsole,  // after the script timers
    kShutdownLoading,
    kShutdownInventory,  // after the fonts, before the profiles
};

// Start-up steps and the order of the screens within step 16 (the render list's order).
enum StartupOrder : int {
    kStartupFlyElements = 1,  // step 13
    kStartupLevelManager = 2,
    kStartupMainPanel = 1,  // step 16
    kStartupInventory,
    kStartupMainMenu,
    kStartupGameMenu,
    kStartupDialogPanel,
    kStartupChooseProfile,
    kStartupEnterName,
    kStartupMsgBox,
};

// Statically registers start-up and shutdown actions (an upper library linked whole-archive).
struct PartRegistration {
    PartRegistration(int step, int order, PartAction create, int rank, const char* name, PartAction destroy) {
        if (create) registerStartupAction(step, order, create);
        if (destroy) registerShutdownAction(rank, name, destroy);
    }
};

}  // namespace app

#include <string>
#include <vector>

namespace app {
namespace detail {
std::vector<std::pair<const char*, PartAction>> shutdownActions(int rank);
}
template <class Trace>
void runShutdownActions(int rank, Trace& trace) {
    for (const auto& [name, destroy] : detail::shutdownActions(rank))
        if (destroy()) trace.emplace_back(name);
}
}  // namespace app
