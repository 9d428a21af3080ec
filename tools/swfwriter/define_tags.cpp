// The character-definition helpers of TagWriter: each encodes its body elsewhere and writes it
// under the id it was given or a fresh one.
#include "tools/swfwriter/tag_writer.h"

namespace swf {

template <class Encode>
uint16_t TagWriter::define(uint16_t code, std::optional<uint16_t> id, Encode&& encode) {
    const uint16_t new_id = use_id(id);
    tag(code, encode(new_id));
    return new_id;
}

uint16_t TagWriter::define_shape(const Shape& s, uint16_t shape_tag, std::optional<uint16_t> id) {
    return define(shape_tag, id, [&](uint16_t new_id) { return define_shape_body(new_id, s, shape_tag); });
}

uint16_t TagWriter::define_morph_shape(const MorphShape& m, uint16_t morph_tag, std::optional<uint16_t> id) {
    return define(morph_tag, id,
                  [&](uint16_t new_id) { return define_morph_shape_body(new_id, m, morph_tag); });
}

uint16_t TagWriter::define_button(const std::vector<ButtonRecord>& records, const Bytes& actions,
                                  std::optional<uint16_t> id) {
    return define(tag_define_button, id,
                  [&](uint16_t new_id) { return define_button_body(new_id, records, actions); });
}

uint16_t TagWriter::define_button2(const Button2& b, std::optional<uint16_t> id) {
    return define(tag_define_button2, id, [&](uint16_t new_id) { return define_button2_body(new_id, b); });
}

void TagWriter::define_button_sound(uint16_t button_id, const std::array<ButtonSound, 4>& sounds) {
    tag(tag_define_button_sound, define_button_sound_body(button_id, sounds));
}

uint16_t TagWriter::define_edit_text(const EditText& t, std::optional<uint16_t> id) {
    return define(tag_define_edit_text, id,
                  [&](uint16_t new_id) { return define_edit_text_body(new_id, t); });
}

uint16_t TagWriter::define_sound(const Sound& s, std::optional<uint16_t> id) {
    return define(tag_define_sound, id, [&](uint16_t new_id) { return define_sound_body(new_id, s); });
}

void TagWriter::start_sound(uint16_t sound_id, const SoundInfo& info) {
    BitWriter w;
    w.u16(sound_id);
    write_sound_info(w, info);
    tag(tag_start_sound, w.take());
}

void TagWriter::sound_stream_head(const StreamHead& h, uint16_t head_tag) {
    tag(head_tag, sound_stream_head_body(h));
}

void TagWriter::sound_stream_block(const Bytes& data) { tag(tag_sound_stream_block, data); }

uint16_t TagWriter::define_bits_lossless(const Image& image, uint8_t format, std::optional<uint16_t> id) {
    return define(tag_define_bits_lossless, id,
                  [&](uint16_t new_id) { return define_bits_lossless_body(new_id, image, format, false); });
}

uint16_t TagWriter::define_bits_lossless2(const Image& image, uint8_t format, std::optional<uint16_t> id) {
    return define(tag_define_bits_lossless2, id,
                  [&](uint16_t new_id) { return define_bits_lossless_body(new_id, image, format, true); });
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
    return define(tag_define_bits, id, [&](uint16_t new_id) { return id_then(new_id, abbreviated_jpeg); });
}

uint16_t TagWriter::define_bits_jpeg2(const Bytes& jpeg, std::optional<uint16_t> id) {
    return define(tag_define_bits_jpeg2, id, [&](uint16_t new_id) { return id_then(new_id, jpeg); });
}

uint16_t TagWriter::define_bits_jpeg3(const Bytes& jpeg, const Bytes& alpha, std::optional<uint16_t> id) {
    return define(tag_define_bits_jpeg3, id,
                  [&](uint16_t new_id) { return define_bits_jpeg3_body(new_id, jpeg, alpha); });
}

uint16_t TagWriter::define_bits_jpeg3(const Image& image, int quality, std::optional<uint16_t> id) {
    return define_bits_jpeg3(encode_jpeg(image, quality), alpha_channel(image), id);
}

uint16_t TagWriter::define_sprite(const SpriteWriter& s, std::optional<uint16_t> id,
                                  std::optional<uint16_t> frame_count) {
    return define(tag_define_sprite, id, [&](uint16_t new_id) {
        BitWriter w;
        w.u16(new_id);
        w.u16(frame_count.value_or(static_cast<uint16_t>(s.frames())));
        w.bytes(s.bytes());
        return w.take();
    });
}

}  // namespace swf
