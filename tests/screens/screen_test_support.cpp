#include "tests/screens/screen_test_support.h"

#include <algorithm>
#include <sstream>

#include "audio/media_center.h"
#include "audio/sndfx_system.h"
#include "core/string_table.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "input/input_event.h"
#include "tests/support/game_run.h"
#include "tools/demo/demo_layout.h"
#include "tools/demo/movie_builder.h"

namespace screentest {

GameOptions withProfiles(std::vector<std::string> profiles, std::string lastProfile) {
    GameOptions options;
    options.profiles = std::move(profiles);
    options.lastProfile = std::move(lastProfile);
    return options;
}

ScreenGame::ScreenGame(const GameOptions& options) {
    fs::copy(testsupport::demoFolder(), m_data.path(), fs::copy_options::recursive);
    for (const auto& [path, bytes] : options.files) testsupport::writeFile(m_data.path() / path, bytes);
    for (const std::string& path : options.removed) fs::remove(m_data.path() / path);
    const fs::path folder = profilesFolder();
    fs::create_directories(folder);
    for (const std::string& name : options.profiles) testsupport::writeFile(folder / (name + ".prof"), newProfileFile(name));
    if (!options.lastProfile.empty())
        testsupport::writeFile(folder / "config.sta", "s_LastProfileName \"" + options.lastProfile + "\"\n");
    // The game reads its texts before the program starts, from its own folder.
    StringTable::instance().load((m_data.path() / "data" / "Texts" / "strings.st").c_str());
    m_game = std::make_unique<testsupport::GameFixture>(m_data.path(), options.stepMs, m_home.path());
}

ScreenGame::~ScreenGame() { m_game.reset(); }

bool ScreenGame::start() {
    if (!m_game->start()) return false;
    m_game->skipLogos();
    return true;
}

std::vector<std::string> ScreenGame::logLines(const std::string& level, const std::string& part) const {
    std::vector<std::string> out;
    std::istringstream lines(log());
    for (std::string line; std::getline(lines, line);) {
        const testsupport::LogEntry entry = testsupport::parseLogLine(line);
        if (entry.level == level && entry.text.find(part) != std::string::npos) out.push_back(entry.text);
    }
    return out;
}

std::string newProfileFile(const std::string& name) {
    return "<?xml version=\"1.0\" standalone=\"yes\" ?>\n"
           "<root>\n"
           "    <object name=\"" +
           name +
           "\">\n"
           "        <boolean name=\"IsMuteAll\" value=\"false\" />\n"
           "        <string name=\"LastLevel\" value=\"\" />\n"
           "        <boolean name=\"IsWrongMsg\" value=\"false\" />\n"
           "        <string name=\"CurrentLevel\" value=\"\" />\n"
           "    </object>\n"
           "</root>\n";
}

namespace {

void dropClips(std::vector<demo::Clip>& clips, const std::vector<std::string>& names) {
    std::erase_if(clips, [&](const demo::Clip& c) {
        return !c.name.empty() && std::find(names.begin(), names.end(), c.name) != names.end();
    });
    for (demo::Clip& c : clips) dropClips(c.children, names);
}

}  // namespace

std::string movieWithout(const std::string& file, const std::vector<std::string>& clipNames) {
    const demo::Movie* original = demo::findMovie(file);
    if (!original) return std::string();
    demo::Movie movie = *original;
    dropClips(movie.clips, clipNames);
    const swf::Bytes bytes = demo::buildMovie(movie);
    return std::string(bytes.begin(), bytes.end());
}

std::string moviePath(const std::string& file) {
    const demo::Movie* movie = demo::findMovie(file);
    return "data/" + (movie ? movie->folder : std::string("movies")) + "/" + file;
}

flash::character* find(BaseRender* screen, const char* name) {
    flash::root* root = screen ? screen->getRoot() : nullptr;
    auto* movie = root ? root->get_root_sprite() : nullptr;
    return movie ? movie->get_character_by_name(flash::bx_string(name), true) : nullptr;
}

bool click(flash::character* ch) {
    if (!ch || !ch->get_event_callback()) return false;
    ch->get_event_callback()(ch, 1);
    return true;
}

bool click(BaseRender* screen, const char* name) { return click(find(screen, name)); }

int playingSlots(const std::string& sound) {
    MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance();
    if (!media) return 0;
    MediaSystem::SndfxSystem* fx = media->sndfxSystem();
    int playing = 0;
    for (int i = 0; i < MediaSystem::SndfxSystem::kSlotCount; ++i)
        if (fx->slot(i).name == sound && fx->isPlaying(i)) ++playing;
    return playing;
}

KeyEvent keyEvent(int type, int scanCode, char16_t character, int modifiers) {
    KeyEvent event;
    event.type = type;
    event.scanCode = scanCode;
    event.character = character;
    event.modifiers = modifiers;
    return event;
}

}  // namespace screentest
