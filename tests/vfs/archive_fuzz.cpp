#include "tests/vfs/archive_fuzz.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/support/fuzz_target.h"
#include "vfs/archive_sma1.h"
#include "vfs/archive_sma2.h"

namespace vfstest {

namespace {

class Lister : public VFS::FileEnumerator {
public:
    void addFile(const VFS::FilePtr& file) override { files.push_back(file); }
    std::vector<VFS::FilePtr> files;
};

const std::string& scratchPath() {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("tov_archive_fuzz_" + std::to_string(std::random_device()()))).string();
    return path;
}

volatile uint8_t g_sink;

void touch(VFS::File& file) {
    const uint32_t size = file.size();
    if (const uint8_t* p = file.map(0, 0)) {
        uint8_t sum = 0;
        for (uint32_t i = 0; i < size; ++i) sum = static_cast<uint8_t>(sum + p[i]);
        g_sink = sum;
    }
    if (size > 1)
        if (const uint8_t* p = file.map(size / 2, size - size / 2)) g_sink = p[size - size / 2 - 1];
    file.release();
}

}  // namespace

int readArchiveBytes(const uint8_t* data, size_t size) {
    const std::string& path = scratchPath();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    int listed = 0;
    {
        VFS::ArchiveSMA1 sma1;
        VFS::ArchiveSMA2 sma2;
        Lister lister;
        if (sma1.open(path)) sma1.enumerate(lister);
        if (sma2.open(path)) sma2.enumerate(lister);
        for (const VFS::FilePtr& file : lister.files) touch(*file);
        listed = static_cast<int>(lister.files.size());
    }
    std::remove(path.c_str());
    return listed;
}

}  // namespace vfstest

TOV_FUZZ_TARGET(vfstest::readArchiveBytes(data, size))
