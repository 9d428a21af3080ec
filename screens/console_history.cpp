#include "screens/console_history.h"

#include <algorithm>

#include "core/log_stream.h"
#include "platform/files.h"

std::string ConsoleHistory::resolve(const std::string& folder, const std::string& settingName) {
    const size_t slash = settingName.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? settingName : settingName.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") return {};
    return folder.empty() ? name : folder + "/" + name;
}

void ConsoleHistory::load(const std::string& path) {
    m_entries.clear();
    m_path = path;
    m_warned = false;
    m_index = 0;
    if (path.empty()) return;
    platform::File file;
    if (!file.open(path, platform::File::Mode::Read)) return;
    const std::optional<uint64_t> size = file.size();
    if (!size) return;
    const bool cut = *size > kMaxFileBytes;
    std::string text;
    if ((cut && !file.seek(static_cast<int64_t>(*size - kMaxFileBytes), 0)) || !platform::readRemaining(file, text)) {
        warnOnce("ConsoleHistory::load", "cannot read the history file ");
        return;
    }
    // A cut file starts inside a line: that part is dropped.
    size_t start = 0;
    if (cut) start = text.find('\n') == std::string::npos ? text.size() : text.find('\n') + 1;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            m_entries.push_back(text.substr(start));
            break;
        }
        m_entries.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    // Splitting "a\nb\n" leaves no empty last entry: the loop ends at the text's end.
    m_index = static_cast<int>(m_entries.size());
}

bool ConsoleHistory::add(const std::string& line, bool unique) {
    const bool repeated = unique ? std::find(m_entries.begin(), m_entries.end(), line) != m_entries.end()
                                 : !m_entries.empty() && m_entries.back() == line;
    if (repeated) return false;
    m_entries.push_back(line);
    append(line);
    m_index = static_cast<int>(m_entries.size());
    return true;
}

void ConsoleHistory::append(const std::string& line) {
    if (m_path.empty()) return;
    const std::string record = line + "\n";
    platform::File file;
    bool written = file.open(m_path, platform::File::Mode::Append) &&
                   file.write(record.data(), record.size()) == static_cast<int64_t>(record.size());
    written = file.isOpen() && file.close() && written;
    if (!written) warnOnce("ConsoleHistory::add", "cannot write the history file ");
}

void ConsoleHistory::warnOnce(const char* where, const char* what) {
    if (m_warned) return;
    m_warned = true;
    Tov::LogLine("WARNING") << where << ": " << what << m_path;
}
