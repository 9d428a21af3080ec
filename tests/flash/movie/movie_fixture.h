#pragma once
// Movies for the reading tests: an in-memory file opener serving test files by path (counting
// its opens), a player, a summary of a read definition, and trace action bytes.
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "flash/base/smart_ptr.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/movie/player.h"
#include "tests/support/engine_log.h"

namespace movietest {

using bytes = std::vector<uint8_t>;

// Registers itself as the engine's file opener while it lives.
class served_files {
public:
    served_files();
    ~served_files();
    served_files(const served_files&) = delete;
    served_files& operator=(const served_files&) = delete;

    void add(const std::string& path, const bytes& data);
    int opens(const std::string& path) const;

private:
    static flash::bx_file* open(const char* path);
};

// A player, the served files and the captured log.
struct movie_fixture {
    testsupport::engine_log log;
    served_files files;
    flash::smart_ptr<flash::player> owner{new flash::player};

    flash::movie_def_impl* load(const std::string& path, const bytes& data);
    ~movie_fixture() { owner = nullptr; }
};

// Version, header, per-frame tags with their ids and depths, labels, exports, imports and the
// frames of every sprite character: two definitions read alike have equal summaries.
std::string summary(const flash::movie_def_impl& def);

// DoAction bytes that trace each line, then End.
bytes trace_actions(const std::vector<std::string>& lines);

}  // namespace movietest
