#include "flash/movie/movie_library.h"

#include <atomic>
#include <chrono>
#include <cstdio>

#include "flash/base/bx_file.h"
#include "flash/base/log.h"
#include "flash/movie/cache_file.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/movie/tag_loaders.h"

namespace flash {

namespace {

std::atomic<file_opener_callback> g_file_opener{nullptr};

void read_cache_file(file_opener_callback opener, movie_def_impl* def, const char* movie_path) {
    const bx_string path = bx_string(movie_path) + cache_file_suffix;
    bx_file* cache = opener(path.c_str());
    if (cache && cache->get_error() == bx_file::NO_ERROR) {
        def->input_cached_data(cache);
    } else if (get_verbose_parse()) {
        log_msg("note: couldn't open cache file '%s'\n", path.c_str());
    }
    delete cache;
}

}  // namespace

void register_file_opener_callback(file_opener_callback opener) { g_file_opener.store(opener); }

file_opener_callback get_file_opener_callback() { return g_file_opener.load(); }

std::recursive_mutex& flash_engine_mutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

movie_library::movie_library() = default;

movie_library::~movie_library() { m_entries.clear(); }

movie_definition_sub* movie_library::create_movie(player* owner, const char* path) {
    if (!path) path = "";
    const bx_string key(path);
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        const auto it = m_entries.find(key);
        if (it.is_end()) break;
        const entry& found = it.get_value();
        // The same thread asking again while it reads the movie (a movie importing itself)
        // gets the definition as read so far, as a waiting thread would deadlock.
        const std::thread::id self = std::this_thread::get_id();
        if (!found.m_loading || found.m_loader == self) {
            movie_def_impl* def = found.m_def.get_ptr();
            return def && def->is(character_def::CHARACTER_DEF) ? def : nullptr;
        }
        // Waiting for a loader that (through others) waits for this thread would never end.
        bool cycle = false;
        std::thread::id next = found.m_loader;
        for (size_t steps = 0; steps <= m_waiting_for.size(); ++steps) {
            if (next == self) {
                cycle = true;
                break;
            }
            const auto waits = m_waiting_for.find(next);
            if (waits == m_waiting_for.end()) break;
            next = waits->second;
        }
        if (cycle) {
            log_error("error: can't create movie '%s': it is being read by a thread that waits for this one "
                      "(movies importing each other)\n", path);
            return nullptr;
        }
        m_waiting_for[self] = found.m_loader;
        m_loaded.wait(lock);
        m_waiting_for.erase(self);
    }

    const file_opener_callback opener = get_file_opener_callback();
    if (!opener) {
        log_error("error: no file opener function; can't create movie.\tSee flash::register_file_opener_callback\n");
        return nullptr;
    }
    // Entered before opening, so that other threads wait for this read instead of opening too.
    entry placeholder;
    const bool use_cache_files = get_use_cache_files();
    placeholder.m_def = new movie_def_impl(owner, use_cache_files);
    placeholder.m_loading = true;
    placeholder.m_loader = std::this_thread::get_id();
    movie_def_impl* def = placeholder.m_def.get_ptr();
    m_entries.add(key, placeholder);
    placeholder.m_def = nullptr;
    lock.unlock();

    bool good = false;
    bx_file* file = opener(path);
    if (!file) {
        log_error("failed to open '%s'; can't create movie.\n", path);
    } else if (file->get_error() != bx_file::NO_ERROR) {
        log_error("error: file opener can't open '%s'\n", path);
        delete file;
    } else {
        register_tag_loaders();
        good = def->read(file);
        if (good && use_cache_files) read_cache_file(opener, def, path);
    }

    lock.lock();
    const auto it = m_entries.find(key);
    if (!good) {
        // A refused file leaves nothing behind: no zero-frame definition is ever handed out.
        if (!it.is_end()) m_entries.erase(it);
        def = nullptr;
    } else if (!it.is_end()) {
        it.get_value().m_loading = false;
    }
    lock.unlock();
    m_loaded.notify_all();
    return def;
}

movie_definition_sub* movie_library::find(const char* path) {
    std::lock_guard<std::mutex> lock(m_lock);
    const auto it = m_entries.find(bx_string(path ? path : ""));
    if (it.is_end() || it.get_value().m_loading) return nullptr;
    return it.get_value().m_def.get_ptr();
}

const char* movie_library::find_path(const movie_definition_sub* def) {
    std::lock_guard<std::mutex> lock(m_lock);
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it.get_value().m_def.get_ptr() == def) return it.get_key().c_str();
    }
    return nullptr;
}

int movie_library::size() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_entries.size();
}

bool movie_library::remove(const char* path) {
    smart_ptr<movie_def_impl> released;  // freed after the lock is left: its destructor may log
    std::lock_guard<std::mutex> lock(m_lock);
    const auto it = m_entries.find(bx_string(path ? path : ""));
    if (it.is_end() || it.get_value().m_loading) return false;
    released = it.get_value().m_def;
    m_entries.erase(it);
    return true;
}

void movie_library::walk(const std::function<void(const char* path, movie_definition_sub* def)>& visit) {
    array<bx_string> paths;
    array<smart_ptr<movie_def_impl>> defs;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it.get_value().m_loading) continue;
            paths.push_back(it.get_key());
            defs.push_back(it.get_value().m_def);
        }
    }
    for (int i = 0; i < paths.size() && i < defs.size(); ++i) visit(paths[i].c_str(), defs[i].get_ptr());
}

void movie_library::clear() {
    bool settledInTime = true;
    {
        // Reads in progress on other threads are waited for, so that they are cleared too; one on
        // this thread cannot end while it waits. The wait is bounded: a reader that needs this
        // thread in turn would otherwise never finish, and its movie then stays.
        std::unique_lock<std::mutex> lock(m_lock);
        const std::thread::id self = std::this_thread::get_id();
        const auto settled = [&] {
            for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
                if (it.get_value().m_loading && it.get_value().m_loader != self) return false;
            return true;
        };
        settledInTime = m_loaded.wait_for(lock, std::chrono::seconds(clear_wait_seconds), settled);
    }
    if (!settledInTime) log_error("error: movie_library::clear: a movie still being read stays in the library\n");
    array<bx_string> paths;
    walk([&paths](const char* path, movie_definition_sub*) { paths.push_back(bx_string(path)); });
    for (const bx_string& path : paths) remove(path.c_str());
}

void movie_library::release_all() {
    std::lock_guard<std::mutex> lock(m_lock);
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        movie_def_impl* def = it.get_value().m_def.get_ptr();
        if (!def || def->get_ref_count() <= 1) continue;
        // Through the host's log, like every other engine line (never straight to standard output).
        log_msg("memory leaks is found out: on exit movie_definition_sub ref_count > 1\n");
        log_msg("this = 0x%p, ref_count = %d\n", static_cast<void*>(def), def->get_ref_count());
        // Whoever still holds it keeps it: forcing the count down would free it under them.
    }
    m_entries.clear();
}

}  // namespace flash
