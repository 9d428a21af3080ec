#pragma once
// What every game screen shares: its one movie loaded and wired the same way (hidden, its loop
// and play state set, each name of its button table looked up deep and given the screen's static
// callback), the deep lookups by instance name, the click code, taking the click from the
// receivers after the screen, and the screen's place among the application's parts (start-up,
// render list, role, shutdown).
//
// A screen class X (a `BaseRender` and a `Tov::Singleton<X>`) with `void onEvent(character*, int)`:
//   const screens::ScreenMovie kMovie{"mainmenu.swf", "MainMenu::init", screens::kLoopForever,
//                                     screens::kPlaying};
//   if (flash::root* root = screens::loadScreenMovie(*this, kMovie))
//       screens::wireButtons(root, kButtons, &screens::forwardEvent<X>);
//   const app::PartRegistration reg(16, app::kStartupX, &screens::createScreen<X>,
//                                   app::kShutdownX, "X", &screens::destroyScreen<X>);
#include <type_traits>

#include "app/application.h"
#include "app/base_render.h"
#include "app/game_layers.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/character.h"

namespace flash {
class root;
class sprite_instance;
class edit_text_character;
}  // namespace flash

namespace screens {

// The engine's event code of a click.
constexpr int kClickEvent = 1;
// Root loop settings and play states the screens pass.
constexpr int kLoopForever = -1;
constexpr int kLoopOnce = 0;
constexpr int kPlaying = flash::character::PLAY;
constexpr int kStopped = flash::character::STOP;
// The start-up step at which the screens are made.
constexpr int kScreensStep = 16;

struct ScreenMovie {
    const char* file;      // "mainmenu.swf"
    const char* initName;  // "MainMenu::init": names the load's timing line and its ERROR
    int loop;              // the root's loop setting
    int playState;         // the root's play state
};

// Loads the movie into the screen unless it has one: timed ("Loaded swf: <file>"), hidden, with
// the loop setting and play state. Null, with the ERROR "<file> not found in <initName>", when the
// movie cannot be loaded (the screen then stays without a movie, draws nothing and gets no
// events); null without a message when the screen already had its movie.
flash::root* loadScreenMovie(BaseRender& screen, const ScreenMovie& movie);

// The character of that instance name anywhere below the root's movie; null when none.
flash::character* findDeep(flash::root* root, const char* name);
flash::character* findDeep(flash::character* clip, const char* name);
template <class T>
T* findDeepAs(flash::root* root, const char* name) {
    return flash::cast_to<T>(findDeep(root, name));
}
template <class T>
T* findDeepAs(flash::character* clip, const char* name) {
    return flash::cast_to<T>(findDeep(clip, name));
}

// Stores the callback in each character the table names (ended by an empty name); names not in
// the movie are skipped without a message. The number of characters wired.
int wireButtons(flash::root* root, const char* const* names, flash::character_event_callback callback);

// A handler that used the click: the click goes to no further screen and not to the level.
void takeInput();

// The character's instance name ("" for null).
const char* nameOf(const flash::character* ch);

// The static callback of screen X: the engine's (character, event) to the singleton's onEvent.
template <class X>
void forwardEvent(flash::character* ch, int eventCode) {
    if (X* screen = X::instance()) screen->onEvent(ch, eventCode);
}

// Start-up: the screen made (its constructor registers it and loads its movie) and pushed on the
// render list. Shutdown: deleted when it exists, true then.
template <class X>
bool createScreen() {
    X* screen = new X();
    if (Application* application = Application::instance()) application->addToRenderList(screen);
    return true;
}
template <class X>
bool destroyScreen() {
    X* screen = X::instance();
    if (!screen) return false;
    delete screen;
    return true;
}

// Registers the screen in its role for its life (the constructor and destructor call these), and
// takes a deleted screen off the render list and the active-panel place.
void registerScreen(app::Screen role, BaseRender* screen);
void unregisterScreen(app::Screen role, BaseRender* screen);

}  // namespace screens
