// The game's script interface as a whole, from the registry: every game function the scripts
// may call is registered once and is a Lua function in the running game, every constant has its
// value, and nothing else is registered. The names are written out here, by area, as the game's
// scripts know them, not read from the code.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "script/script_core.h"
#include "script/script_registry.h"
#include "tests/levels/level_fixture.h"

namespace leveltest {
namespace {

const std::vector<std::string> kFunctionNames = {
    // The application: wrong clicks and fades.
    "add_wrong_click", "ret_wrong_click", "reset_wrong_click", "set_func_on_activate", "set_need_fade",
    "start_fade_in", "start_fade_out", "set_fade_cb_script",
    // The mouse cursor, the level manager, the replay recorder.
    "getMouse", "mouse",
    "level_manager", "start_level", "start_level_no_fade", "log_levels", "clear_levels", "set_del_lev_when_leave",
    "set_need_clear_levels",
    "replay_recorder",
    // The script core, its value types and timers.
    "isNull", "Vec3", "Vec3Copy", "Vec2", "Vec2Copy", "createRGBA", "import_class", "enableScriptTypeCheck", "_ALERT",
    "callFuncByName", "compileScriptFile", "recompileScriptFiles", "exec_string", "printTable",
    "add_timer", "add_pause_timer", "delete_timer", "delete_current_timer",
    // Elements.
    "set_callback_for_element", "set_callback_for_element_r_click", "set_callback_for_element_ex",
    "set_element_visible", "activate_element", "can_be_hinted", "add_element_to_inventory", "create_script_element",
    "create_script_element_ex", "set_element_effect", "set_element_at_cursor",
    // Clips.
    "play_movie_clip", "play_movie_clip_ex", "play_movie_clip_loop", "is_movie_playing", "goto_frame",
    "get_current_frame", "get_frame_count", "get_labeled_frame", "get_clip_pos", "get_clip_size", "set_clip_pos",
    "set_clip_pos_y", "set_character_pos", "get_char_full_name", "show_text_at", "set_fx_on_event", "swap_depth",
    "set_highest_depth", "set_element_alpha", "set_element_rgba", "get_element_rgba",
    // Levels and minigames, tasks, dialogs and the panel.
    "get_current_level", "get_minigame", "load_minigame", "start_minigame", "set_win_effect_enabled",
    "set_level_need_fade_out", "set_no_check_win_by_script_c", "no_finish_dialog", "no_start_dialog",
    "get_ho_founded_count", "exec_script", "get_prev_level_name", "print_cur_level_name", "list_elements",
    "set_level_task", "set_level_task_ex", "show_level_task", "show_level_task_ex",
    "start_dialog", "start_dialog_ex",
    "set_main_panel_text_color", "disable_main_panel_text", "enable_main_panel_text", "main_panel_visible",
    // Sound, effects, the cursor and diagnostics.
    "play_sound", "play_sound_loop", "is_sound_playing", "stop_sounds", "play_music", "stop_music",
    "set_music_enabled", "set_volume", "get_volume", "set_snd_vol_coef",
    "start_effect", "start_effect_at", "start_effect_with_rect", "stop_effect",
    "add_mouse_element", "drop_mouse_element", "is_conn_elem_name", "set_mouse_element",
    "set_mouse_connected_character_pos", "fly_from_mouse_to_element", "switch_cursor_frame", "get_cursor_pos_y",
    "print_connected_el", "show_cursor_w",
    "log_message", "get_random", "get_tick_count", "get_all_chars", "print_full_names", "print_char_lib",
    "clear_char_lib", "test_strings", "test_memleak", "mem_dump", "open_link", "crash_app",
    // Element animations and transforms.
    "set_anim", "set_anim_ex", "set_anim_new", "set_color_anim", "ElementTransform",
    // The hidden-object level.
    "get_target_pos_main_panel", "set_parent_to_main_panel", "set_clip_depth",
    // The inventory.
    "inv_btn_enable", "getInventoryFirstCellPos", "drop_inventory_element", "activateInventoryElement",
    "inc_elements_count", "activate_inv_arrows",
    // The heads-up panel, the profiles, the message box, the console.
    "getMainPanel", "main_panel", "hide_main_panel_msg",
    "profile",
    "msgbox",
    "console",
};

// Globals the script core sets itself, outside the registry.
const std::vector<std::string> kCoreGlobals = {"createNewThread", "resumeThread", "yieldThread"};

const std::map<std::string, double> kConstants = {
    {"eiLeftClick", 0}, {"eiRightClick", 1}, {"eiRollOver", 2}, {"eiRollOut", 3}, {"eiPlayingEnd", 4},
    {"eiUpdate", 5},    {"fsFadeIn", 0},     {"fsFadeOut", 1},
};

std::string globalType(const std::string& name) {
    lua_State* L = currentScriptState();
    lua_getglobal(L, name.c_str());
    std::string type = lua_typename(L, lua_type(L, -1));
    lua_pop(L, 1);
    return type;
}

class ScriptFunctionNames : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(currentScriptState(), nullptr); }
};

TEST_F(ScriptFunctionNames, TheListHoldsEachNameOnce) {
    std::set<std::string> seen;
    for (const std::string& name : kFunctionNames) EXPECT_TRUE(seen.insert(name).second) << name;
}

TEST_F(ScriptFunctionNames, EveryExpectedFunctionIsRegisteredOnceAndIsAGlobalFunction) {
    std::map<std::string, int> registered;
    for (const ScriptFunctionEntry& entry : scriptFunctions()) ++registered[entry.name];
    for (const std::string& name : kFunctionNames) {
        EXPECT_EQ(registered[name], 1) << name;
        EXPECT_EQ(globalType(name), "function") << name;
    }
    for (const std::string& name : kCoreGlobals) EXPECT_EQ(globalType(name), "function") << name;
}

TEST_F(ScriptFunctionNames, NoOtherFunctionIsRegistered) {
    const std::set<std::string> expected(kFunctionNames.begin(), kFunctionNames.end());
    for (const ScriptFunctionEntry& entry : scriptFunctions())
        EXPECT_TRUE(expected.count(entry.name)) << entry.name << " is registered but not a game function";
}

TEST_F(ScriptFunctionNames, EveryConstantHasItsValueAndNoOtherIsRegistered) {
    lua_State* L = currentScriptState();
    for (const auto& [name, value] : kConstants) {
        lua_getglobal(L, name.c_str());
        EXPECT_TRUE(lua_type(L, -1) == LUA_TNUMBER) << name;
        EXPECT_EQ(lua_tonumber(L, -1), value) << name;
        lua_pop(L, 1);
    }
    std::map<std::string, int> registered;
    for (const ScriptConstantEntry& entry : scriptConstants()) ++registered[entry.name];
    for (const auto& [name, count] : registered) {
        EXPECT_TRUE(kConstants.count(name)) << name << " is registered but not a game constant";
        EXPECT_EQ(count, 1) << name;
    }
    EXPECT_EQ(registered.size(), kConstants.size());
}

}  // namespace
}  // namespace leveltest
