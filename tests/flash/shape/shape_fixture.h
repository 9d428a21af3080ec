#pragma once
// Shapes made with the writer and read back by the shape reader.
#include <vector>

#include "flash/base/smart_ptr.h"
#include "flash/shape/shape_character_def.h"
#include "reader_fixture.h"
#include "tools/swfwriter/shape.h"
#include "tools/swfwriter/tag_codes.h"

namespace shapetest {

// The tag body after the character id.
inline std::vector<uint8_t> shape_body(const swf::Shape& s, int tag) {
    std::vector<uint8_t> body = swf::define_shape_body(1, s, static_cast<uint16_t>(tag));
    body.erase(body.begin(), body.begin() + 2);
    return body;
}

inline flash::smart_ptr<flash::shape_character_def> read_shape(const swf::Shape& s, int tag = swf::tag_define_shape3) {
    stream_over in(shape_body(s, tag));
    flash::smart_ptr<flash::shape_character_def> def(new flash::shape_character_def);
    def->read(&in.in, tag, true);
    return def;
}

inline swf::Shape solid_shape(const swf::ShapePath& path, size_t fills = 1) {
    swf::Shape s;
    for (size_t i = 0; i < fills; ++i) s.fills.push_back(swf::FillStyle::solid({static_cast<uint8_t>(i * 40), 0, 0, 255}));
    s.path = path;
    return s;
}

}  // namespace shapetest
