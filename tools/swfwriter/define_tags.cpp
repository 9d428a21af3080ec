// The character-definition helpers of TagWriter: each encodes its body elsewhere and writes it
// under the id it was given or a fresh one.
#include "tools/swfwriter/tag_writer.h"

namespace swf {

uint16_t TagWriter::define_shape(const Shape& s, uint16_t shape_tag, std::optional<uint16_t> id) {
    const uint16_t shape_id = use_id(id);
    tag(shape_tag, define_shape_body(shape_id, s, shape_tag));
    return shape_id;
}

uint16_t TagWriter::define_morph_shape(const MorphShape& m, uint16_t morph_tag, std::optional<uint16_t> id) {
    const uint16_t morph_id = use_id(id);
    tag(morph_tag, define_morph_shape_body(morph_id, m, morph_tag));
    return morph_id;
}

uint16_t TagWriter::define_button(const std::vector<ButtonRecord>& records, const Bytes& actions,
                                  std::optional<uint16_t> id) {
    const uint16_t button_id = use_id(id);
    tag(tag_define_button, define_button_body(button_id, records, actions));
    return button_id;
}

uint16_t TagWriter::define_button2(const Button2& b, std::optional<uint16_t> id) {
    const uint16_t button_id = use_id(id);
    tag(tag_define_button2, define_button2_body(button_id, b));
    return button_id;
}

void TagWriter::define_button_sound(uint16_t button_id, const std::array<ButtonSound, 4>& sounds) {
    tag(tag_define_button_sound, define_button_sound_body(button_id, sounds));
}

uint16_t TagWriter::define_edit_text(const EditText& t, std::optional<uint16_t> id) {
    const uint16_t text_id = use_id(id);
    tag(tag_define_edit_text, define_edit_text_body(text_id, t));
    return text_id;
}

uint16_t TagWriter::define_sound(const Sound& s, std::optional<uint16_t> id) {
    const uint16_t sound_id = use_id(id);
    tag(tag_define_sound, define_sound_body(sound_id, s));
    return sound_id;
}

void TagWriter::start_sound(uint16_t sound_id, const SoundInfo& info) {
    BitWriter w;
    w.u16(sound_id);
    write_sound_info(w, info);
    tag(tag_start_sound, w.take());
}

uint16_t TagWriter::define_bits_lossless(const Image& image, uint8_t format, std::optional<uint16_t> id) {
    const uint16_t bitmap_id = use_id(id);
    tag(tag_define_bits_lossless, define_bits_lossless_body(bitmap_id, image, format, false));
    return bitmap_id;
}

uint16_t TagWriter::define_bits_lossless2(const Image& image, uint8_t format, std::optional<uint16_t> id) {
    const uint16_t bitmap_id = use_id(id);
    tag(tag_define_bits_lossless2, define_bits_lossless_body(bitmap_id, image, format, true));
    return bitmap_id;
}

void TagWriter::jpeg_tables(const Bytes& tables) { tag(tag_jpeg_tables, tables); }

namespace {

Bytes id_then(uint16_t id, const Bytes& data) {
    BitWriter w;
    w.u16(id);
    w.bytes(data);
    return w.take();
}

}  // namespace

uint16_t TagWriter::define_bits(const Bytes& abbreviated_jpeg, std::optional<uint16_t> id) {
    const uint16_t bitmap_id = use_id(id);
    tag(tag_define_bits, id_then(bitmap_id, abbreviated_jpeg));
    return bitmap_id;
}

uint16_t TagWriter::define_bits_jpeg2(const Bytes& jpeg, std::optional<uint16_t> id) {
    const uint16_t bitmap_id = use_id(id);
    tag(tag_define_bits_jpeg2, id_then(bitmap_id, jpeg));
    return bitmap_id;
}

uint16_t TagWriter::define_bits_jpeg3(const Bytes& jpeg, const Bytes& alpha, std::optional<uint16_t> id) {
    const uint16_t bitmap_id = use_id(id);
    tag(tag_define_bits_jpeg3, define_bits_jpeg3_body(bitmap_id, jpeg, alpha));
    return bitmap_id;
}

uint16_t TagWriter::define_bits_jpeg3(const Image& image, int quality, std::optional<uint16_t> id) {
    return define_bits_jpeg3(encode_jpeg(image, quality), alpha_channel(image), id);
}

}  // namespace swf
