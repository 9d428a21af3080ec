#include "movie_seeds.h"

#include "tools/swfwriter/movie_writer.h"

namespace movietest {

std::vector<bytes> fuzz_seeds() {
    swf::MovieWriter m(8);
    m.file_attributes(0x08);
    m.set_background_color({1, 2, 3, 255});
    swf::SpriteWriter s = m.sprite();
    s.place_object2(swf::PlaceObject::place(1, 5));
    s.frame_label("in");
    s.show_frame();
    s.remove_object2(1);
    s.show_frame();
    s.end();
    const uint16_t id = m.define_sprite(s);
    swf::PlaceObject p = swf::PlaceObject::place(1, id);
    p.name = "clip";
    p.matrix = swf::Matrix::scaling(2, 2, 100, 100);
    swf::CxForm c;
    c.has_add = true;
    c.add = {1, 2, 3, 4};
    p.cxform = c;
    swf::ClipActions actions;
    actions.records.push_back(swf::clip_action(swf::event_load | swf::event_key_press, trace_actions({"k"}), 32));
    p.clip_actions = actions;
    m.place_object2(p);
    swf::PlaceObject p3 = swf::PlaceObject::replace(2, id);
    p3.filters = std::vector<swf::Filter>{swf::blur_filter(1, 1, 1), swf::gradient_glow_filter({{}, {}}, {})};
    p3.blend_mode = 1;
    m.place_object3(p3);
    swf::PlaceObject1 p1;
    p1.character_id = id;
    p1.depth = 3;
    m.place_object(p1);
    m.do_action(trace_actions({"one", "two", "three"}));
    m.do_init_action(id, trace_actions({"init"}));
    m.export_assets({{id, "Clip"}});
    m.import_assets("other.swf", {{50, "Thing"}});
    m.symbol_class({{id, "a.B"}});
    m.tag(86, {1, 0, 'S', 0, 1, 0, 'L', 0});
    m.show_frame();
    m.frame_label("second");
    m.remove_object(id, 3);
    m.show_frame();
    m.end();
    const bytes full = m.finish_fws();

    swf::MovieWriter small(5);
    small.do_action(trace_actions({"x"}));
    small.show_frame();
    small.end();

    return {full, swf::to_cws(full), small.finish_fws(), swf::to_cws(small.finish_fws())};
}

}  // namespace movietest
