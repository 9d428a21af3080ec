// The diagnostic script functions a developer calls from the console or a script: logging,
// listing clips and the movie library, string-table and memory checks, random numbers and time.
#include <csignal>
#include <lua.hpp>
#include <map>
#include <string>
#include <vector>

#include "app/application.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "core/mmgr.h"
#include "core/random_tables.h"
#include "core/string_table.h"
#include "flash/movie/movie_library.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"
#include "levels/base_level.h"
#include "levels/script_function_support.h"
#include "platform/clock.h"
#include "platform/graphics/message_pump.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "script/console_sink.h"
#include "script/script_call.h"
#include "script/script_core.h"
#include "script/script_registry.h"

namespace {

using script_functions::currentLevel;
using script_functions::levelAlive;

constexpr int kLeakBlockBytes = 256;
constexpr const char* kSurveyPage = "https://orlimand.invalid/survey";
constexpr const char* kLocalSurveyPage = "Data\\xmlfiles\\test.html";
constexpr const char* kDumpSortKey = "size";

void logMessage(const std::string& text) { Tov::LogLine("MESSAGE") << text; }

// Steps the shared index by exactly one; an empty range (high at or below low) gives low.
int getRandom(int low, int high) {
    const unsigned r = randomInt();
    if (high <= low) return low;
    const long long span = static_cast<long long>(high) - low;
    return static_cast<int>(low + static_cast<long long>(r) % span);
}

int getTickCount() { return static_cast<int>(static_cast<unsigned>(platform::monotonicMs())); }

// The characters of the level's root sprite (searched deep), each held for the caller's walk.
std::vector<flash::smart_ptr<flash::character>> listCharacters(BaseLevel* level) {
    std::vector<flash::smart_ptr<flash::character>> held;
    flash::root* root = level ? level->getRoot() : nullptr;
    flash::sprite_instance* sprite = root ? root->get_root_sprite() : nullptr;
    if (!sprite) return held;
    flash::array<flash::character*> found;
    sprite->get_character_by_name(flash::bx_string(""), true, &found);
    held.reserve(found.size());
    for (int i = 0; i < found.size(); ++i) held.emplace_back(found[i]);
    return held;
}

// A callback may delete the level or any listed clip: the clips are held, and the walk ends
// once the level is gone.
void getAllChars(const std::string& functionName, bool withUnnamed) {
    lua_State* L = currentScriptState();
    if (!L) return;
    lua_getglobal(L, functionName.c_str());
    const bool isFunction = lua_isfunction(L, -1);
    lua_pop(L, 1);
    if (!isFunction) {
        Tov::LogLine("ERROR") << "get_all_chars" << " invalid script func " << functionName;
        return;
    }
    BaseLevel* level = currentLevel();
    for (const flash::smart_ptr<flash::character>& ch : listCharacters(level)) {
        if (!levelAlive(level)) break;
        const flash::bx_string& name = ch->get_name();
        if (name.size() == 0 && !withUnnamed) continue;
        lua_getglobal(L, functionName.c_str());
        lua_pushstring(L, name.c_str());
        ScriptBinding::callAndClear(1);
    }
}

void printFullNames() {
    for (const flash::smart_ptr<flash::character>& ch : listCharacters(currentLevel()))
        script::consolePrint(ch->get_path().c_str());
}

flash::movie_library* movieLibrary() {
    Application* app = Application::instance();
    flash::player* player = app ? app->player() : nullptr;
    return player ? &player->get_movie_library() : nullptr;
}

void printCharLib() {
    if (flash::movie_library* library = movieLibrary())
        library->walk([](const char* path, flash::movie_definition_sub*) { script::consolePrint(path); });
}

void clearCharLib() {
    if (flash::movie_library* library = movieLibrary()) library->clear();
}

// Each character code of the texts with the key of the last text (in key order) holding it.
void testStrings() {
    std::map<char16_t, const std::string*> lastKey;
    for (const auto& [key, text] : StringTable::instance())
        for (char16_t unit : text) lastKey[unit] = &key;
    for (const auto& [unit, key] : lastKey)
        Tov::LogLine("MESSAGE") << static_cast<unsigned>(unit) << " " << *key;
}

// The blocks stay for the life of the process; the list is never freed, so they stay reachable.
void testMemleak() {
    static auto* kept = new std::vector<void*>();
    kept->push_back(Mem_Alloc(kLeakBlockBytes));
}

void memDump() { Mem_DumpAllocs(kDumpSortKey); }

// xdg-open, started without a shell; never in a headless run.
void openLink() {
    if (platform::gfx::headlessVideo()) return;
    if (platform::openInBrowser(kSurveyPage)) return;
    if (const auto local = platform::resolvePath(kLocalSurveyPage)) (void)platform::openInBrowser(*local);
}

// Only a debug-mode game crashes on purpose, through the crash reporter's fault handler.
void crashApp() {
    if (!d_DebugModeEnabled || !d_DebugModeEnabled->value.b) {
        Tov::LogLine("WARNING") << "crash_app" << ": ignored outside debug mode";
        return;
    }
    std::raise(SIGSEGV);
}

using ScriptBinding::scriptCall;
const ScriptFunctionRegistration s_registrations[] = {
    {"log_message", scriptCall<&logMessage>},
    {"get_random", scriptCall<&getRandom>},
    {"get_tick_count", scriptCall<&getTickCount>},
    {"get_all_chars", scriptCall<&getAllChars>},
    {"print_full_names", scriptCall<&printFullNames>},
    {"print_char_lib", scriptCall<&printCharLib>},
    {"clear_char_lib", scriptCall<&clearCharLib>},
    {"test_strings", scriptCall<&testStrings>},
    {"test_memleak", scriptCall<&testMemleak>},
    {"mem_dump", scriptCall<&memDump>},
    {"open_link", scriptCall<&openLink>},
    {"crash_app", scriptCall<&crashApp>},
};

}  // namespace
