#include "audio/sound_files.h"

#include "platform/clock.h"
#include "vfs/vfs_manager.h"

namespace MediaSystem {

namespace {

VFS::FilePtr findInFileSystem(const std::string& name) {
    VFS::VFSManager* vfs = VFS::VFSManager::instance();
    if (!vfs) return VFS::FilePtr();
    return vfs->findFile(name, VFS::VFSManager::kByName | VFS::VFSManager::kByPath);
}

FileFinder g_finder = nullptr;
MsClock g_clock = nullptr;

}  // namespace

void setFileFinder(FileFinder finder) { g_finder = finder; }

VFS::FilePtr findSoundFile(const std::string& name) { return (g_finder ? g_finder : &findInFileSystem)(name); }

audiere::OutputStream* openSound(audiere::AudioDevice* device, VFS::File* file, bool streaming) {
    if (!device || !file) return nullptr;
    uint32_t size = file->size();
    const uint8_t* bytes = size ? file->map(0, 0) : nullptr;
    if (!bytes || size > static_cast<uint32_t>(INT32_MAX)) {
        file->release();
        return nullptr;
    }
    // The memory file copies the bytes, so the mapping can go at once.
    audiere::RefPtr<audiere::File> memory = audiere::AdrCreateMemoryFile(bytes, static_cast<int>(size));
    file->release();
    audiere::RefPtr<audiere::SampleSource> source = audiere::AdrOpenSampleSourceFromFile(memory.get(), audiere::FF_OGG);
    if (!source) return nullptr;
    return audiere::AdrOpenSound(device, source.get(), streaming);
}

void setClock(MsClock clock) { g_clock = clock; }

uint64_t clockMs() { return g_clock ? g_clock() : platform::monotonicMs(); }

}  // namespace MediaSystem
