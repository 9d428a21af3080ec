#pragma once
// A SWF stream over bytes made by the test, ending where they end.
#include <cstdint>
#include <vector>

#include "flash/base/bx_file.h"
#include "flash/swf/swf_stream.h"

namespace swftest {

using bytes = std::vector<uint8_t>;

struct stream_over {
    explicit stream_over(bytes b)
        : data(std::move(b)), file(flash::memory_buffer, static_cast<int>(data.size()), data.data()), in(&file) {
        in.set_stream_end(static_cast<int>(data.size()));
    }
    bytes data;
    flash::bx_file file;
    flash::swf_stream in;
};

}  // namespace swftest
