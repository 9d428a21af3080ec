#include "platform/paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/log_sink.h"

namespace platform {

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsFoldedAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    return true;
}

bool lessFoldedAscii(std::string_view a, std::string_view b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(foldAscii(a[i]));
        unsigned char y = static_cast<unsigned char>(foldAscii(b[i]));
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;  // same folded text: order by exact bytes so the result never depends on the disk
}

std::string toSlashes(std::string_view path) {
    std::string out(path);
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

namespace {

bool exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// The entry of `dir` whose name matches `name` ignoring ASCII case; the smallest such name
// when several match, so the choice is stable.
std::optional<std::string> findFolded(const std::string& dir, const std::string& name) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return std::nullopt;
    std::optional<std::string> best;
    while (dirent* e = ::readdir(d)) {
        std::string_view entry(e->d_name);
        if (entry == "." || entry == "..") continue;
        if (equalsFoldedAscii(entry, name) && (!best || lessFoldedAscii(entry, *best))) best = std::string(entry);
    }
    ::closedir(d);
    return best;
}

bool hasDriveLetter(std::string_view p) {
    return p.size() >= 2 && p[1] == ':' && ((p[0] >= 'a' && p[0] <= 'z') || (p[0] >= 'A' && p[0] <= 'Z'));
}

}  // namespace

std::optional<std::string> resolvePath(std::string_view gamePath, PathUse /*use*/) {
    if (hasDriveLetter(gamePath)) {
        log("ERROR", "platform::resolvePath: drive-letter paths are not supported: " + std::string(gamePath));
        return std::nullopt;
    }
    std::string path = toSlashes(gamePath);
    bool absolute = !path.empty() && path[0] == '/';

    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        std::string part = path.substr(start, slash - start);
        if (!part.empty() && part != ".") parts.push_back(std::move(part));
        start = slash + 1;
    }

    std::string out = absolute ? "/" : "";
    bool searching = true;  // once a component is missing, nothing below it can exist
    for (const std::string& part : parts) {
        std::string candidate = out.empty() || out == "/" ? out + part : out + "/" + part;
        if (searching && part != ".." && !exists(candidate)) {
            if (auto found = findFolded(out.empty() ? "." : out, part)) {
                candidate = (out.empty() || out == "/") ? out + *found : out + "/" + *found;
            } else {
                searching = false;
            }
        }
        out = candidate;
    }
    if (out.empty()) out = absolute ? "/" : ".";
    return out;
}

}  // namespace platform
