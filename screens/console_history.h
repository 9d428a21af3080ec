#pragma once
// The console's history of typed lines: the entries in memory with the position that Up and Down
// use, and the history file, one line per entry, read at start and appended to at each entry.
// The file lives in the player's data folder (beside the profiles), never in the game's data:
// only the file name of the setting is used. A history that cannot be written warns once and
// stays in memory.
#include <cstddef>
#include <string>
#include <vector>

class ConsoleHistory {
public:
    // A longer file is read from its last this many bytes (its first, cut line dropped).
    static constexpr size_t kMaxFileBytes = 1u << 20;

    // Reads the file at `path` (none when empty); a missing file is an empty history.
    void load(const std::string& path);
    // Adds a line unless it repeats the last entry (or, with `unique`, any entry), appends it to
    // the file and moves the position past the end. False when it was skipped.
    bool add(const std::string& line, bool unique);

    const std::vector<std::string>& entries() const { return m_entries; }
    size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    // The position: 0 .. size (size is past the last entry).
    int index() const { return m_index; }
    void setIndex(int index) { m_index = index; }
    const std::string& path() const { return m_path; }

    // The history file for the setting's name: its file name in the folder.
    static std::string resolve(const std::string& folder, const std::string& settingName);

private:
    void append(const std::string& line);
    // One WARNING for the file's whole life: a history that cannot be used is said once.
    void warnOnce(const char* where, const char* what);

    std::vector<std::string> m_entries;
    int m_index = 0;
    std::string m_path;
    bool m_warned = false;
};
