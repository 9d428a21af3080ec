#include "tests/audio/media_fixture.h"

#include <sstream>

#include "audio/sound_files.h"
#include "core/log_stream.h"
#include "core/string_utils.h"
#include "platform/audio/mixer.h"
#include "tests/support/ogg_maker.h"
#include "vfs/file.h"

namespace mediatest {

std::map<std::string, std::string> World::files;
std::map<std::string, audiere::RefPtr<audiere::AudioDevice>> World::devices;
uint64_t World::now = 1000000;
int World::finderCalls = 0;
bool World::noDevice = false;

namespace {

class MemoryFile : public VFS::File {
public:
    MemoryFile(const std::string& path, const std::string& bytes) : VFS::File(path), m_bytes(bytes) {}
    uint32_t size() override { return static_cast<uint32_t>(m_bytes.size()); }
    const uint8_t* map(uint32_t offset, uint32_t length) override {
        if (!rangeInside(offset, length, size())) return nullptr;
        return reinterpret_cast<const uint8_t*>(m_bytes.data()) + offset;
    }
    void release() override {}

private:
    std::string m_bytes;
};

VFS::FilePtr findFake(const std::string& name) {
    ++World::finderCalls;
    std::string key;
    auto it = World::files.find(toLower(name, key));
    if (it == World::files.end()) return VFS::FilePtr();
    return VFS::FilePtr(new MemoryFile(name, it->second));
}

audiere::AudioDevice* openFake(const char* name, const char*) {
    if (World::noDevice) return nullptr;
    audiere::AudioDevice* device = audiere::openManualDevice(44100);
    World::devices[name] = device;
    return device;
}

uint64_t fakeNow() { return World::now; }

}  // namespace

const std::string& toneFile(const std::string& name) {
    static std::map<std::string, std::string> made;
    auto it = made.find(name);
    if (it != made.end()) return it->second;
    int frames = name == "a.ogg" ? 1000 : name == "blip.ogg" ? 2000 : 44100;
    return made[name] = testaudio::makeTone(440, frames);
}

void MediaTest::SetUp() {
    // A path of this test's own folder: the log keeps a file it has open under the same name.
    Tov::LogStream::setFile((m_dir.path() / "media.log").string(), false);
    World::files.clear();
    World::devices.clear();
    World::finderCalls = 0;
    World::noDevice = false;
    MediaSystem::setFileFinder(&findFake);
    MediaSystem::setClock(&fakeNow);
    audiere::setDeviceOpener(&openFake);
}

void MediaTest::TearDown() {
    audiere::setDeviceOpener(nullptr);
    MediaSystem::setClock(nullptr);
    MediaSystem::setFileFinder(nullptr);
    World::devices.clear();
}

void MediaTest::mix(int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    for (auto& [name, device] : World::devices) device->mixer().mix(out.data(), frames);
}

audiere::AudioDevice* MediaTest::device(const std::string& name) const {
    auto it = World::devices.find(name);
    return it == World::devices.end() ? nullptr : it->second.get();
}

std::vector<std::string> MediaTest::logLines(const std::string& containing) const {
    std::vector<std::string> out;
    std::istringstream in(testsupport::readFile("media.log"));
    for (std::string line; std::getline(in, line);)
        if (line.find(containing) != std::string::npos) out.push_back(line);
    return out;
}

}  // namespace mediatest
