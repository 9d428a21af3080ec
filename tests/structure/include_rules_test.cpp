// The include rules of the tree: only the platform layer (and the shared test helpers) reaches the
// operating system, SDL and OpenGL; nothing else includes the platform layer's internal headers;
// a library's internal/ headers are its own and its tests'; the libraries depend one way, each
// only on those before it in this order:
//   platform, core, the Flash engine (base, swf, shape, runtime, render, movie), vfs, graphics,
//   input, audio, particles, script.
// The engine needs none of the game's services but the core (files reach it through the host's
// opener, drawing through its render handler); input puts texts into the engine's fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Include {
    std::string file;  // relative to the source root, with forward slashes
    int line;
    std::string name;
    bool system;  // <name> rather than "name"
};

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

bool isSource(const fs::path& p) {
    static const std::set<std::string> extensions = {".h", ".hpp", ".c", ".cc", ".cpp"};
    return extensions.count(p.extension().string()) > 0;
}

// Build folders, version control and hidden folders hold no sources of ours.
bool skippedFolder(const std::string& name) { return startsWith(name, "build") || startsWith(name, "."); }

std::vector<Include> includesOf(const fs::path& root, const fs::path& file) {
    static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<Include> out;
    std::ifstream in(file);
    const std::string relative = fs::relative(file, root).generic_string();
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (line.find("include") == std::string::npos) continue;
        std::smatch m;
        if (std::regex_search(line, m, kInclude)) out.push_back({relative, number, m[2], m[1] == "<"});
    }
    return out;
}

std::vector<Include> includesUnder(const fs::path& root, const std::vector<std::string>& folders) {
    std::vector<Include> out;
    for (const std::string& folder : folders) {
        const fs::path top = root / folder;
        if (!fs::exists(top)) continue;
        for (auto it = fs::recursive_directory_iterator(top); it != fs::recursive_directory_iterator(); ++it) {
            if (it->is_directory() && skippedFolder(it->path().filename().string())) {
                it.disable_recursion_pending();
                continue;
            }
            if (!it->is_regular_file() || !isSource(it->path())) continue;
            for (Include& inc : includesOf(root, it->path())) out.push_back(std::move(inc));
        }
    }
    return out;
}

// Every top-level folder that holds sources.
std::vector<std::string> sourceFolders(const fs::path& root) {
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory() && !skippedFolder(name)) out.push_back(name);
    }
    return out;
}

// SDL, OpenGL and the headers of POSIX and Linux that the C and C++ standards do not have.
bool isOperatingSystemHeader(const std::string& name) {
    static const std::array<const char*, 11> prefixes = {"SDL", "GL/", "GLES", "EGL/", "KHR/", "glad/",
                                                          "X11/", "sys/", "arpa/", "netinet/", "linux/"};
    static const std::set<std::string> names = {
        "unistd.h", "fcntl.h",  "dlfcn.h",   "pthread.h", "dirent.h",    "poll.h",     "spawn.h",
        "termios.h", "sched.h", "signal.h",  "execinfo.h", "ucontext.h", "link.h",     "libgen.h",
        "semaphore.h", "strings.h", "wait.h", "pwd.h",   "grp.h",       "netdb.h",    "elf.h",
        "syslog.h",  "glob.h",  "fnmatch.h", "mqueue.h", "aio.h",       "utime.h",    "malloc.h"};
    for (const char* prefix : prefixes) {
        if (startsWith(name, prefix)) return true;
    }
    return names.count(name) > 0;
}

// Folders whose code may include operating-system headers: the platform layer, its own tests and
// the shared test helpers.
bool mayUseOperatingSystem(const std::string& file) {
    return startsWith(file, "platform/") || startsWith(file, "tests/platform/") || startsWith(file, "tests/support/");
}

// A platform header is internal when it includes operating-system headers itself or is named as
// an implementation detail.
std::set<std::string> platformInternalHeaders(const fs::path& root) {
    std::set<std::string> internal;
    for (const Include& inc : includesUnder(root, {"platform"})) {
        const bool header = inc.file.size() > 2 && inc.file.substr(inc.file.size() - 2) == ".h";
        if (!header) continue;
        const std::string stem = fs::path(inc.file).stem().string();
        const bool namedInternal = stem.ends_with("_impl") || stem.ends_with("_internal");
        if (namedInternal || (inc.system && isOperatingSystemHeader(inc.name))) internal.insert(inc.file);
    }
    return internal;
}

