// The helper process of the crash reporter: the crashed program re-executed with a marker. Here
// everything may allocate and lock: it adds symbol names to the report and tells the user.
#include <SDL.h>
#include <cxxabi.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/crash/crash_handler.h"
#include "platform/crash/internal/crash_internal.h"
#include "platform/crash/source_lines.h"
#include "platform/dynamic_library.h"
#include "platform/files.h"

namespace platform::crash {
namespace {

// The crashed program waits 20 seconds for its helper; the source lines must not take them all.
constexpr int kSourceLineTimeoutMs = 10000;

// The address in this process of the code at a file offset of a module, or 0.
uintptr_t addressOf(const std::string& path, uintptr_t fileOffset) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        std::istringstream in(line);
        std::string range, perms, offset, dev, inode, file;
        in >> range >> perms >> offset >> dev >> inode;
        std::getline(in >> std::ws, file);
        if (file != path || perms.size() < 3 || perms[2] != 'x') continue;
        size_t dash = range.find('-');
        if (dash == std::string::npos) continue;
        uintptr_t start = std::strtoull(range.c_str(), nullptr, 16);
        uintptr_t end = std::strtoull(range.c_str() + dash + 1, nullptr, 16);
        uintptr_t off = std::strtoull(offset.c_str(), nullptr, 16);
        if (fileOffset >= off && fileOffset < off + (end - start)) return start + (fileOffset - off);
    }
    return 0;
}

// "ns::Class::method" from "ns::Class::method(int) const": the report adds its own "()".
std::string withoutParameters(std::string name) {
    const std::string qualifier = " const";
    if (name.size() > qualifier.size() && name.compare(name.size() - qualifier.size(), qualifier.size(), qualifier) == 0)
        name.resize(name.size() - qualifier.size());
    if (name.empty() || name.back() != ')') return name;
    int depth = 0;
    for (size_t i = name.size(); i-- > 0;) {
        if (name[i] == ')') ++depth;
        if (name[i] == '(' && --depth == 0) return name.substr(0, i);
    }
    return name;
}

// ", name" or ", name()+0012 byte(s)"; empty when no symbol is known.
std::string symbolText(uintptr_t address) {
    if (!address) return {};
    Dl_info info{};
    if (!::dladdr(reinterpret_cast<void*>(address), &info) || !info.dli_sname || !info.dli_saddr) return {};
    int status = 0;
    char* demangled = abi::__cxa_demangle(info.dli_sname, nullptr, nullptr, &status);
    std::string name = status == 0 && demangled ? withoutParameters(demangled) : info.dli_sname;
    std::free(demangled);
    uintptr_t displacement = address - reinterpret_cast<uintptr_t>(info.dli_saddr);
    char tail[64] = "";
    if (displacement) std::snprintf(tail, sizeof tail, "()+%04lu byte(s)", static_cast<unsigned long>(displacement));
    return ", " + name + tail;
}

// printf's "%s" substitution only: the format comes from the program, but a stray "%d" or "%n"
// in it must not read or write through missing arguments.
std::string formatMessage(const std::string& format, const std::vector<std::string>& args) {
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            char c = format[i + 1];
            if (c == 's') {
                if (next < args.size()) out += args[next++];
                ++i;
                continue;
            }
            if (c == '%') {
                out += '%';
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

// SDL is looked up when a box is to be shown rather than linked, so that the crash library (and
// every user of the core above it) does not link SDL. The library stays loaded: the helper ends
// right after the box.
constexpr const char* kSdlLibrary = "libSDL2-2.0.so.0";

bool showMessageBox(const char* caption, const std::string& message) {
    using ShowFunction = decltype(&SDL_ShowSimpleMessageBox);
    void* sdl = platform::openLibrary(kSdlLibrary);
    const auto show = reinterpret_cast<ShowFunction>(platform::librarySymbol(sdl, "SDL_ShowSimpleMessageBox"));
    return show && show(SDL_MESSAGEBOX_ERROR, caption, message.c_str(), nullptr) == 0;
}

bool headless() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) return true;
    return !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY");
}

}  // namespace

int runHelperIfRequested(int argc, char** argv) {
    if (argc < 2 || !argv || !argv[1] || std::strcmp(argv[1], detail::kHelperMarker) != 0) return -1;
    if (argc < detail::kHelperFixedArgs) return 2;
    std::string reportName = argv[2];
    std::string dumpName = argv[3];
    bool show = std::strcmp(argv[4], "1") == 0;
    std::string address = argv[5];
    std::string format = argv[6];

    std::string report;
    if (platform::readWholeFile(reportName, report)) {
        std::vector<std::string> lines;
        std::istringstream in(report);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        const int pairs = (argc - detail::kHelperFixedArgs) / 2;
        std::vector<CodeAddress> code;
        for (int i = 0; i < pairs; ++i) {
            const std::string path = argv[detail::kHelperFixedArgs + 2 * i];
            const char* offset = argv[detail::kHelperFixedArgs + 2 * i + 1];
            const uintptr_t address = path.empty() ? 0 : addressOf(path, std::strtoull(offset, nullptr, 16));
            code.push_back({path, address, i > 0});  // the first is the faulting instruction itself
        }
        const std::vector<std::string> sources = sourceLineTexts(code, kSourceLineTimeoutMs);
        for (int i = 0; i < pairs; ++i) {
            // The fault line and each frame line: ", symbol" then ", file, line 0042".
            const std::string text = symbolText(code[size_t(i)].address) + sources[size_t(i)];
            if (text.empty()) continue;
            if (i == 0 && !lines.empty()) lines[0] += text;
            size_t frameLine = 1 + detail::kRegisterLines + size_t(i);
            if (frameLine < lines.size()) lines[frameLine] += text;
        }
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        if (!platform::writeFileAtomically(reportName, text.data(), text.size()))
            std::fprintf(stderr, "cannot add symbols to %s\n", reportName.c_str());  // it keeps its addresses
    }

    if (show) {
        std::string message = formatMessage(format, {reportName, dumpName, address});
        if (headless() || !showMessageBox(kMessageCaption, message)) {
            std::fprintf(stderr, "%s\n%s\n", kMessageCaption, message.c_str());
            std::fflush(stderr);
        }
    }
    return 0;
}

}  // namespace platform::crash
