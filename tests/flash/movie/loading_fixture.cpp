#include "tests/flash/movie/loading_fixture.h"

#include "flash/movie/movie_def_impl.h"
#include "flash/runtime/as_environment.h"
#include "tests/flash/movie/sprite_fixture.h"
#include "tools/swfwriter/movie_writer.h"
#include "tools/swfwriter/tag_writer.h"

namespace loadtest {

namespace {

constexpr int twips = 20;
constexpr float frame_time = 1.0f / 12.0f;
constexpr uint8_t grey = 128;

std::string text_of(const flash::as_value& v) {
    flash::as_object* o = v.to_object();
    if (!o) return v.to_string();
    if (flash::character* ch = flash::as_character(o)) return std::string("clip:") + ch->get_name().c_str();
    return "object";
}

// Each recording method knows its own name through the table below.
template <int index>
void record(const flash::fn_call& fn) {
    static const char* const names[] = {"onLoadStart", "onLoadInit", "onLoadProgress", "onLoadComplete", "onLoadError"};
    flash::as_value tag;
    if (fn.this_object) fn.this_object->get_member("tag", &tag);
    std::string line = std::string(tag.to_string()) + "." + names[index] + "(";
    for (int i = 0; i < fn.arg_count; ++i) line += (i ? ", " : "") + text_of(fn.arg(i));
    calls().push_back(line + ")");
}

}  // namespace

std::vector<std::string>& calls() {
    static std::vector<std::string> list;
    return list;
}

flash::as_object* make_recording_listener(flash::player* owner, const char* tag) {
    flash::as_object* o = new flash::as_object(owner);
    o->set_member("tag", flash::as_value(tag));
    o->set_member("onLoadStart", flash::as_value(record<0>));
    o->set_member("onLoadInit", flash::as_value(record<1>));
    o->set_member("onLoadProgress", flash::as_value(record<2>));
    o->set_member("onLoadComplete", flash::as_value(record<3>));
    o->set_member("onLoadError", flash::as_value(record<4>));
    return o;
}

bytes child_movie(const std::string& text, int version) {
    swf::MovieWriter m(version);
    const uint16_t square = m.define_shape(swf::filled_rect(0, 0, 4 * twips, 4 * twips, {255, 0, 0, 255}));
    m.place_object2(swf::PlaceObject::place(1, square));
    spritetest::traced_frame(m, text);
    m.end();
    return m.finish_fws();
}

bytes jpeg_picture() {
    return swf::encode_jpeg(swf::Image::filled(picture_side, picture_side, {grey, grey, grey, 255}), 90);
}

bytes main_movie(const std::string& export_name) {
    swf::MovieWriter m(8);
    const uint16_t id = spritetest::empty_sprite(m);
    if (!export_name.empty()) m.export_assets({{id, export_name}});
    swf::PlaceObject place = spritetest::named(1, id, "holder");
    swf::Matrix at;
    at.translate_x = 10 * twips;
    at.translate_y = 20 * twips;
    place.matrix = at;
    m.place_object2(place);
    m.show_frame();
    m.end();
    return m.finish_fws();
}

loading_movie::loading_movie(const bytes& main) {
    calls().clear();
    flash::movie_def_impl* def = fixture.load("main.swf", main);
    if (!def) return;
    r = new flash::root(owner(), def);
    top = flash::sprite_instance::create_top_level(owner(), def, r.get_ptr());
    r->set_root_movie(top.get_ptr());
    owner()->set_root(r.get_ptr());
}

loading_movie::~loading_movie() {
    if (fixture.owner) owner()->set_root(static_cast<flash::root*>(nullptr));
    top = nullptr;
    r = nullptr;
}

void loading_movie::advance(int count) {
    for (int i = 0; i < count && r; ++i) r->advance(frame_time);
}

flash::character* loading_movie::child(const char* name) const {
    flash::sprite_instance* movie = flash::cast_to<flash::sprite_instance>(r ? r->get_root_movie() : nullptr);
    return movie ? movie->get_character_by_name(flash::bx_string(name)) : nullptr;
}

flash::as_value loading_movie::call(flash::as_c_function_ptr f, const flash::as_value& self,
                                    std::initializer_list<flash::as_value> args) {
    flash::as_environment* env = top->get_environment();
    const int base = env->get_stack_size();
    for (auto it = args.end(); it != args.begin();) env->push(*--it);
    flash::as_value result;
    flash::fn_call fn(&result, self.to_object(), env, static_cast<int>(args.size()), env->get_top_index(), &self);
    f(fn);
    env->set_stack_size(base);
    return result;
}

}  // namespace loadtest
