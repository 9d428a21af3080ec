#include "tools/swfwriter/tag_writer.h"

namespace swf {

void write_tag_header(Bytes& out, uint16_t code, uint32_t length, bool long_form) {
    const bool fits_short = length < long_length_marker;
    const uint16_t word = static_cast<uint16_t>((code << tag_code_shift) |
                                                (fits_short && !long_form ? length : long_length_marker));
    BitWriter w;
    w.u16(word);
    if (!fits_short || long_form) w.u32(length);
    const Bytes& header = w.data();
    out.insert(out.end(), header.begin(), header.end());
}

TagWriter::TagWriter(int version) : version_(version), next_id_(std::make_shared<uint16_t>(1)) {}

uint16_t TagWriter::next_id() { return (*next_id_)++; }

uint16_t TagWriter::use_id(std::optional<uint16_t> id) { return id ? *id : next_id(); }

void TagWriter::tag(uint16_t code, const Bytes& body, TagHeader header) {
    write_tag_header(out_, code, header.length.value_or(static_cast<uint32_t>(body.size())),
                     header.long_form);
    out_.insert(out_.end(), body.begin(), body.end());
    if (code == tag_show_frame) ++frames_;
}

void TagWriter::show_frame() { tag(tag_show_frame, {}); }

void TagWriter::end() { tag(tag_end, {}); }

void TagWriter::set_background_color(Rgba color) {
    BitWriter w;
    write_rgb(w, color);
    tag(tag_set_background_color, w.take());
}

void TagWriter::file_attributes(uint32_t flags) {
    BitWriter w;
    w.u32(flags);
    tag(tag_file_attributes, w.take());
}

void TagWriter::frame_label(const std::string& label, std::optional<uint8_t> anchor) {
    BitWriter w;
    w.string(label);
    if (anchor) w.u8(*anchor);
    tag(tag_frame_label, w.take());
}

void TagWriter::do_action(const Bytes& actions) { tag(tag_do_action, actions); }

void TagWriter::do_init_action(uint16_t sprite_id, const Bytes& actions) {
    BitWriter w;
    w.u16(sprite_id);
    w.bytes(actions);
    tag(tag_do_init_action, w.take());
}

void TagWriter::place_object(const PlaceObject1& p) { tag(tag_place_object, place_object_body(p)); }

void TagWriter::place_object2(const PlaceObject& p) {
    tag(tag_place_object2, place_object2_body(p, version_));
}

void TagWriter::place_object3(const PlaceObject& p) {
    tag(tag_place_object3, place_object3_body(p, version_));
}

void TagWriter::remove_object(uint16_t character_id, uint16_t depth) {
    tag(tag_remove_object, remove_object_body(character_id, depth));
}

void TagWriter::remove_object2(uint16_t depth) { tag(tag_remove_object2, remove_object2_body(depth)); }

namespace {

void write_symbols(BitWriter& w, const std::vector<Symbol>& symbols) {
    w.u16(static_cast<uint16_t>(symbols.size()));
    for (const Symbol& s : symbols) {
        w.u16(s.id);
        w.string(s.name);
    }
}

}  // namespace

void TagWriter::export_assets(const std::vector<Symbol>& symbols) {
    BitWriter w;
    write_symbols(w, symbols);
    tag(tag_export_assets, w.take());
}

void TagWriter::import_assets(const std::string& url, const std::vector<Symbol>& symbols) {
    BitWriter w;
    w.string(url);
    write_symbols(w, symbols);
    tag(tag_import_assets, w.take());
}

void TagWriter::symbol_class(const std::vector<Symbol>& symbols) {
    BitWriter w;
    write_symbols(w, symbols);
    tag(tag_symbol_class, w.take());
}

void TagWriter::do_abc(uint32_t flags, const std::string& name, const Bytes& abc) {
    BitWriter w;
    w.u32(flags);
    w.string(name);
    w.bytes(abc);
    tag(tag_do_abc, w.take());
}

SpriteWriter TagWriter::sprite() const {
    SpriteWriter s(version_);
    s.next_id_ = next_id_;
    return s;
}

}  // namespace swf
