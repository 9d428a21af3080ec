#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/paths.h"

namespace platform {

MappedFile::~MappedFile() { close(); }

bool MappedFile::open(std::string_view path) {
    close();
    auto host = resolvePath(path, PathUse::Read);
    if (!host) return false;
    int fd = ::open(host->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) >= (1ull << 32)) {
        ::close(fd);
        return false;
    }
    size_ = static_cast<uint64_t>(st.st_size);
    if (size_ > 0) {
        void* p = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
        if (p == MAP_FAILED) {
            ::close(fd);
            size_ = 0;
            return false;
        }
        data_ = static_cast<const uint8_t*>(p);
    }
    ::close(fd);  // the mapping keeps the file alive
    open_ = true;
    return true;
}

void MappedFile::close() {
    if (data_) ::munmap(const_cast<uint8_t*>(data_), size_);
    data_ = nullptr;
    size_ = 0;
    open_ = false;
}

}  // namespace platform
