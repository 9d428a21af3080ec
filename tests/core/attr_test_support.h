#pragma once
// Log capture for the attribute tests: the log goes to a file of the test's own folder.
#include <string>
#include <vector>

#include "core/log_stream.h"
#include "tests/support/temp_dir.h"

namespace attrtest {

class LogCapture {
public:
    explicit LogCapture(const testsupport::TempDir& dir) : m_path((dir.path() / "attr.log").string()) {
        Tov::LogStream::setFile(m_path, false);
    }
    std::string text() const { return testsupport::readFile(m_path); }
    // Lines of the given level ("WARNING", "ERROR").
    std::vector<std::string> lines(const std::string& level) const {
        std::vector<std::string> out;
        std::string all = text();
        size_t start = 0;
        while (start < all.size()) {
            size_t end = all.find('\n', start);
            if (end == std::string::npos) end = all.size();
            std::string line = all.substr(start, end - start);
            if (line.find("\t" + level + "\t") != std::string::npos) out.push_back(line);
            start = end + 1;
        }
        return out;
    }

private:
    std::string m_path;
};

}  // namespace attrtest
