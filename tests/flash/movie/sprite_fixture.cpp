#include "tests/flash/movie/sprite_fixture.h"

#include "flash/movie/host_callbacks.h"
#include "tools/swfwriter/shape.h"

namespace spritetest {

namespace {

constexpr int twips = 20;
std::vector<std::string> g_entries;

void collect_log(bool is_error, const char* text) {
    std::string line(text ? text : "");
    while (!line.empty() && line.back() == '\n') line.pop_back();
    if (!is_error) journal::add("trace " + line);
    // Errors keep going to the fixture's log.
    testsupport::engine_log::errors() += is_error ? std::string(text ? text : "") : "";
}

void on_sound(flash::character*, const char* name) { journal::add(std::string("sound ") + name); }
void on_fx(flash::character*, const char* name) { journal::add(std::string("fx ") + name); }

}  // namespace

journal::journal() : m_previous(flash::get_log_callback()) {
    g_entries.clear();
    flash::register_log_callback(collect_log);
    flash::register_sound_callback(on_sound);
    flash::register_fx_callback(on_fx);
}

journal::~journal() {
    flash::register_fx_callback(nullptr);
    flash::register_sound_callback(nullptr);
    flash::register_log_callback(m_previous);
}

std::string journal::take() {
    std::string out;
    for (const std::string& entry : g_entries) out += (out.empty() ? "" : ", ") + entry;
    g_entries.clear();
    return out;
}

void journal::add(const std::string& entry) { g_entries.push_back(entry); }

void journal::on_stop(flash::character* ch) { add(std::string("stop ") + ch->get_name().c_str()); }

void journal::on_event(flash::character* ch, int code) {
    add("event " + std::to_string(code) + " " + ch->get_name().c_str());
}

playing_movie::playing_movie(const bytes& swf) {
    flash::movie_def_impl* def = fixture.load("movie.swf", swf);
    if (!def) return;
    top = flash::sprite_instance::create_top_level(fixture.owner.get_ptr(), def, nullptr);
    fixture.owner->set_root_movie(top.get_ptr());
}

playing_movie::~playing_movie() {
    if (fixture.owner) fixture.owner->set_root_movie(nullptr);
    top = nullptr;
}

void playing_movie::advance(int count, float dt) {
    for (int i = 0; i < count && top; ++i) top->advance(dt);
}

flash::character* playing_movie::find(const std::string& path) const {
    flash::character* at = top.get_ptr();
    size_t start = 0;
    while (at && start <= path.size()) {
        const size_t dot = path.find('.', start);
        const std::string name = path.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        flash::display_list* list = at->get_display_list();
        at = list ? list->get_character_by_name(flash::bx_string(name.c_str()), false) : nullptr;
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    return at;
}

bytes trace(const std::string& line) { return assembler().trace_str(line).end().take(); }

void traced_frame(swf::TagWriter& w, const std::string& line) {
    w.do_action(trace(line));
    w.show_frame();
}

uint16_t empty_sprite(swf::TagWriter& w, int frames) {
    swf::SpriteWriter s = w.sprite();
    for (int i = 0; i < frames; ++i) s.show_frame();
    return w.define_sprite(s);
}

swf::PlaceObject named(uint16_t depth, uint16_t id, const std::string& name) {
    swf::PlaceObject p = swf::PlaceObject::place(depth, id);
    p.name = name;
    return p;
}

bytes finish(swf::MovieWriter& m) {
    m.end();
    return m.finish_fws();
}

uint16_t square(swf::TagWriter& w, int x, int y, int side) {
    return w.define_shape(swf::filled_rect(x * twips, y * twips, side * twips, side * twips, {255, 0, 0, 255}));
}

}  // namespace spritetest
