// Every demo movie read by the engine: each named clip of the layout stands where the game looks
// for it, on its frames, of its kind, with its frame count and labels, loading logs no engine
// error, and every clip the game wires takes a click at its manifest centre exactly once.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "flash/base/bx_file.h"
#include "flash/base/log.h"
#include "flash/movie/button.h"
#include "flash/movie/movie_library.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"
#include "input/named_target.h"
#include "tools/demo/demo_layout.h"

namespace fs = std::filesystem;

namespace {

const fs::path kDemo = fs::path(TOV_TEST_SOURCE_DIR) / "demo";

std::vector<std::string> g_errors;
void collect_log(bool is_error, const char* text) {
    if (is_error) g_errors.push_back(text);
}
flash::bx_file* open_from_disk(const char* path) { return new flash::bx_file(path, "rb"); }

struct Engine {
    flash::smart_ptr<flash::player> player{new flash::player};
    Engine() {
        g_errors.clear();
        flash::register_log_callback(collect_log);
        flash::register_file_opener_callback(open_from_disk);
    }
    ~Engine() { flash::register_log_callback(nullptr); }
    flash::smart_ptr<flash::root> load(const demo::Movie& m) {
        return player->load_file((kDemo / "data" / m.folder / m.file).string().c_str());
    }
};

flash::sprite_instance* sprite(flash::character* ch) { return flash::cast_to<flash::sprite_instance>(ch); }

std::string kindOf(flash::character* ch) {
    if (ch->is(flash::as_object::SPRITE)) return "sprite";
    if (ch->is(flash::as_object::EDIT_TEXT)) return "text";
    if (dynamic_cast<flash::button_character_instance*>(ch)) return "button";
    return "other";
}

const char* kindName(demo::Kind k) {
    static const char* const kNames[] = {"sprite", "button", "text"};
    return kNames[static_cast<int>(k)];
}

// The clip and its children, looked up as direct children of `parent` on the frames they stand
// on, and gone on the frame after their last.
void checkClip(flash::sprite_instance* parent, const demo::Clip& c, int parentFrames, const std::string& where) {
    if (c.name.empty()) return;
    const std::string at = where + "/" + c.name;
    parent->goto_frame(c.firstFrame);
    flash::character* ch = parent->get_character_by_name(flash::bx_string(c.name.c_str()), false);
    ASSERT_NE(ch, nullptr) << at << " on frame " << c.firstFrame;
    EXPECT_EQ(kindOf(ch), kindName(c.kind)) << at;
    if (c.kind == demo::Kind::Sprite) {
        flash::sprite_instance* s = sprite(ch);
        EXPECT_EQ(s->get_frame_count(), c.frames) << at;
        for (const demo::Label& l : c.labels) EXPECT_EQ(s->getLabeledFrame(l.name.c_str()), l.frame) << at << " " << l.name;
        for (const demo::Clip& child : c.children) checkClip(s, child, c.frames, at);
    }
    const int last = c.lastFrame < 0 ? parentFrames - 1 : c.lastFrame;
    if (last + 1 < parentFrames) {
        parent->goto_frame(last + 1);
        flash::character* gone = parent->get_character_by_name(flash::bx_string(c.name.c_str()), false);
        // The same name may stand again on later frames (the message box's OK button).
        if (gone) {
            EXPECT_NE(gone, ch) << at << " still stands on frame " << last + 1;
        }
    }
}

TEST(DemoMovies, EveryNamedClipStandsWhereTheGameLooks) {
    for (const demo::Movie& m : demo::movies()) {
        SCOPED_TRACE(m.file);
        Engine engine;
        flash::smart_ptr<flash::root> root = engine.load(m);
        ASSERT_TRUE(root);
        EXPECT_EQ(g_errors, std::vector<std::string>{});
        EXPECT_EQ(root->get_viewport_width(), m.width);
        EXPECT_EQ(root->get_viewport_height(), m.height);
        root->advance(0.0f);
        flash::sprite_instance* top = sprite(root->get_root_movie());
        ASSERT_NE(top, nullptr);
        EXPECT_EQ(top->get_frame_count(), m.frames);
        for (const demo::Label& l : m.labels) EXPECT_EQ(top->getLabeledFrame(l.name.c_str()), l.frame) << l.name;
        for (const demo::Clip& c : m.clips) checkClip(top, c, m.frames, m.file);
        // The deep search the screens use finds every name from the top.
        top->goto_frame(0);
        for (const demo::Placed& p : demo::placedClips(m)) {
            if (p.firstFrame != 0 || p.path.find('.') != std::string::npos) continue;
            EXPECT_NE(top->get_character_by_name(flash::bx_string(p.name.c_str()), true), nullptr) << p.name;
        }
        EXPECT_EQ(g_errors, std::vector<std::string>{});
    }
}

// Clips loop by default in this engine: every animation the game waits on ends in a stop action,
// and one with a stop on its first frame waits there until it is played.
TEST(DemoMovies, AnimationsTheGameWaitsOnStopAtTheirEnds) {
    int checked = 0;
    for (const demo::Movie& m : demo::movies()) {
        SCOPED_TRACE(m.file);
        Engine engine;
        flash::smart_ptr<flash::root> root = engine.load(m);
        ASSERT_TRUE(root);
        flash::sprite_instance* top = sprite(root->get_root_movie());
        const float dt = root->get_frame_time();
        root->advance(dt);
        // The screens hold their root's frame (the dialogs' and the message box's roots have one
        // frame per form); the cut scenes play theirs to the end.
        if (!m.stopAtEnd) top->set_play_state(1, false);
        for (const demo::Clip& c : m.clips) {
            if (c.name.empty() || c.firstFrame != 0 || c.kind != demo::Kind::Sprite) continue;
            flash::sprite_instance* s = sprite(top->get_character_by_name(flash::bx_string(c.name.c_str()), false));
            ASSERT_NE(s, nullptr) << c.name;
            if (c.stopAtStart) {
                EXPECT_EQ(s->get_current_frame(), 0) << c.name;
            }
            s->set_play_state(0, false);
        }
        const int longest = std::max(m.frames, 40);
        for (int i = 0; i < longest + 2; ++i) root->advance(dt);
        for (const demo::Clip& c : m.clips) {
            if (c.name.empty() || c.firstFrame != 0 || c.kind != demo::Kind::Sprite) continue;
            flash::sprite_instance* s = sprite(top->get_character_by_name(flash::bx_string(c.name.c_str()), false));
            if (c.stopAtEnd) {
                EXPECT_EQ(s->get_current_frame(), c.frames - 1) << c.name;
                EXPECT_EQ(s->get_play_state(), 1) << c.name;
                ++checked;
            }
        }
        if (m.stopAtEnd) {
            EXPECT_EQ(top->get_current_frame(), m.frames - 1);
            EXPECT_EQ(top->get_play_state(), 1);
            ++checked;
        }
    }
    EXPECT_GE(checked, 13);
}

TEST(DemoMovies, TheCursorAndTheScreensHaveTheGamesStage) {
    for (const char* file : {"cursor.swf", "mainmenu.swf", "pausemenu.swf", "msgbox.swf", "choosename.swf",
                             "entername.swf", "dialogs.swf", "loading.swf", "mainpanel-inventory.swf", "_console.swf"}) {
        const demo::Movie* m = demo::findMovie(file);
        ASSERT_NE(m, nullptr) << file;
        EXPECT_EQ(m->width, 1024) << file;
        EXPECT_EQ(m->height, 768) << file;
    }
    // Two rows of the task list fit the panel's text place: the fifth row starts below it.
    const demo::Movie* panel = demo::findMovie("mainpanel-inventory.swf");
    for (const demo::Placed& p : demo::placedClips(*panel))
        if (p.name == "TextPlace") {
            EXPECT_EQ(p.y1 - p.y0, 40);
        }
}

// The manifest's centres, read back as the tests of the game will read them.
std::map<std::string, std::pair<int, int>> manifestCentres(const std::string& movie) {
    std::map<std::string, std::pair<int, int>> out;
    std::ifstream in(kDemo / "manifest.txt");
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string file, path, kind, centre;
        int x = 0, y = 0;
        if (!(words >> file >> path >> kind >> centre >> x >> y) || file != movie) continue;
        out.emplace(path, std::make_pair(x, y));
    }
    return out;
}

