// The Flash engine's file opener, log, sound and effect callbacks.
#include <algorithm>
#include <climits>
#include <cstring>
#include <unordered_map>

#include "app/application.h"
#include "app/engine_hooks.h"
#include "app/game_object.h"
#include "audio/media_center.h"
#include "core/log_stream.h"
#include "flash/base/bx_file.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/character.h"
#include "vfs/vfs_manager.h"

namespace {

// A movie read from the mounted file system. The file handle and its mapping are owned by the
// engine's file until the engine closes it, so the bytes stay valid through a rescan or an
// unmount meanwhile.
struct MappedMovie {
    VFS::FilePtr file;
    const uint8_t* bytes = nullptr;
    int size = 0;
    int position = 0;
};

int movieRead(void* dst, int count, void* appdata) {
    auto* movie = static_cast<MappedMovie*>(appdata);
    if (count <= 0 || !dst) return 0;
    const int n = std::min(count, movie->size - movie->position);
    if (n <= 0) return 0;
    std::memcpy(dst, movie->bytes + movie->position, static_cast<size_t>(n));
    movie->position += n;
    return n;
}

int movieWrite(const void*, int, void*) { return 0; }

int movieSeek(int position, void* appdata) {
    auto* movie = static_cast<MappedMovie*>(appdata);
    if (position < 0) {
        movie->position = 0;
        return flash::bx_file::SEEK_FAILED;
    }
    if (position > movie->size) {
        movie->position = movie->size;
        return flash::bx_file::SEEK_FAILED;
    }
    movie->position = position;
    return flash::bx_file::NO_ERROR;
}

int movieSeekToEnd(void* appdata) {
    auto* movie = static_cast<MappedMovie*>(appdata);
    movie->position = movie->size;
    return flash::bx_file::NO_ERROR;
}

int movieTell(const void* appdata) { return static_cast<const MappedMovie*>(appdata)->position; }

bool movieEof(void* appdata) {
    const auto* movie = static_cast<const MappedMovie*>(appdata);
    return movie->position >= movie->size;
}

int movieClose(void* appdata) {
    auto* movie = static_cast<MappedMovie*>(appdata);
    movie->file->release();
    delete movie;
    return flash::bx_file::NO_ERROR;
}

// The name of the effect each character runs, kept on the game's side: keyed by the character's
// address, with a weak reference that tells a dead character (and a reused address) apart.
struct RunningEffect {
    flash::weak_ptr<flash::character> owner;
    std::string name;
};
std::unordered_map<flash::character*, RunningEffect> g_runningEffects;
// Past this many entries the dead ones are swept out.
constexpr size_t kEffectSweepSize = 64;

std::string& runningEffectOf(flash::character* ch) {
    if (g_runningEffects.size() > kEffectSweepSize)
        std::erase_if(g_runningEffects, [](const auto& entry) { return entry.second.owner.get_ptr() == nullptr; });
    RunningEffect& entry = g_runningEffects[ch];
    if (entry.owner.get_ptr() != ch) {
        entry.owner = ch;
        entry.name.clear();
    }
    return entry.name;
}

app::EffectHooks g_effectHooks;

}  // namespace

namespace app {

void setEffectHooks(EffectHooks hooks) { g_effectHooks = std::move(hooks); }

std::string runningEffectName(flash::character* ch) {
    auto it = g_runningEffects.find(ch);
    if (it == g_runningEffects.end() || it->second.owner.get_ptr() != ch) return std::string();
    return it->second.name;
}

void forgetRunningEffects() { g_runningEffects.clear(); }

}  // namespace app

flash::bx_file* Application::openFile(const char* name) {
    VFS::VFSManager* vfs = VFS::VFSManager::instance();
    if (!vfs || !name) return nullptr;
    VFS::FilePtr file = vfs->findFile(name, VFS::VFSManager::kByName | VFS::VFSManager::kByPath);
    if (!file) return nullptr;
    const uint32_t size = file->size();
    if (size > static_cast<uint32_t>(INT_MAX)) {
        Tov::LogLine("ERROR") << "Application::openFile" << ": " << name << " is too big";
        return nullptr;
    }
    const uint8_t* bytes = file->map(0, 0);
    if (!bytes && size != 0) {
        Tov::LogLine("ERROR") << "Application::openFile" << ": cannot read " << name;
        return nullptr;
    }
    auto* movie = new MappedMovie{file, bytes, static_cast<int>(bytes ? size : 0), 0};
    auto* result = new flash::bx_file(movie, &movieRead, &movieWrite, &movieSeek, &movieSeekToEnd, &movieTell,
                                      &movieEof, &movieClose);
    // The handler groups the movie's textures under this name.
    result->set_name(name);
    return result;
}

void Application::logCallback(bool isError, const char* text) {
    if (!text) return;
    // The engine ends its lines itself; one message is one line.
    std::string line(text);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    Tov::LogLine(isError ? "ERROR" : "MESSAGE") << line;
}

void Application::soundCallback(flash::character* ch, const char* name) {
    if (!name || !*name || !ch) return;
    if (const GameObject* owner = GameObject::fromOwner(ch->m_owner); owner && !owner->isAvailable()) return;
    if (MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance()) media->playSound(name, false, true, true);
}

void Application::effectCallback(flash::character* ch, const char* effectName) {
    if (!ch) return;
    std::string& running = runningEffectOf(ch);
    if (!running.empty()) {
        if (g_effectHooks.stop) g_effectHooks.stop(running);
        running.clear();
    }
    if (effectName && *effectName && g_effectHooks.start) running = g_effectHooks.start(ch, effectName);
}