std::string describe(const Include& inc) { return inc.file + ":" + std::to_string(inc.line) + " includes " + inc.name; }

// The libraries from the lowest up; a file may include only headers of its own layer or of those
// before it. Platform is the lowest and is guarded apart (it includes nothing above it).
const std::vector<std::string>& layers() {
    static const std::vector<std::string> order = {
        "core/",         "flash/base/", "flash/swf/", "flash/shape/", "flash/runtime/", "flash/render/",
        "flash/movie/",  "vfs/",        "graphics/",  "input/",       "audio/",         "particles/",
        "script/",       "app/",        "screens/",   "levels/"};
    return order;
}

// The layer a path belongs to, or -1 for folders outside the order (tests, tools, benchmarks).
int layerOf(const std::string& path) {
    for (size_t i = 0; i < layers().size(); ++i) {
        if (startsWith(path, layers()[i])) return static_cast<int>(i);
    }
    return -1;
}

// Why an include runs against the order, or "" when it does not.
std::string layerViolation(const Include& inc) {
    if (inc.system) return "";
    const int from = layerOf(inc.file);
    const int to = layerOf(inc.name);
    if (from < 0 || to <= from) return "";
    return layers()[from] + " sits below " + layers()[to];
}

// The library an internal header belongs to: the folder above its internal/ folder; "" for a
// header that is not internal.
std::string internalOwner(const std::string& header) {
    const size_t at = header.find("/internal/");
    return at == std::string::npos ? "" : header.substr(0, at + 1);
}

// Why an include of an internal header is refused, or "" when the library itself or its own
// tests include it.
std::string internalViolation(const Include& inc) {
    if (inc.system) return "";
    const std::string owner = internalOwner(inc.name);
    if (owner.empty() || startsWith(inc.file, owner) || startsWith(inc.file, "tests/" + owner)) return "";
    return "an internal header of " + owner;
}

class IncludeRules : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root = fs::path(TOV_TEST_SOURCE_DIR);
        all = includesUnder(root, sourceFolders(root));
    }
    static fs::path root;
    static std::vector<Include> all;
};

fs::path IncludeRules::root;
std::vector<Include> IncludeRules::all;

TEST_F(IncludeRules, TheTreeIsScanned) {
    // A scan that finds nothing would pass every rule.
    EXPECT_GT(all.size(), 1000u);
    EXPECT_TRUE(std::any_of(all.begin(), all.end(), [](const Include& i) { return startsWith(i.file, "flash/runtime/"); }));
}

TEST_F(IncludeRules, OnlyThePlatformLayerIncludesOperatingSystemHeaders) {
    for (const Include& inc : all) {
        if (inc.system && isOperatingSystemHeader(inc.name) && !mayUseOperatingSystem(inc.file))
            ADD_FAILURE() << describe(inc) << ": only platform/ and tests/support/ reach the operating system";
    }
}

TEST_F(IncludeRules, PlatformInternalHeadersStayInThePlatformLayer) {
    const std::set<std::string> internal = platformInternalHeaders(root);
    EXPECT_TRUE(internal.count("platform/graphics/internal/gl_api.h")) << "the internal headers are no longer recognised";
    for (const Include& inc : all) {
        if (!inc.system && internal.count(inc.name) && !mayUseOperatingSystem(inc.file))
            ADD_FAILURE() << describe(inc) << ": a platform-internal header";
    }
}

TEST_F(IncludeRules, FlashLibrariesDependOneWay) {
    // Each folder may include only the folders before it. The image readers and the render
    // handler's interface need nothing of the movies, whose loaders and characters use them.
    const std::vector<std::string> layers = {"flash/base/",    "flash/swf/",    "flash/shape/",
                                             "flash/runtime/", "flash/render/", "flash/movie/"};
    for (const Include& inc : all) {
        if (inc.system) continue;
        for (size_t lower = 0; lower < layers.size(); ++lower) {
            if (!startsWith(inc.file, layers[lower])) continue;
            for (size_t upper = lower + 1; upper < layers.size(); ++upper) {
                if (startsWith(inc.name, layers[upper]))
                    ADD_FAILURE() << describe(inc) << ": " << layers[lower] << " sits below " << layers[upper];
            }
        }
    }
}

