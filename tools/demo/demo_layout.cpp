#include "tools/demo/demo_layout.h"

#include <algorithm>
#include <set>

namespace demo {

namespace {

Clip box(Kind kind, const std::string& name, int x, int y, int w, int h, uint32_t color) {
    Clip c;
    c.name = name;
    c.kind = kind;
    c.x = x, c.y = y, c.w = w, c.h = h;
    c.color = color;
    return c;
}
Clip sprite(const std::string& name, int x, int y, int w, int h, uint32_t color = 0xFF808080, int frames = 1) {
    Clip c = box(Kind::Sprite, name, x, y, w, h, color);
    c.frames = frames;
    return c;
}
Clip button(const std::string& name, int x, int y, int w, int h, uint32_t color = 0xFFC0A060) {
    Clip c = box(Kind::Button, name, x, y, w, h, color);
    c.wired = true;
    return c;
}
Clip typing(Clip c) {
    c.input = true;
    return c;
}
// A clip the game stores its event callback in.
Clip wire(Clip c) {
    c.wired = true;
    return c;
}
Clip text(const std::string& name, int x, int y, int w, int h, const std::string& initial = "") {
    Clip c = box(Kind::Text, name, x, y, w, h, 0xFFFFFFFF);
    c.text = initial;
    return c;
}
Clip on(Clip c, int first, int last) {
    c.firstFrame = first;
    c.lastFrame = last;
    return c;
}
Clip labelled(Clip c, std::vector<Label> labels) {
    c.labels = std::move(labels);
    return c;
}
Clip stopping(Clip c, bool atStart, bool atEnd) {
    c.stopAtStart = atStart;
    c.stopAtEnd = atEnd;
    return c;
}
Clip centred(Clip c) {
    c.ox = -c.w / 2;
    c.oy = -c.h / 2;
    return c;
}
Clip with(Clip c, std::vector<Clip> children) {
    c.children = std::move(children);
    return c;
}
// A named group of clips standing on one frame of its parent, at the depth its siblings of the
// other frames share.
constexpr int kFormDepth = 50;
Clip form(const std::string& name, int frame, std::vector<Clip> children) {
    Clip c = on(with(sprite(name, 0, 0, 1, 1, 0x00000000), std::move(children)), frame, frame);
    c.depth = kFormDepth;
    return c;
}

constexpr uint32_t kInvisible = 0x00000000;
// The stage of every movie, also the full-stage click and zoom areas.
constexpr int kWidth = 1024, kHeight = 768;
// The heads-up panel's strip along the bottom; scenes keep their objects above it.
constexpr int kPanelTop = 618;

Clip levelArea() { return sprite("LevelArea", 0, 0, kWidth, kHeight, kInvisible); }

// A hidden object: frame 0 idle, frame 1 found, stopped on the found frame.
Clip object(const std::string& name, int x, int y, int w, int h, uint32_t color) {
    return stopping(sprite(name, x, y, w, h, color, 2), false, true);
}

std::vector<Label> dialogLabels(const std::string& dialog, int bubbles, bool zooms, int* frames) {
    std::vector<Label> labels;
    constexpr int kBubbleFrames = 10;
    for (int i = 1; i <= bubbles; ++i) labels.push_back({i * kBubbleFrames - 4, "ids_dialog_" + dialog + "_" + std::to_string(i)});
    *frames = bubbles * kBubbleFrames + 2;
    if (zooms) {
        labels.push_back({1, "zoom_in"});
        labels.push_back({*frames - 2, "zoom_out"});
    }
    std::sort(labels.begin(), labels.end(), [](const Label& a, const Label& b) { return a.frame < b.frame; });
    return labels;
}

std::vector<Level> makeLevels() {
    std::vector<Level> out;
    Level intro;
    intro.name = "intro", intro.type = "movie", intro.file = "intro.swf", intro.next = "room";
    intro.chapter = "chapter1";
    intro.keys = {{"string", "music", "intro_theme.ogg"}};
    out.push_back(intro);

    Level room;
    room.name = "room", room.type = "hidden", room.file = "room.swf", room.next = "letters", room.loadScreen = true;
    room.chapter = "chapter1";
    room.groups = {
        {"hidden", {{"cup_1", ""}, {"cup_2", ""}, {"book", ""}, {"clock", ""}, {"candle", ""}}},
        {"hidden_and_staying", {{"bird", ""}}},
        {"not_game", {{"curtain", ""}}},
        {"anim_open", {{"drawer", ""}}},
        {"invent_on_cursor", {{"key", ""}, {"vase_1", ""}}},
        {"invisible", {{"lock", "key"}}},
        {"minilevels", {{"door", "closeup"}}},
        {"effects", {{"fireplace", "room_fire"}}},
    };
    room.sounds = {{"room_bell", 2, 10}};
    // The key used on the lock leaves the cursor and the inventory.
    room.initScript = "    set_callback_for_element(\"lock\", \"drop_mouse_element()\")\n";
    room.startBubbles = 3;
    room.startZooms = true;
    out.push_back(room);

    Level closeup;
    closeup.name = "closeup", closeup.type = "contour", closeup.file = "closeup.swf", closeup.parent = "room";
    closeup.groups = {{"contour", {{"vase_sz", ""}}}};
    // The vase picked up in the room comes along on the cursor.
    closeup.enterScript = "    if inventory.counts.vase_1 then add_mouse_element(\"vase_1\") end\n";
    out.push_back(closeup);

    Level letters;
    letters.name = "letters", letters.type = "letters", letters.file = "letters.swf", letters.next = "puzzle";
    letters.keys = {{"string", "FinalWord", "MOON"},
                    {"string", "StartWord", "NOOM"},
                    {"string", "EndMsg", "ids_letters_done"},
                    {"boolean", "FlyStraight", "false"}};
    out.push_back(letters);

    Level puzzle;
    puzzle.name = "puzzle", puzzle.type = "puzzle", puzzle.file = "puzzle.swf", puzzle.next = "rotator";
    puzzle.loadScreen = true;
    puzzle.keys = {{"integer", "PiecesNumber", "4"}};
    out.push_back(puzzle);

    Level rotator;
    rotator.name = "rotator", rotator.type = "rotator", rotator.file = "rotator.swf", rotator.next = "outro";
    rotator.keys = {{"integer", "PiecesNumber", "4"}};
    out.push_back(rotator);

    Level outro;
    outro.name = "outro", outro.type = "movie", outro.file = "outro.swf";
    out.push_back(outro);
    return out;
}

// A cut scene: an animation over the stage, the skip and fast-forward buttons, stopped at its end.
Movie cutScene(const std::string& file, int frames, uint32_t color) {
    Movie m;
    m.file = file, m.folder = "levels", m.frames = frames, m.stopAtEnd = true, m.background = color;
    m.clips = {levelArea(), sprite(file.substr(0, file.size() - 4) + "_anim", 312, 200, 400, 300, 0xFFE0C080, frames),
               button("skip_btn", 904, 700, 100, 40), button("move_it_btn", 20, 700, 100, 40)};
    return m;
}

std::vector<Movie> makeMovies() {
    std::vector<Movie> out;
    {
        Movie m;
        m.file = "mainmenu.swf", m.folder = "movies", m.background = 0xFF203048;
        m.clips = {button("mm_play_btn", 412, 300, 200, 50), button("mm_options_btn", 412, 370, 200, 50),
                   button("mm_credits_btn", 412, 440, 200, 50), button("mm_quit_btn", 412, 510, 200, 50),
                   text("profile_name_text", 362, 200, 300, 30), text("profile_name_text_t", 362, 240, 300, 30),
                   sprite("change_profile_text", 412, 600, 200, 30, 0xFF406080)};
        m.points = {{"free", {100, 700}}};
        out.push_back(m);
    }
    {
        Movie m;
        m.file = "pausemenu.swf", m.folder = "movies";
        m.clips = {sprite("", 312, 134, 400, 500, 0xFF303050),
                   with(sprite("comand_buttons", 412, 170, 200, 10, 0xFF303050, 2),
                        {form("cmd_game", 0,
                              {button("continue_btn", 0, 10, 200, 40), button("restart_btn", 0, 60, 200, 40),
                               button("mainmenu_btn", 0, 110, 200, 40), button("quit_btn", 0, 160, 200, 40)}),
                         form("cmd_options", 1, {button("mainmenu_btn", 0, 110, 200, 40)})}),
                   button("FullScreen", 412, 395, 40, 40),
                   sprite("MusicSlider", 428, 460, 180, 20, 0xFF505070, 11),
                   sprite("SoundSlider", 428, 530, 180, 20, 0xFF505070, 11),
                   // The knobs stand on their centres, where the game puts them under the pointer.
                   centred(wire(sprite("MusicSliderCtrl", 518, 470, 12, 30, 0xFFE0E0E0))),
                   centred(wire(sprite("SoundSliderCtrl", 518, 540, 12, 30, 0xFFE0E0E0))),
                   button("music_minus_btn", 380, 455, 30, 30), button("music_plus_btn", 626, 455, 30, 30),
                   button("snd_minus_btn", 380, 525, 30, 30), button("snd_plus_btn", 626, 525, 30, 30)};
        m.points = {{"free", {100, 100}}};
        out.push_back(m);
    }
    {
        Movie m;
        m.file = "msgbox.swf", m.folder = "movies", m.frames = 6;
        const auto anim = [](const std::string& name) {
            return labelled(sprite(name, 462, 170, 100, 50, 0xFFE0A040, 20), {{12, "stop"}});
        };
        const auto ok = [] { return button("msg_button_ok", 462, 454, 100, 40); };
        // The root's frame is the box's type: 0 OK, 1 yes and no, 4 and 5 the animated task forms.
        m.clips = {sprite("", 262, 234, 500, 300, 0xFF283850), text("msgbox_text", 292, 264, 440, 140),
                   form("msg_form_0", 0, {ok()}),
                   form("msg_form_1", 1, {button("msg_button_yes", 362, 454, 100, 40), button("msg_button_no", 562, 454, 100, 40)}),
                   form("msg_form_2", 2, {}), form("msg_form_3", 3, {}),
                   form("msg_form_4", 4, {ok(), anim("msg_anim")}), form("msg_form_5", 5, {ok(), anim("task_msg_anim")})};
        out.push_back(m);
    }
    {
        Movie m;
        m.file = "choosename.swf", m.folder = "movies";
        m.clips = {sprite("", 312, 184, 400, 500, 0xFF303050), sprite("profileSelector", 402, 245, 220, 50, 0x80FFFFFF)};
        for (int i = 1; i <= 4; ++i) m.clips.push_back(wire(text("profileName" + std::to_string(i), 412, 200 + 50 * i, 200, 40)));
        for (Clip c : {wire(text("cn_Nametext", 412, 480, 200, 40)), button("cn_Btnarrowup", 630, 480, 30, 20),
                       button("cn_Btnarrowdown", 630, 502, 30, 20), button("cn_Btnnew", 312, 560, 120, 40),
                       button("cn_Btndelete", 452, 560, 120, 40), button("cn_Btndone", 592, 560, 120, 40),
                       button("cn_Btnback", 452, 620, 120, 40)})
            m.clips.push_back(c);
        out.push_back(m);
    }
    {
        Movie m;
        m.file = "entername.swf", m.folder = "movies";
        m.clips = {sprite("", 312, 284, 400, 200, 0xFF303050), typing(text("edit_name", 362, 330, 300, 40)),
                   button("en_btn_ok", 412, 400, 90, 40),
                   with(sprite("command_buttons", 522, 400, 90, 4, 0xFF303050, 2),
                        {form("cancel_none", 0, {}), form("cancel_form", 1, {button("en_btn_cancel", 0, 0, 90, 40)})})};
        out.push_back(m);
    }
    {
        Movie m;
        m.file = "dialogs.swf", m.folder = "movies";
        int frame = 0;
        for (const Level& l : makeLevels()) {
            for (int finish = 0; finish < 2; ++finish) {
                const std::string name = l.name + (finish ? "_finish" : "_start");
                int frames = 0;
                std::vector<Label> labels = dialogLabels(name, finish ? l.finishBubbles : l.startBubbles,
                                                         !finish && l.startZooms, &frames);
                Clip c = on(stopping(labelled(sprite(name, 212, 380, 600, 160, 0xFF806040, frames), labels), false, true),
                            frame, frame);
                c.depth = kFormDepth;
                m.clips.push_back(c);
                m.labels.push_back({frame, name});
                ++frame;
            }
        }
        m.frames = frame;
        m.clips.push_back(wire(sprite("WorkArea", 0, 0, kWidth, kHeight, 0x01000000)));
        m.clips.push_back(text("TextPanel", 232, 400, 560, 120));
        m.clips.push_back(button("skip_btn", 904, 20, 100, 40));
        out.push_back(m);
    }
    {
        Movie m;
        m.file = "loading.swf", m.folder = "movies", m.background = 0xFF101020;
        m.clips = {sprite("spinner", 480, 330, 64, 64, 0xFFE0E0E0, 12), text("level_name_text", 312, 600, 400, 40)};
        out.push_back(m);
    }
    {
        Movie m;
        m.file = "mainpanel-inventory.swf", m.folder = "movies";
        Clip textPlace = sprite("TextPlace", 200, kPanelTop + 30, 320, 40, 0x30FFFFFF);
        textPlace.ox = -160;
        m.clips = {wire(sprite("mainpanel", 0, kPanelTop, kWidth, kHeight - kPanelTop, 0xFF403020)),
                   sprite("ObjField", 30, kPanelTop + 10, 340, 130, 0x20FFFFFF),
                   textPlace,
                   sprite("TaskText", 200, kPanelTop + 100, 8, 8, kInvisible),
                   wire(sprite("mp_hint_btn", 400, kPanelTop + 30, 60, 60, 0xFF60A0E0, 20)),
                   button("mp_menu_btn", 560, kPanelTop + 30, 60, 60),
                   button("mp_task_btn", 640, kPanelTop + 30, 60, 60),
                   wire(labelled(sprite("mp_skip_btn", 720, kPanelTop + 30, 60, 60, 0xFF60E0A0, 30), {{20, "fade_out"}})),
                   button("btn_left", 800, kPanelTop + 40, 30, 60),
                   sprite("Inv_flag", 840, kPanelTop + 40, 8, 8, kInvisible),
                   button("btn_right", 980, kPanelTop + 40, 30, 60),
                   sprite("heroava", 900, 470, 100, 130, 0xFFA08060, 4),
                   wire(sprite("dialog_anim", 600, 430, 280, 150, 0xF0FFFFF0, 30)),
                   text("DialogText", 620, 450, 240, 100)};
        out.push_back(m);
    }
    {
        Movie m;
        m.file = "cursor.swf", m.folder = "movies";
        m.clips = {labelled(sprite("default_cursor", 0, 0, 24, 24, 0xFFFFFFFF, 3),
                            {{0, "default_cursor"}, {1, "over_blocked"}, {2, "cursor_penalty"}})};
        out.push_back(m);
    }
    {
        Movie m;
        m.file = "_console.swf", m.folder = "movies";
        m.clips = {sprite("console", 0, 0, kWidth, 400, 0xC0000000), sprite("auto_complete", 20, 400, 400, 200, 0xC0202020)};
        out.push_back(m);
    }

    out.push_back(cutScene("intro.swf", 60, 0xFF102030));
    {
        Movie m;
        m.file = "room.swf", m.folder = "levels";
        m.clips = {levelArea(),
                   sprite("clickarea", 0, 0, kWidth, kHeight, 0xFF6A5A40),
                   sprite("fireplace", 60, 300, 160, 200, 0xFF803020),
                   sprite("curtain", 800, 40, 150, 250, 0xFF802060, 8),
                   stopping(sprite("drawer", 300, 420, 120, 60, 0xFF604020, 10), false, true),
                   sprite("door", 880, 320, 100, 240, 0xFF402010),
                   object("cup_1", 250, 200, 40, 40, 0xFFE0E0FF),
                   object("cup_2", 600, 250, 40, 40, 0xFFE0E0FF),
                   object("book", 420, 150, 60, 40, 0xFF2040A0),
                   object("candle", 150, 120, 20, 50, 0xFFFFF0C0),
                   object("clock", 700, 120, 50, 50, 0xFFC0C020),
                   stopping(sprite("bird", 500, 60, 50, 40, 0xFF20A020, 12), false, true),
                   object("key", 350, 520, 40, 20, 0xFFFFD700),
                   object("vase_1", 520, 500, 40, 60, 0xFF40A0A0),
                   object("lock", 760, 420, 40, 40, 0xFF909090)};
        m.points = {{"free", {480, 350}}};
        out.push_back(m);
    }
    {
        Movie m;
        m.file = "closeup.swf", m.folder = "levels";
        m.clips = {sprite("bg_alfa", 0, 0, kWidth, kHeight, 0x80000000),
                   with(sprite("LevelArea", 212, 134, 600, 400, 0xFF506070),
                        {sprite("WorkArea", 0, 0, 600, 400, 0xFF607080), object("vase_sz", 250, 120, 60, 90, 0xFF40A0A0)}),
                   button("ZoomOutBtn", 772, 134, 40, 40)};
        m.points = {{"vase_home", {462, 254}}};
        out.push_back(m);
    }
    {
        Movie m;
        m.file = "letters.swf", m.folder = "levels", m.background = 0xFF304030;
        m.clips = {levelArea()};
        const char* const kClips[] = {"N_letter", "O_letter_1", "O_letter_2", "M_letter"};
        for (int i = 0; i < 4; ++i) m.clips.push_back(sprite(kClips[i], 312 + 110 * i, 300, 80, 100, 0xFFF0E0C0));
        out.push_back(m);
    }
    {
        Movie m;
        m.file = "puzzle.swf", m.folder = "levels";
        m.clips = {levelArea(), sprite("WorkArea", 0, 0, kWidth, kPanelTop, 0xFF405040),
                   stopping(sprite("pzl_picture", 312, 100, 400, 300, 0xFF8090A0, 12), true, true)};
        const int homes[4][2] = {{312, 100}, {512, 100}, {312, 250}, {512, 250}};
        for (int i = 0; i < 4; ++i) {
            Clip marker = sprite("pzl_home" + std::to_string(i + 1), homes[i][0], homes[i][1], 4, 4, kInvisible);
            m.clips.push_back(centred(marker));
        }
        std::vector<Clip> pieces;
        // The largest piece starts placed: the first one is drawn a little wider.
        for (int i = 0; i < 4; ++i)
            pieces.push_back(sprite("pzl_Piece" + std::to_string(i + 1), homes[i][0], homes[i][1], i == 0 ? 200 : 196, 150,
                                    0xFF000000 | (0x305070 + 0x201008 * i)));
        m.clips.push_back(with(sprite("pzl_pieces", 0, 0, 4, 4, kInvisible), pieces));
        m.clips.push_back(sprite("RotateArea", 800, 440, 120, 120, 0xFF705030));
        for (int i = 0; i < 4; ++i)
            // Low enough for a piece of any turn to stay above the heads-up panel, whose clips
            // take presses.
            m.clips.push_back(sprite("PuzzleArea" + std::to_string(i), 20 + 190 * i, 430, 170, 30, 0x30FFFFFF));
        out.push_back(m);
    }
    {
        Movie m;
        m.file = "rotator.swf", m.folder = "levels", m.background = 0xFF302040;
        m.clips = {levelArea()};
        const int centres[4][2] = {{437, 234}, {587, 234}, {437, 384}, {587, 384}};
        for (int i = 0; i < 4; ++i)
            m.clips.push_back(centred(sprite("piece" + std::to_string(i + 1), centres[i][0], centres[i][1], 150, 150,
                                             0xFF000000 | (0x806040 + 0x102030 * i))));
        out.push_back(m);
    }
    out.push_back(cutScene("outro.swf", 45, 0xFF201008));
    return out;
}

void place(const Clip& c, const std::string& parentPath, const std::string& parentName, int px, int py, int rootFrame,
           std::vector<std::pair<std::string, int>> gotos, std::vector<Placed>* out) {
    const int x = px + c.x, y = py + c.y;
    const std::string path = c.name.empty() ? parentPath : parentPath.empty() ? c.name : parentPath + "." + c.name;
    if (!parentName.empty() && c.firstFrame > 0) gotos.push_back({parentName, c.firstFrame});
    if (!c.name.empty())
        out->push_back({c.name, path, c.kind, x + c.ox, y + c.oy, x + c.ox + c.w, y + c.oy + c.h, c.frames, c.labels,
                        c.wired, rootFrame, gotos});
    for (const Clip& child : c.children) place(child, path, c.name, x, y, rootFrame, gotos, out);
}

}  // namespace

const std::vector<Movie>& movies() {
    static const std::vector<Movie> all = makeMovies();
    return all;
}

const Movie* findMovie(const std::string& file) {
    for (const Movie& m : movies())
        if (m.file == file) return &m;
    return nullptr;
}

const std::vector<Level>& levels() {
    static const std::vector<Level> all = makeLevels();
    return all;
}

const Level* findLevel(const std::string& name) {
    for (const Level& l : levels())
        if (l.name == name) return &l;
    return nullptr;
}

const char* startLevel() { return "intro"; }

std::vector<std::string> soundNames() {
    std::set<std::string> names = {"wrong_click", "mini_game_complete", "use_help", "help", "mm_arrow_click",
                                   "mm_ambient", "task_complete", "dialog_bubble_click_ph", "page_select",
                                   "page_slide", "click1", "glass_collection", "close_up_ph", "right_object",
                                   "default_btn_click"};
    for (const Level& l : levels()) {
        names.insert(l.name + "_ambient");
        for (const auto& s : l.sounds) names.insert(std::get<0>(s));
        // Hidden-object scenes give every element's clip a start sound.
        if (l.type == "hidden")
            for (const auto& [group, entries] : l.groups)
                if (group != "minilevels" && group != "effects")
                    for (const auto& e : entries) names.insert(e.first + "_sndstart");
        for (const auto& [group, entries] : l.groups)
            if (group == "minilevels")
                for (const auto& e : entries) names.insert(e.first + "_sndstart");
    }
    return {names.begin(), names.end()};
}

std::vector<std::string> musicFiles() { return {"menu_theme.ogg", "intro_theme.ogg"}; }

std::vector<std::string> effectNames() {
    std::set<std::string> names = {"on_win_effect", "firework", "lupa_ready_runningsparkle", "skip_minigame_ready",
                                   "Item_Appear", "Item_Disappear", "task_appear", "task_complete", "test"};
    for (const Level& l : levels())
        for (const auto& [group, entries] : l.groups)
            if (group == "effects")
                for (const auto& e : entries) names.insert(e.second);
    return {names.begin(), names.end()};
}

std::vector<std::string> fontNames() { return {"debug_font", "tahoma_b_13", "Vernada_BOLD_16", "BookmanC_18_italic"}; }

std::string fontTexture(const std::string& font) {
    std::string lower = font;
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower + ".png";
}

std::vector<std::pair<std::string, std::string>> strings() {
    std::vector<std::pair<std::string, std::string>> out = {
        {"ids_overclick", "Too many wrong clicks! Take your time."},
        {"ids_changename", "That name is taken. Choose another one."},
        {"ids_maxprofile", "There can be at most four players."},
        {"ids_lastprofile", "The last player cannot be deleted."},
        {"ids_firstprofile", "Create a player first."},
        {"ids_yesno", "Do you really want to quit?"},
        {"ids_surequit", "Leave the game?"},
        {"ids_deleteprofile", "Delete this player?"},
        {"ids_changeuser", "Change player"},
        {"ids_letters_done", "The word is complete."},
        {"ids_closeup_workarea_descr", "Bring the vase from the inventory."},
        // Captions of the loading screen, keyed by the level movie's file name.
        {"room.swf", "The Study"},
        {"intro.swf", "Prologue"},
        {"letters.swf", "Letters"},
        {"puzzle.swf", "Puzzle"},
        {"rotator.swf", "The Mosaic"},
        {"outro.swf", "Epilogue"},
        {"closeup.swf", "Close-up"},
        {"IDS_cup", "Cup"},
        {"IDS_book", "Book"},
        {"IDS_candle", "Candle"},
        {"IDS_bird", "Bird"},
        {"IDS_key", "Key"},
        {"IDS_vase_1", "Vase"},
        // One text outside ASCII.
        {"IDS_curtain", "Rideau \xC3\xA9" "carlate"},
    };
    for (const Level& l : levels()) {
        out.push_back({"ids_" + l.name + "_objectives", "The tasks of " + l.name});
        for (int finish = 0; finish < 2; ++finish) {
            const int bubbles = finish ? l.finishBubbles : l.startBubbles;
            for (int i = 1; i <= bubbles; ++i)
                out.push_back({"ids_dialog_" + l.name + (finish ? "_finish_" : "_start_") + std::to_string(i),
                               "Bubble " + std::to_string(i) + " of " + l.name + (finish ? " (end)" : " (start)")});
        }
    }
    return out;
}

const char* missingStringKey() { return "IDS_clock"; }

std::vector<std::string> usedStringKeys() {
    std::vector<std::string> out;
    for (const auto& [key, text] : strings()) out.push_back(key);
    return out;
}

std::vector<std::string> treeOrder(std::vector<std::string> names) {
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        if (a.size() != b.size()) return a.size() < b.size();
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        });
    });
    return names;
}

std::vector<Placed> placedClips(const Movie& m) {
    std::vector<Placed> out;
    for (const Clip& c : m.clips) place(c, "", "", 0, 0, c.firstFrame, {}, &out);
    return out;
}

}  // namespace demo
