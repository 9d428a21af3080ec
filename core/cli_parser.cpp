#include "core/cli_parser.h"

namespace CLI {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isAlnum(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// A value standing on its own: a quoted run (without the quotes) or a run up to the next blank.
std::string readWord(const char*& cursor) {
    std::string word;
    if (*cursor == '"') {
        ++cursor;
        while (*cursor && *cursor != '"') word += *cursor++;
        if (*cursor == '"') ++cursor;
    } else {
        while (*cursor && !isSpace(*cursor)) word += *cursor++;
    }
    return word;
}

}  // namespace

Result Entry::readValue(const char*&) { return {}; }

std::string NamedEntry::usage() const {
    bool required = flags & kRequired;
    std::string text = required ? " " : " [";
    text += "--" + longName;
    if (!required) text += "]";
    return text;
}

SharedPtr<Switch> Parser::addSwitch(const std::string& longName, const std::string& shortName,
                                    const std::string& description, uint32_t flags) {
    SharedPtr<Switch> entry(new Switch(shortName, longName, description, flags));
    SharedPtr<Entry> base(entry);
    if (!shortName.empty()) m_shortNames[shortName] = base;
    if (!longName.empty()) m_longNames[longName] = base;
    return entry;
}

void Parser::addPositional(const SharedPtr<Entry>& entry) {
    if (entry) m_positional.push_back(entry);
}

bool Parser::parseArguments(const char* const* argv, int count) {
    std::string text;
    for (int i = 1; argv && i < count; ++i) {
        const char* arg = argv[i] ? argv[i] : "";
        std::string a(arg);
        if (a.find_first_of(" \t") != std::string::npos)
            text += "\"" + a + "\" ";
        else
            text += a + " ";
    }
    return parse(text);
}

bool Parser::fail(int code, std::string text) {
    m_errorCode = code;
    m_errorText = std::move(text);
    return false;
}

bool Parser::matchEntry(const SharedPtr<Entry>& entry, const char*& cursor) {
    Result r = entry->readValue(cursor);
    if (r.code != kNoError) return fail(r.code, r.text);
    m_given[entry->name()] = entry;
    return true;
}

bool Parser::parse(const std::string& line) {
    m_errorCode = kNoError;
    m_errorText.clear();
    const char* cursor = line.c_str();
    for (;;) {
        while (isSpace(*cursor)) ++cursor;
        if (!*cursor) break;
        if (cursor[0] == '-') {
            // "--" and a run of letters and digits, or "-" and one of them.
            const bool isLong = cursor[1] == '-';
            cursor += isLong ? 2 : 1;
            if (!isAlnum(*cursor)) return fail(kMissingName, isLong ? "--" : "-");
            std::string name;
            do name += *cursor++;
            while (isLong && isAlnum(*cursor));
            const auto& names = isLong ? m_longNames : m_shortNames;
            auto it = names.find(name);
            if (it == names.end()) return fail(kUnknownOption, name);
            if (!matchEntry(it->second, cursor)) return false;
        } else {
            if (m_nextPositional >= m_positional.size()) return fail(kTooManyValues, readWord(cursor));
            const char* start = cursor;
            if (!matchEntry(m_positional[m_nextPositional++], cursor)) return false;
            if (cursor == start) readWord(cursor);  // an entry that reads nothing still uses the value
        }
    }
    for (const auto& [name, entry] : m_longNames) {
        if ((entry->flags & Entry::kRequired) && !m_given.count(name)) return fail(kMissingRequired, name);
    }
    for (const SharedPtr<Entry>& entry : m_positional) {
        if ((entry->flags & Entry::kRequired) && !m_given.count(entry->name()))
            return fail(kMissingRequired, entry->name());
    }
    return true;
}

}  // namespace CLI
