#include "app/game_layers.h"

#include <algorithm>
#include <array>

namespace app {
namespace {

struct StartupAction {
    int step;
    int order;
    PartAction create;
};
struct ShutdownAction {
    int rank;
    const char* name;
    PartAction destroy;
};

// Function-local: registrations run during static initialisation of other libraries.
std::vector<StartupAction>& startupActions() {
    static std::vector<StartupAction> actions;
    return actions;
}
std::vector<ShutdownAction>& shutdownList() {
    static std::vector<ShutdownAction> actions;
    return actions;
}

LevelControl* g_levelControl = nullptr;
MessageBox* g_messageBox = nullptr;
FlyElements* g_flyElements = nullptr;
LoadingScreen* g_loadingScreen = nullptr;
DialogControl* g_dialogControl = nullptr;
PauseMenu* g_pauseMenu = nullptr;
std::array<BaseRender*, static_cast<size_t>(Screen::Count)> g_screens{};

}  // namespace

LevelControl* levelControl() { return g_levelControl; }
void setLevelControl(LevelControl* control) { g_levelControl = control; }
GameLevel* currentLevel(bool deep) { return g_levelControl ? g_levelControl->getCurrentLevel(deep) : nullptr; }

FlyElements* flyElements() { return g_flyElements; }
void setFlyElements(FlyElements* elements) { g_flyElements = elements; }

MessageBox* messageBox() { return g_messageBox; }
void setMessageBox(MessageBox* box) { g_messageBox = box; }

LoadingScreen* loadingScreen() { return g_loadingScreen; }
void setLoadingScreen(LoadingScreen* screen) { g_loadingScreen = screen; }

DialogControl* dialogControl() { return g_dialogControl; }
void setDialogControl(DialogControl* dialogs) { g_dialogControl = dialogs; }
PauseMenu* pauseMenu() { return g_pauseMenu; }
void setPauseMenu(PauseMenu* menu) { g_pauseMenu = menu; }

BaseRender* screen(Screen which) {
    const auto index = static_cast<size_t>(which);
    return index < g_screens.size() ? g_screens[index] : nullptr;
}

void setScreen(Screen which, BaseRender* drawable) {
    const auto index = static_cast<size_t>(which);
    if (index < g_screens.size()) g_screens[index] = drawable;
}

void registerStartupAction(int step, int order, PartAction create) {
    auto& actions = startupActions();
    actions.push_back({step, order, create});
    std::stable_sort(actions.begin(), actions.end(), [](const StartupAction& a, const StartupAction& b) {
        return a.step != b.step ? a.step < b.step : a.order < b.order;
    });
}

void registerShutdownAction(int rank, const char* name, PartAction destroy) {
    shutdownList().push_back({rank, name, destroy});
}

bool runStartupActions(int step) {
    bool ok = true;
    for (const StartupAction& action : startupActions())
        if (action.step == step && !action.create()) ok = false;
    return ok;
}

namespace detail {
std::vector<std::pair<const char*, PartAction>> shutdownActions(int rank) {
    std::vector<std::pair<const char*, PartAction>> out;
    for (const ShutdownAction& action : shutdownList())
        if (action.rank == rank) out.emplace_back(action.name, action.destroy);
    return out;
}
}  // namespace detail

}  // namespace app
