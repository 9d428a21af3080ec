#pragma once
// The screens' tests run the game in the test process on a private copy of the demo chapter:
// profiles and "config.sta" put into its per-user folder beforehand, data files replaced or
// removed (movies rebuilt from the demo layout without some of their clips), then the start-up
// and its pictures. Clicks are given as the engine gives them, through the clip's stored callback.
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/base_render.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"

namespace flash {
class character;
}
struct KeyEvent;

namespace screentest {

namespace fs = std::filesystem;

struct GameOptions {
    std::vector<std::string> profiles;  // profile files in the profiles folder, in this order
    std::string lastProfile;            // "config.sta"'s s_LastProfileName; none written when empty
    std::map<std::string, std::string> files;  // data files written over the copy, by path
    std::vector<std::string> removed;          // data files taken out of the copy
    unsigned stepMs = 100;
};

// Options with those profile files and the last profile's name.
GameOptions withProfiles(std::vector<std::string> profiles, std::string lastProfile = std::string());

class ScreenGame {
public:
    explicit ScreenGame(const GameOptions& options = {});
    ~ScreenGame();
    // Start-up and the start-up pictures; false when the start-up failed.
    bool start();
    testsupport::GameFixture& fixture() { return *m_game; }
    Application& app() { return m_game->app(); }
    void frames(int count) { m_game->runFrames(count); }
    fs::path profilesFolder() const { return m_home.path() / "orlimand" / "profiles"; }
    std::string log() const { return m_game->log(); }
    // The log's lines of a level ("ERROR") holding the text.
    std::vector<std::string> logLines(const std::string& level, const std::string& part) const;

private:
    testsupport::TempDir m_data{false};
    testsupport::TempDir m_home{false};
    std::unique_ptr<testsupport::GameFixture> m_game;
};

// The text of a profile file as the game writes it for a new profile.
std::string newProfileFile(const std::string& name);

// The demo's movie (its file name) rebuilt without the clips of those instance names.
std::string movieWithout(const std::string& file, const std::vector<std::string>& clipNames);
// The data path of a demo movie ("data/movies/mainmenu.swf").
std::string moviePath(const std::string& file);

// The named character anywhere in the screen's movie.
flash::character* find(BaseRender* screen, const char* name);
// The click the engine gives a clip under the mouse: its stored callback with code 1. False when
// the clip has no callback (nothing would be told).
bool click(flash::character* ch);
bool click(BaseRender* screen, const char* name);

// Sound-effect slots playing that sound.
int playingSlots(const std::string& sound);

// A key event of the input layer.
KeyEvent keyEvent(int type, int scanCode, char16_t character, int modifiers = 0);

}  // namespace screentest
