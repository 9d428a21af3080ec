#pragma once
// A SWF stream over bytes made by the test, ending where they end.
#include <vector>

#include "flash/base/bx_file.h"
#include "flash/swf/swf_stream.h"

namespace shapetest {

struct stream_over {
    explicit stream_over(std::vector<uint8_t> b)
        : data(std::move(b)), file(flash::memory_buffer, static_cast<int>(data.size()), data.data()), in(&file) {
        in.set_stream_end(static_cast<int>(data.size()));
    }
    std::vector<uint8_t> data;
    flash::bx_file file;
    flash::swf_stream in;
};

}  // namespace shapetest