TEST_F(IncludeRules, TheLowerFlashLibrariesAreTestedWithoutTheMovieLibrary) {
    // Their tests run on the stub engine (tests/support/stub_engine.h): a fault below the movies
    // then shows in the library that has it.
    for (const Include& inc : all) {
        if (inc.system || !startsWith(inc.name, "flash/movie/")) continue;
        for (const char* folder : {"tests/flash/base/", "tests/flash/swf/", "tests/flash/shape/", "tests/flash/runtime/"}) {
            if (startsWith(inc.file, folder)) ADD_FAILURE() << describe(inc) << ": " << folder << " runs without the movie library";
        }
    }
}

TEST_F(IncludeRules, ThePlatformLayerIncludesNoUpperLayer) {
    for (const Include& inc : all) {
        if (inc.system || !startsWith(inc.file, "platform/")) continue;
        const bool ownLayer = startsWith(inc.name, "platform/") || inc.name.find('/') == std::string::npos;
        if (!ownLayer) ADD_FAILURE() << describe(inc) << ": the platform layer includes nothing above it";
    }
}

TEST_F(IncludeRules, LibrariesDependOneWay) {
    for (const Include& inc : all) {
        const std::string why = layerViolation(inc);
        if (!why.empty()) ADD_FAILURE() << describe(inc) << ": " << why;
    }
}

TEST_F(IncludeRules, TheOrderRefusesAnIncludeOfALaterLibraryFromEachGuardedFolder) {
    // One include upwards from every library of the order (script, the last, is what the one
    // before it may not include), and the same include turned round, which the order allows.
    const std::vector<std::pair<std::string, std::string>> upward = {
        {"core/log.cpp", "vfs/file.h"},
        {"core/log.cpp", "flash/base/bx_string.h"},
        {"flash/base/log.cpp", "flash/movie/player.h"},
        {"flash/movie/player.cpp", "vfs/vfs_manager.h"},
        {"flash/render/d3d/render_handler_d3d.cpp", "graphics/texture.h"},
        {"vfs/file.cpp", "graphics/texture.h"},
        {"graphics/texture.cpp", "input/direct_input.h"},
        {"input/direct_input.cpp", "audio/media_center.h"},
        {"audio/media_center.cpp", "particles/particle_mgr.h"},
        {"particles/particle_mgr.cpp", "script/script_core.h"},
    };
    for (const auto& [file, header] : upward) {
        EXPECT_NE(layerViolation({file, 1, header, false}), "") << file << " may not include " << header;
        EXPECT_EQ(layerViolation({header, 1, file, false}), "") << header << " may include " << file;
    }
    // Folders outside the order and system headers are not judged.
    EXPECT_EQ(layerViolation({"tests/core/log_test.cpp", 1, "script/script_core.h", false}), "");
    EXPECT_EQ(layerViolation({"core/log.cpp", 1, "script/script_core.h", true}), "");
}

TEST_F(IncludeRules, InternalHeadersStayInTheirLibraryAndItsTests) {
    int internal_includes = 0;
    for (const Include& inc : all) {
        if (!internalOwner(inc.name).empty()) ++internal_includes;
        const std::string why = internalViolation(inc);
        if (!why.empty()) ADD_FAILURE() << describe(inc) << ": " << why;
    }
    EXPECT_GT(internal_includes, 10) << "no internal headers are recognised";
    EXPECT_EQ(internalViolation({"vfs/archive_sma1.cpp", 1, "vfs/internal/archive_output.h", false}), "");
    EXPECT_EQ(internalViolation({"tests/vfs/archive_sma_test.cpp", 1, "vfs/internal/archive_output.h", false}), "");
    EXPECT_NE(internalViolation({"tools/sma/main.cpp", 1, "vfs/internal/archive_output.h", false}), "");
    EXPECT_NE(internalViolation({"tests/core/x_test.cpp", 1, "vfs/internal/archive_output.h", false}), "");
    EXPECT_NE(internalViolation({"graphics/texture.cpp", 1, "platform/graphics/internal/gl_device.h", false}), "");
    // A library's internal headers are not its neighbours': flash/movie is no part of flash/movies.
    EXPECT_NE(internalViolation({"flash/movies/x.cpp", 1, "flash/movie/internal/garbage_pass.h", false}), "");
}

}  // namespace
