#pragma once
// A stream of SWF tags, the body of a movie or of a DefineSprite. Each helper encodes one tag;
// `tag` writes any code with any body, and a TagHeader can force the long header form or declare
// a length that differs from the body, to make malformed files.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/swfwriter/bit_writer.h"
#include "tools/swfwriter/bitmaps.h"
#include "tools/swfwriter/buttons.h"
#include "tools/swfwriter/edit_text.h"
#include "tools/swfwriter/place_object.h"
#include "tools/swfwriter/records.h"
#include "tools/swfwriter/shape.h"
#include "tools/swfwriter/sounds.h"
#include "tools/swfwriter/tag_codes.h"

namespace swf {

struct TagHeader {
    bool long_form = false;          // a u32 length even when the short form would do
    std::optional<uint32_t> length;  // the declared length; by default the body's size

    static TagHeader long_header() { return {true, std::nullopt}; }
    static TagHeader declared_length(uint32_t n, bool long_form = false) { return {long_form, n}; }
};

// One exported or imported symbol, and one SymbolClass entry.
struct Symbol {
    uint16_t id = 0;
    std::string name;
};

// Appends one tag header; the short form when it can hold the length, unless long_form.
void write_tag_header(Bytes& out, uint16_t code, uint32_t length, bool long_form);

class SpriteWriter;

class TagWriter {
public:
    explicit TagWriter(int version);

    int version() const { return version_; }
    const Bytes& bytes() const { return out_; }
    // ShowFrame tags written so far.
    int frames() const { return frames_; }
    // A fresh character id; ids count up from 1 and are shared with sprites made by `sprite()`.
    uint16_t next_id();

    void tag(uint16_t code, const Bytes& body, TagHeader header = {});

    void show_frame();
    void end();
    void set_background_color(Rgba color);
    void file_attributes(uint32_t flags);
    // The anchor byte, when given, follows the label's terminator.
    void frame_label(const std::string& label, std::optional<uint8_t> anchor = std::nullopt);
    void do_action(const Bytes& actions);
    void do_init_action(uint16_t sprite_id, const Bytes& actions);
    void place_object(const PlaceObject1& p);
    void place_object2(const PlaceObject& p);
    void place_object3(const PlaceObject& p);
    void remove_object(uint16_t character_id, uint16_t depth);
    void remove_object2(uint16_t depth);
    void export_assets(const std::vector<Symbol>& symbols);
    void import_assets(const std::string& url, const std::vector<Symbol>& symbols);
    void symbol_class(const std::vector<Symbol>& symbols);
    void do_abc(uint32_t flags, const std::string& name, const Bytes& abc);

    // Character definitions: each returns the id it used, the given one or a fresh one.
    // `shape_tag` is one of the four DefineShape codes, `morph_tag` one of the two morph codes.
    uint16_t define_shape(const Shape& s, uint16_t shape_tag = tag_define_shape3,
                          std::optional<uint16_t> id = std::nullopt);
    uint16_t define_morph_shape(const MorphShape& m, uint16_t morph_tag = tag_define_morph_shape,
                                std::optional<uint16_t> id = std::nullopt);
    // DefineBitsLossless (no alpha) and DefineBitsLossless2 in one of the LosslessFormat forms.
    uint16_t define_bits_lossless(const Image& image, uint8_t format = lossless_argb,
                                  std::optional<uint16_t> id = std::nullopt);
    uint16_t define_bits_lossless2(const Image& image, uint8_t format = lossless_argb,
                                   std::optional<uint16_t> id = std::nullopt);
    // JPEG tags take the JPEG bytes as they are to be stored (see encode_jpeg, encode_jpeg_pair).
    void jpeg_tables(const Bytes& tables);
    uint16_t define_bits(const Bytes& abbreviated_jpeg, std::optional<uint16_t> id = std::nullopt);
    uint16_t define_bits_jpeg2(const Bytes& jpeg, std::optional<uint16_t> id = std::nullopt);
    uint16_t define_bits_jpeg3(const Bytes& jpeg, const Bytes& alpha,
                               std::optional<uint16_t> id = std::nullopt);
    // The image's colours as JPEG and its alpha channel.
    uint16_t define_bits_jpeg3(const Image& image, int quality, std::optional<uint16_t> id = std::nullopt);
    uint16_t define_button(const std::vector<ButtonRecord>& records, const Bytes& actions,
                           std::optional<uint16_t> id = std::nullopt);
    uint16_t define_button2(const Button2& b, std::optional<uint16_t> id = std::nullopt);
    void define_button_sound(uint16_t button_id, const std::array<ButtonSound, 4>& sounds);
    uint16_t define_edit_text(const EditText& t, std::optional<uint16_t> id = std::nullopt);
    uint16_t define_sound(const Sound& s, std::optional<uint16_t> id = std::nullopt);
    void start_sound(uint16_t sound_id, const SoundInfo& info = {});
    // `head_tag` is SoundStreamHead or SoundStreamHead2; a block's bytes are stored as given.
    void sound_stream_head(const StreamHead& h, uint16_t head_tag = tag_sound_stream_head);
    void sound_stream_block(const Bytes& data);

    // A sprite writer for this movie: same version, same id counter.
    SpriteWriter sprite() const;
    // DefineSprite with the sprite's tags; the frame count is its ShowFrame count unless given.
    uint16_t define_sprite(const SpriteWriter& s, std::optional<uint16_t> id = std::nullopt,
                           std::optional<uint16_t> frame_count = std::nullopt);

protected:
    // The given id, or a fresh one.
    uint16_t use_id(std::optional<uint16_t> id);
    // Writes a definition tag whose body `encode(id)` makes, and returns the id.
    template <class Encode>
    uint16_t define(uint16_t code, std::optional<uint16_t> id, Encode&& encode);

private:
    int version_;
    int frames_ = 0;
    Bytes out_;
    std::shared_ptr<uint16_t> next_id_;
};

class SpriteWriter : public TagWriter {
public:
    using TagWriter::TagWriter;
};

}  // namespace swf
