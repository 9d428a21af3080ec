#include "screens/screen_wiring.h"

#include <string>

#include "core/log_stream.h"
#include "core/scoped_profiler.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"

namespace screens {

flash::root* loadScreenMovie(BaseRender& screen, const ScreenMovie& movie) {
    if (screen.getRoot()) return nullptr;
    // The render handler draws twips 1:1 into the game's target: there is no coordinate scaling
    // to switch on before the load.
    Application* application = Application::instance();
    flash::player* player = application ? application->player() : nullptr;
    flash::smart_ptr<flash::root> root;
    {
        ScopedProfiler timing(movie.initName, std::string("Loaded swf: ") + movie.file);
        if (player) root = player->load_file(movie.file);
    }
    if (!root) {
        Tov::LogLine("ERROR") << movie.file << " not found in " << movie.initName;
        return nullptr;
    }
    screen.setRoot(root.get_ptr());
    root->set_visible(false);
    root->set_loop(movie.loop);
    root->set_play_state(movie.playState);
    return root.get_ptr();
}

flash::character* findDeep(flash::character* clip, const char* name) {
    auto* sprite = flash::cast_to<flash::sprite_instance>(clip);
    if (!sprite || !name) return nullptr;
    return sprite->get_character_by_name(flash::bx_string(name), true);
}

flash::character* findDeep(flash::root* root, const char* name) {
    return root ? findDeep(root->get_root_movie(), name) : nullptr;
}

int wireButtons(flash::root* root, const char* const* names, flash::character_event_callback callback) {
    int wired = 0;
    for (const char* const* name = names; name && *name && **name; ++name) {
        if (flash::character* ch = findDeep(root, *name)) {
            ch->set_event_callback(callback);
            ++wired;
        }
    }
    return wired;
}

void takeInput() {
    // The routing's lock arrives with the input routing; until then a used click is not kept.
}

const char* nameOf(const flash::character* ch) { return ch ? ch->get_name().c_str() : ""; }

void registerScreen(app::Screen role, BaseRender* screen) { app::setScreen(role, screen); }

void unregisterScreen(app::Screen role, BaseRender* screen) {
    if (app::screen(role) == screen) app::setScreen(role, nullptr);
    if (Application* application = Application::instance()) {
        application->removeFromRenderList(screen);
        application->forgetPanel(screen);
    }
}

}  // namespace screens
