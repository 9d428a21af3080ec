#pragma once
// One fuzz input: the bytes are written as an archive file and read by both archive kinds, which
// must refuse or read them without touching memory outside the file.
#include <cstddef>
#include <cstdint>

namespace vfstest {

// Opens the bytes as SMA1 and as SMA2; every listed file is mapped whole and in pieces. Returns
// the number of files listed.
int readArchiveBytes(const uint8_t* data, size_t size);

}  // namespace vfstest
