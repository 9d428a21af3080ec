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

}  // namespace swf
