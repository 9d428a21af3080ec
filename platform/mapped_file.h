#pragma once
// A whole file mapped read-only into memory once; pointers into it stay valid while the object lives.
#include <cstdint>
#include <string_view>

namespace platform {

class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // False for a missing file, a folder, or a file of 4 GiB or more. An empty file opens with
    // size 0 and no data.
    [[nodiscard]] bool open(std::string_view path);
    void close();
    bool isOpen() const { return open_; }
    const uint8_t* data() const { return data_; }
    uint64_t size() const { return size_; }

private:
    const uint8_t* data_ = nullptr;
    uint64_t size_ = 0;
    bool open_ = false;
};

}  // namespace platform
