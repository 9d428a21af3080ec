#pragma once
// The localised texts the player reads, keyed by names beginning "ids_". One global table is
// filled from "Data\\Texts\\strings.st" before the program entry and only read afterwards (no
// lock). A key the table lacks is shown as the key itself, so a missing text is visible.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

class StringTable {
public:
    using Entries = std::map<std::string, std::u16string>;
    static constexpr const char* kDefaultFile = "Data\\Texts\\strings.st";
    static constexpr size_t kLineCapacity = 1000;  // 999 units and the terminating zero
    static constexpr int32_t kNotFound = -2;

    // UTF-16LE units of an in-memory file, read low byte first whatever the host.
    class Reader {
    public:
        Reader(const void* data, size_t size) : m_data(static_cast<const uint8_t*>(data)), m_size(size) {}
        // True once a read has gone past the last unit, as a stream's end-of-file flag: after a
        // final line end the end is not reached yet, so one more (empty) line is read. An odd
        // trailing byte is never a unit.
        bool atEnd() const { return m_ended; }
        bool next(char16_t& unit);
        bool peek(char16_t& unit) const;

    private:
        const uint8_t* m_data;
        size_t m_size;
        size_t m_pos = 0;
        bool m_ended = false;
    };

    // The one global table, constructed empty on first use. The application's static initializer
    // fills it:  StringTable::instance().load(StringTable::kDefaultFile);
    static StringTable& instance();

    // Replaces the entries with the file's. False for a null name (entries unchanged) or a file
    // that does not open or cannot be read (entries empty, and an ERROR for a read failure). The
    // file is a plain file found through the path resolver.
    bool load(const char* fileName);
    // Case-insensitive lookup: the text's length in units, or kNotFound (out left alone).
    int32_t find(const std::string& key, std::u16string& out) const;
    // The global table's text for `key`; the key itself, widened, when it has none; empty for "".
    static std::u16string translate(const std::string& key);
    // Reads one line (CR LF, LF or a lone CR ends it; the end is not part of the line). Keeps the
    // first capacity-1 units followed by a zero, drops the rest; returns the units kept. A line end
    // after the last text line thus gives one more, empty, key with an empty text.
    static size_t readLine(Reader& in, char16_t* out, size_t capacity);

    // Entries in key order (lower-case keys).
    Entries::const_iterator begin() const { return m_entries.begin(); }
    Entries::const_iterator end() const { return m_entries.end(); }
    size_t size() const { return m_entries.size(); }
    const std::string& fileName() const { return m_fileName; }
    bool isModified() const { return m_modified; }

private:
    Entries m_entries;
    std::string m_fileName;
    bool m_modified = false;
};
