#include "flash/movie/load_path.h"

#include <cstring>

#include "flash/base/log.h"

namespace flash {

namespace {

bool is_separator(char c) { return c == '/' || c == '\\'; }

// Whether some folder step of the path is "..".
bool steps_up(const char* url) {
    const char* part = url;
    for (const char* p = url;; ++p) {
        if (*p == 0 || is_separator(*p)) {
            if (p - part == 2 && part[0] == '.' && part[1] == '.') return true;
            if (*p == 0) return false;
            part = p + 1;
        }
    }
}

}  // namespace

bool make_load_path(const char* workdir, const char* url, bx_string* path) {
    if (!url || !*url) return false;
    // A colon is a drive letter ("c:") or a scheme ("http:", "file:"); neither is a game file.
    const bool refused = is_separator(url[0]) || std::strchr(url, ':') != nullptr || steps_up(url);
    if (refused) {
        log_error("error: can't load '%s': only files inside the game folder can be loaded\n", url);
        return false;
    }
    *path = workdir ? workdir : "";
    *path += url;
    return true;
}

}  // namespace flash