std::map<flash::character*, std::vector<int>> g_events;
void count_event(flash::character* ch, int code) { g_events[ch].push_back(code); }

TEST(DemoMovies, EveryWiredClipOfTheScreensTakesAClickAtItsCentre) {
    int clicked = 0;
    for (const demo::Movie& m : demo::movies()) {
        if (m.folder != "movies") continue;
        SCOPED_TRACE(m.file);
        const std::map<std::string, std::pair<int, int>> centres = manifestCentres(m.folder + "/" + m.file);
        for (const demo::Placed& p : demo::placedClips(m)) {
            if (!p.wired) continue;
            SCOPED_TRACE(p.path);
            Engine engine;
            flash::smart_ptr<flash::root> root = engine.load(m);
            ASSERT_TRUE(root);
            engine.player->set_root(root.get_ptr());
            flash::sprite_instance* top = sprite(root->get_root_movie());
            root->advance(0.0f);
            top->goto_frame(p.firstFrame);
            for (const auto& [name, frame] : p.gotos) sprite(inputscript::findNamed(top, name))->goto_frame(frame);
            top->set_play_state(1, true);
            // The game wires every name it knows: each of them may take the click, only this one should.
            std::vector<flash::character*> wired;
            for (const demo::Placed& other : demo::placedClips(m)) {
                if (!other.wired || other.firstFrame != p.firstFrame || other.gotos != p.gotos) continue;
                if (flash::character* ch = inputscript::findNamed(top, other.name)) {
                    ch->m_event_callback = count_event;
                    wired.push_back(ch);
                }
            }
            flash::character* target = inputscript::findNamed(top, p.name);
            ASSERT_NE(target, nullptr);
            ASSERT_TRUE(centres.count(p.path));
            const auto [x, y] = centres.at(p.path);
            // The manifest's centre is the engine's own centre of the clip.
            const inputscript::Target t = inputscript::targetOf(target);
            EXPECT_NEAR(t.x, x, 1.0f);
            EXPECT_NEAR(t.y, y, 1.0f);
            g_events.clear();
            for (int buttons : {0, 1, 0}) {
                root->notify_mouse_state(x, y, buttons);
                root->advance(0.01f);
            }
            int presses = 0;
            for (const auto& [ch, codes] : g_events)
                for (int code : codes)
                    if (code == 1) {
                        ++presses;
                        EXPECT_EQ(ch, target) << "the press went to " << ch->get_name().c_str();
                    }
            EXPECT_EQ(presses, 1);
            ++clicked;
        }
    }
    EXPECT_GT(clicked, 40);
}

}  // namespace
