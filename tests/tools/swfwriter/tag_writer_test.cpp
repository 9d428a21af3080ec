#include "tools/swfwriter/tag_writer.h"

#include <gtest/gtest.h>

#include <functional>

#include "tools/swfwriter/mutators.h"

using namespace swf;

namespace {

Bytes header_bytes(uint16_t code, uint32_t length, bool long_form) {
    Bytes out;
    write_tag_header(out, code, length, long_form);
    return out;
}

TEST(SwfTagWriter, Headers) {
    struct Case {
        uint16_t code;
        uint32_t length;
        bool long_form;
        Bytes expected;
    };
    const Case cases[] = {
        {1, 0, false, {0x40, 0x00}},                                 // ShowFrame
        {9, 3, false, {0x43, 0x02}},                                 // SetBackgroundColor
        {2, 62, false, {0xBE, 0x00}},                                // longest short length
        {2, 63, false, {0xBF, 0x00, 0x3F, 0x00, 0x00, 0x00}},        // 63 needs the long form
        {1, 0, true, {0x7F, 0x00, 0x00, 0x00, 0x00, 0x00}},          // forced long, empty
        {26, 5, true, {0xBF, 0x06, 0x05, 0x00, 0x00, 0x00}},         // forced long PlaceObject2
        {83, 0x12345, false, {0xFF, 0x14, 0x45, 0x23, 0x01, 0x00}},  // DefineShape4, long
        {0x3FF, 0xFFFFFFFF, false, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(header_bytes(c.code, c.length, c.long_form), c.expected) << c.code << " " << c.length;
}

TEST(SwfTagWriter, ControlAndSymbolTags) {
    struct Case {
        const char* what;
        std::function<void(TagWriter&)> write;
        Bytes expected;
    };
    const std::vector<Case> cases = {
        {"ShowFrame", [](TagWriter& t) { t.show_frame(); }, {0x40, 0x00}},
        {"End", [](TagWriter& t) { t.end(); }, {0x00, 0x00}},
        {"SetBackgroundColor",
         [](TagWriter& t) {
             t.set_background_color({0xFF, 0x00, 0x80, 0x10});
         },
         {0x43, 0x02, 0xFF, 0x00, 0x80}},
        {"FileAttributes",
         [](TagWriter& t) { t.file_attributes(0x08); },
         {0x44, 0x11, 0x08, 0x00, 0x00, 0x00}},
        {"FrameLabel", [](TagWriter& t) { t.frame_label("a"); }, {0xC2, 0x0A, 0x61, 0x00}},
        {"FrameLabel with anchor",
         [](TagWriter& t) { t.frame_label("a", 1); },
         {0xC3, 0x0A, 0x61, 0x00, 0x01}},
        {"DoAction",
         [](TagWriter& t) {
             t.do_action({0x07, 0x00});
         },
         {0x02, 0x03, 0x07, 0x00}},
        {"DoInitAction", [](TagWriter& t) { t.do_init_action(5, {0x00}); }, {0xC3, 0x0E, 0x05, 0x00, 0x00}},
        {"RemoveObject", [](TagWriter& t) { t.remove_object(3, 7); }, {0x44, 0x01, 0x03, 0x00, 0x07, 0x00}},
        {"RemoveObject2", [](TagWriter& t) { t.remove_object2(7); }, {0x02, 0x07, 0x07, 0x00}},
        {"ExportAssets",
         [](TagWriter& t) {
             t.export_assets({{1, "a"}, {2, "bc"}});
         },
         {0x0B, 0x0E, 0x02, 0x00, 0x01, 0x00, 0x61, 0x00, 0x02, 0x00, 0x62, 0x63, 0x00}},
        {"ImportAssets",
         [](TagWriter& t) {
             t.import_assets("u", {{1, "a"}});
         },
         {0x48, 0x0E, 0x75, 0x00, 0x01, 0x00, 0x01, 0x00, 0x61, 0x00}},
        {"SymbolClass",
         [](TagWriter& t) {
             t.symbol_class({{0, "Main"}});
         },
         {0x09, 0x13, 0x01, 0x00, 0x00, 0x00, 0x4D, 0x61, 0x69, 0x6E, 0x00}},
        {"DoABC",
         [](TagWriter& t) { t.do_abc(1, "x", {0xAA}); },
         {0x87, 0x14, 0x01, 0x00, 0x00, 0x00, 0x78, 0x00, 0xAA}},
        {"raw tag, forced long",
         [](TagWriter& t) { t.tag(255, {0x01}, TagHeader::long_header()); },
         {0xFF, 0x3F, 0x01, 0x00, 0x00, 0x00, 0x01}},
        {"raw tag with a declared length past its body",
         [](TagWriter& t) { t.tag(255, {0x01}, TagHeader::declared_length(40)); },
         {0xE8, 0x3F, 0x01}},
        {"declared 0xFFFFFFFF",
         [](TagWriter& t) { t.tag(1, {}, TagHeader::declared_length(0xFFFFFFFF)); },
         {0x7F, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        TagWriter t(8);
        c.write(t);
        EXPECT_EQ(t.bytes(), c.expected) << c.what;
    }
}

TEST(SwfTagWriter, SpritesShareIdsAndCountFrames) {
    TagWriter movie(8);
    EXPECT_EQ(movie.next_id(), 1);
    SpriteWriter sprite = movie.sprite();
    EXPECT_EQ(sprite.version(), 8);
    EXPECT_EQ(sprite.next_id(), 2);  // the counter is the movie's
    sprite.frame_label("go");
    sprite.show_frame();
    sprite.show_frame();
    sprite.end();
    EXPECT_EQ(sprite.frames(), 2);

    const uint16_t id = movie.define_sprite(sprite);
    EXPECT_EQ(id, 3);
    // Id 3, 2 frames, then the sprite's own tags.
    const Bytes expected = {0xCF, 0x09, 0x03, 0x00, 0x02, 0x00, 0xC3, 0x0A, 0x67,
                            0x6F, 0x00, 0x40, 0x00, 0x40, 0x00, 0x00, 0x00};
    EXPECT_EQ(movie.bytes(), expected);
    EXPECT_EQ(movie.frames(), 0);  // ShowFrames inside a sprite are not the movie's

    TagWriter other(8);
    EXPECT_EQ(other.define_sprite(sprite, 700, 0), 700);
    EXPECT_EQ(Bytes(other.bytes().begin(), other.bytes().begin() + 6),
              (Bytes{0xCF, 0x09, 0xBC, 0x02, 0x00, 0x00}));
}

}  // namespace

namespace {

// Every helper writes exactly one tag of its own code, whose length covers its body.
TEST(SwfTagWriter, EveryHelperWritesOneTagOfItsCode) {
    const Image pixel = Image::filled(1, 1, {1, 2, 3, 255});
    const Shape square = filled_rect(0, 0, 20, 20, {255, 0, 0, 255});
    struct Case {
        uint16_t code;
        std::function<void(TagWriter&)> write;
    };
    const std::vector<Case> cases = {
        {tag_end, [](TagWriter& t) { t.end(); }},
        {tag_show_frame, [](TagWriter& t) { t.show_frame(); }},
        {tag_define_shape, [&](TagWriter& t) { t.define_shape(square, tag_define_shape); }},
        {tag_define_shape2, [&](TagWriter& t) { t.define_shape(square, tag_define_shape2); }},
        {tag_define_shape3, [&](TagWriter& t) { t.define_shape(square); }},
        {tag_define_shape4, [&](TagWriter& t) { t.define_shape(square, tag_define_shape4); }},
        {tag_define_morph_shape, [](TagWriter& t) { t.define_morph_shape({}); }},
        {tag_define_morph_shape2, [](TagWriter& t) { t.define_morph_shape({}, tag_define_morph_shape2); }},
        {tag_place_object, [](TagWriter& t) { t.place_object({}); }},
        {tag_place_object2, [](TagWriter& t) { t.place_object2(PlaceObject::place(1, 1)); }},
        {tag_place_object3, [](TagWriter& t) { t.place_object3(PlaceObject::place(1, 1)); }},
        {tag_remove_object, [](TagWriter& t) { t.remove_object(1, 1); }},
        {tag_remove_object2, [](TagWriter& t) { t.remove_object2(1); }},
        {tag_define_bits,
         [](TagWriter& t) {
             t.define_bits({0xFF, 0xD8, 0xFF, 0xD9});
         }},
        {tag_jpeg_tables,
         [](TagWriter& t) {
             t.jpeg_tables({0xFF, 0xD8, 0xFF, 0xD9});
         }},
        {tag_define_bits_jpeg2,
         [](TagWriter& t) {
             t.define_bits_jpeg2({0xFF, 0xD8, 0xFF, 0xD9});
         }},
        {tag_define_bits_jpeg3, [&](TagWriter& t) { t.define_bits_jpeg3(pixel, 50); }},
        {tag_define_bits_lossless, [&](TagWriter& t) { t.define_bits_lossless(pixel); }},
        {tag_define_bits_lossless2,
         [&](TagWriter& t) { t.define_bits_lossless2(pixel, lossless_colormapped); }},
        {tag_define_button, [](TagWriter& t) { t.define_button({ButtonRecord{}}, {0x00}); }},
        {tag_define_button2, [](TagWriter& t) { t.define_button2({}); }},
        {tag_define_button_sound, [](TagWriter& t) { t.define_button_sound(1, {}); }},
        {tag_define_edit_text, [](TagWriter& t) { t.define_edit_text({}); }},
        {tag_define_sound, [](TagWriter& t) { t.define_sound({}); }},
        {tag_start_sound, [](TagWriter& t) { t.start_sound(1); }},
        {tag_define_sprite, [](TagWriter& t) { t.define_sprite(t.sprite()); }},
        {tag_frame_label, [](TagWriter& t) { t.frame_label("x"); }},
        {tag_do_action, [](TagWriter& t) { t.do_action({0x00}); }},
        {tag_do_init_action, [](TagWriter& t) { t.do_init_action(1, {0x00}); }},
        {tag_export_assets,
         [](TagWriter& t) {
             t.export_assets({{1, "a"}});
         }},
        {tag_import_assets,
         [](TagWriter& t) {
             t.import_assets("b.swf", {{1, "a"}});
         }},
        {tag_symbol_class,
         [](TagWriter& t) {
             t.symbol_class({{1, "A"}});
         }},
        {tag_do_abc, [](TagWriter& t) { t.do_abc(0, "", {}); }},
        {tag_file_attributes, [](TagWriter& t) { t.file_attributes(0); }},
        {tag_set_background_color, [](TagWriter& t) { t.set_background_color({}); }},
    };
    for (const Case& c : cases) {
        TagWriter t(8);
        c.write(t);
        const std::vector<TagLocation> tags = list_tags(t.bytes(), 0, t.bytes().size());
        ASSERT_EQ(tags.size(), 1u) << c.code;
        EXPECT_EQ(tags[0].code, c.code);
        EXPECT_EQ(tags[0].body_offset + tags[0].length, t.bytes().size()) << c.code;
    }
}

}  // namespace
