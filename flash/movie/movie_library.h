#pragma once
// The movies an engine instance has loaded, by the path they were asked for, with the host's file
// opener and the engine mutex. Loader threads may ask for movies at the same time: each path is
// opened and read once, and a second request for a path still being read waits for it, unless
// that wait would close a cycle of threads waiting for each other (movies importing each other
// on two threads): that request fails with an ERROR instead.
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "flash/base/bx_string.h"
#include "flash/base/hash.h"
#include "flash/base/smart_ptr.h"

namespace flash {

class bx_file;
class movie_def_impl;
class movie_definition_sub;
class player;

// Returns a new file for the path, or null when it is not found; the engine destroys a file in
// error itself and hands a good one to the movie reader, which owns it from then on.
typedef bx_file* (*file_opener_callback)(const char* path);
void register_file_opener_callback(file_opener_callback opener);
file_opener_callback get_file_opener_callback();

// Held by a root's advance and key notification and around the library's clean-up, so that a
// host's loader threads can keep apart from the frame. Recursive, like the critical section it
// stands for.
std::recursive_mutex& flash_engine_mutex();

class movie_library {
public:
    movie_library();
    ~movie_library();
    movie_library(const movie_library&) = delete;
    movie_library& operator=(const movie_library&) = delete;

    // The definition for path: from the library, or opened through the file opener and read.
    // Null (logged) when it cannot be opened or is not a movie; nothing is then kept.
    movie_definition_sub* create_movie(player* owner, const char* path);

    // Lookups for the host.
    movie_definition_sub* find(const char* path);
    // The path a definition is stored under, or null.
    const char* find_path(const movie_definition_sub* def);
    int size();

    // Takes the movie stored under path out of the library: freed at once when nothing else
    // holds it, else when its last holder lets it go (a root's clips are script objects: they go
    // with the garbage pass after their root is released). False when no movie, or one another
    // thread is still reading, is stored under path.
    bool remove(const char* path);
    // Calls visit with each stored path and definition, in no set order. The library is not
    // locked while visit runs, so visit may remove movies or load others.
    void walk(const std::function<void(const char* path, movie_definition_sub* def)>& visit);
    // Takes every movie out as remove does, once the reads other threads have in progress are done
    // (waited for at most clear_wait_seconds; a movie still being read then stays).
    void clear();
    static constexpr int clear_wait_seconds = 10;

    // The player's destruction: reports definitions still held elsewhere and releases the
    // library's references (a definition held elsewhere lives on with its holder).
    void release_all();

private:
    struct entry {
        smart_ptr<movie_def_impl> m_def;
        bool m_loading = false;
        std::thread::id m_loader;
    };

    std::mutex m_lock;
    std::condition_variable m_loaded;
    hash<bx_string, entry> m_entries;
    // Each waiting thread and the loader thread it waits for.
    std::map<std::thread::id, std::thread::id> m_waiting_for;
};

}  // namespace flash
