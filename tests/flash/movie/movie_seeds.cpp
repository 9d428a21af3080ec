#include "movie_seeds.h"

#include "tools/swfwriter/adpcm.h"
#include "tools/swfwriter/bitmaps.h"
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
    actions.records.push_back(
        swf::clip_action(swf::event_load | swf::event_key_press, trace_actions({"k"}), 32));
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

    // Every bitmap tag: lossless formats of both kinds, JPEG with shared tables, JPEG2 with the
    // end-before-start prefix, JPEG3 with alpha; small, so that cuts and flips stay quick.
    swf::Image img = swf::Image::filled(8, 8, {200, 10, 20, 128});
    img.at(1, 1) = {0, 255, 0, 255};
    const swf::JpegPair pair = swf::encode_jpeg_pair(img, 80);
    swf::Bytes prefixed = swf::jpeg_erroneous_header;
    const swf::Bytes jpeg = swf::encode_jpeg(img, 80);
    prefixed.insert(prefixed.end(), jpeg.begin(), jpeg.end());
    swf::MovieWriter b(8);
    b.define_bits_lossless(img, swf::lossless_colormapped);
    b.define_bits_lossless(img, swf::lossless_rgb15);
    b.define_bits_lossless2(img, swf::lossless_argb);
    b.define_bits_lossless2(img, swf::lossless_colormapped);
    b.jpeg_tables(pair.tables);
    b.define_bits(pair.image);
    b.define_bits_jpeg2(prefixed);
    b.define_bits_jpeg3(img, 80);
    b.show_frame();
    b.end();
    const bytes bitmaps = b.finish_fws();

    // Every shape tag version with solid, gradient and bitmap fills, lines, curves and a second
    // style group, the bitmap first so that its fill resolves.
    swf::MovieWriter sh(8);
    const uint16_t bitmap_id = sh.define_bits_lossless2(swf::Image::filled(4, 4, {9, 8, 7, 255}));
    const uint16_t shape_tags[] = {swf::tag_define_shape, swf::tag_define_shape2, swf::tag_define_shape3,
                                   swf::tag_define_shape4};
    for (uint16_t tag : shape_tags) {
        swf::Shape s;
        s.fills = {swf::FillStyle::solid({200, 0, 0, 100}),
                   swf::FillStyle::linear(swf::Matrix::scaling(0.1, 0.1), {{0, {0, 0, 0, 255}}, {255, {255, 255, 255, 0}}}),
                   swf::FillStyle::bitmap(bitmap_id, swf::Matrix::scaling(20, 20))};
        s.lines = {swf::LineStyle::solid(40, {0, 0, 255, 255})};
        s.path.fill1(1).line(1).rect(0, 0, 400, 300);
        s.path.fill1(2).circle(600, 600, 200);
        s.path.new_styles({swf::FillStyle::bitmap(bitmap_id, swf::Matrix::scaling(20, 20))}, {});
        s.path.fill1(1).polygon({{0, 0}, {300, 50}, {100, 400}});
        sh.define_shape(s, tag);
    }
    sh.show_frame();
    sh.end();
    const bytes shapes = sh.finish_fws();

    // A sprite that places itself twice, with frame actions that loop for ever (a Jump to
    // itself): played, it must stop at the nesting limit and at the action budget.
    swf::MovieWriter loop(8);
    const uint16_t self_id = loop.next_id();
    swf::SpriteWriter self = loop.sprite();
    self.place_object2(swf::PlaceObject::place(1, self_id));
    self.place_object2(swf::PlaceObject::place(2, self_id));
    self.do_action({0x99, 2, 0, 0xFB, 0xFF, 0});
    self.show_frame();
    self.show_frame();
    loop.define_sprite(self, self_id);
    loop.place_object2(swf::PlaceObject::place(1, self_id));
    loop.show_frame();
    loop.end();

    // Buttons over a shape with every condition and a sound for each transition, text fields with
    // every optional field and static text, and event sounds: raw, ADPCM mono and stereo, started
    // and stopped.
    swf::MovieWriter cm(8);
    swf::Shape square;
    square.fills = {swf::FillStyle::solid({0, 200, 0, 255})};
    square.path.fill1(1).rect(0, 0, 200, 200);
    const uint16_t square_id = cm.define_shape(square);
    swf::Sound raw;
    raw.sample_count = 8;
    raw.data.assign(16, 3);
    const uint16_t raw_id = cm.define_sound(raw);
    std::vector<int16_t> wave;
    for (int i = 0; i < 40; ++i) wave.push_back(static_cast<int16_t>((i % 10) * 1000 - 5000));
    swf::Sound adpcm;
    adpcm.format = swf::sound_adpcm;
    adpcm.sample_count = 40;
    adpcm.data = swf::encode_adpcm(wave, false, 3).data;
    const uint16_t adpcm_id = cm.define_sound(adpcm);
    adpcm.stereo = true;
    adpcm.sample_count = 20;
    adpcm.data = swf::encode_adpcm(wave, true, 5).data;
    cm.define_sound(adpcm);
    swf::SoundInfo looped;
    looped.loops = 2;
    looped.envelope = std::vector<swf::EnvelopePoint>{{0, 100, 200}};
    looped.in_point = 1;
    looped.out_point = 5;
    cm.start_sound(raw_id, looped);
    swf::SoundInfo stop;
    stop.stop = true;
    cm.start_sound(adpcm_id, stop);
    swf::ButtonRecord shown;
    shown.character_id = square_id;
    swf::ButtonRecord hit = shown;
    hit.states = swf::button_hit_test;
    hit.filters = std::vector<swf::Filter>{swf::blur_filter(1, 1, 1)};
    hit.blend_mode = 2;
    const uint16_t b1 = cm.define_button({shown}, trace_actions({"click"}));
    swf::Button2 b2;
    b2.track_as_menu = true;
    b2.records = {shown, hit};
    b2.actions = {{swf::cond_press, trace_actions({"p"})},
                  {swf::cond_key_press(13) | swf::cond_release, trace_actions({"r"})}};
    const uint16_t b2_id = cm.define_button2(b2);
    std::array<swf::ButtonSound, 4> sounds{};
    sounds[1] = {raw_id, looped};
    sounds[2] = {adpcm_id, stop};
    cm.define_button_sound(b2_id, sounds);
    cm.define_button_sound(b1, sounds);
    swf::EditText field;
    field.bounds = {0, 2000, 0, 400};
    field.border = field.multiline = true;
    field.font_id = 1;
    field.color = swf::Rgba{1, 2, 3, 4};
    field.max_length = 6;
    field.layout = swf::TextLayout{swf::align_center, 1, 2, 3, 4};
    field.variable_name = "v";
    field.initial_text = "héllo";
    const uint16_t field_id = cm.define_edit_text(field);
    swf::EditText bare;
    cm.define_edit_text(bare);
    swf::BitWriter settings;
    settings.u16(field_id);
    settings.u8(0x48);
    settings.u32(0x10000);
    settings.u32(0x20000);
    settings.u8(0);
    cm.tag(swf::tag_csm_text_settings, settings.take());
    swf::BitWriter text;
    text.u16(cm.next_id());
    swf::write_rect(text, {0, 100, 0, 100});
    swf::write_matrix(text, {});
    text.u8(4);
    text.u8(4);
    for (uint8_t b : {0x8F, 1, 0, 1, 2, 3, 4, 0, 5, 0, 240, 0, 0x01, 0x55, 0}) text.u8(b);
    cm.tag(swf::tag_define_text2, text.take());
    swf::PlaceObject placed = swf::PlaceObject::place(1, b2_id);
    placed.name = "btn";
    cm.place_object2(placed);
    cm.place_object2(swf::PlaceObject::place(2, field_id));
    cm.show_frame();
    cm.end();
    const bytes controls = cm.finish_fws();

    // The controls movie stays last: its test picks it from the end.
    return {full,    swf::to_cws(full),   small.finish_fws(), swf::to_cws(small.finish_fws()),
            bitmaps, swf::to_cws(bitmaps), shapes,            loop.finish_fws(), controls};
}

}  // namespace movietest
