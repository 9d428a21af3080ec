#pragma once
// A fresh folder for one test, made the working folder while it lives and removed afterwards.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace testsupport {

class TempDir {
public:
    explicit TempDir(bool enter = true) : m_enter(enter) {
        std::string pattern = (std::filesystem::temp_directory_path() / "tovtest_XXXXXX").string();
        char* made = ::mkdtemp(pattern.data());
        m_path = made ? made : pattern;
        if (m_enter) {
            m_previous = std::filesystem::current_path();
            std::filesystem::current_path(m_path);
        }
    }
    ~TempDir() {
        std::error_code ec;
        if (m_enter) std::filesystem::current_path(m_previous, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    bool m_enter;
    std::filesystem::path m_path;
    std::filesystem::path m_previous;
};

inline std::string readFile(const std::filesystem::path& p) {
    std::string out;
    if (FILE* f = std::fopen(p.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
        std::fclose(f);
    }
    return out;
}

inline void writeFile(const std::filesystem::path& p, const std::string& data) {
    std::filesystem::create_directories(p.parent_path().empty() ? "." : p.parent_path());
    if (FILE* f = std::fopen(p.c_str(), "wb")) {
        std::fwrite(data.data(), 1, data.size(), f);
        std::fclose(f);
    }
}

}  // namespace testsupport
