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

bool Parser::matchNamed(const SharedPtr<Entry>& entry, const char*& cursor) {
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
        if (cursor[0] == '-' && cursor[1] == '-') {
            cursor += 2;
            if (!isAlnum(*cursor)) return fail(kMissingName, "--");
            std::string name;
            while (isAlnum(*cursor)) name += *cursor++;
            auto it = m_longNames.find(name);
            if (it == m_longNames.end()) return fail(kUnknownOption, name);
            if (!matchNamed(it->second, cursor)) return false;
        } else if (cursor[0] == '-') {
            ++cursor;
            if (!isAlnum(*cursor)) return fail(kMissingName, "-");
            std::string name(1, *cursor++);
            auto it = m_shortNames.find(name);
            if (it == m_shortNames.end()) return fail(kUnknownOption, name);
            if (!matchNamed(it->second, cursor)) return false;
        } else {
            if (m_nextPositional >= m_positional.size()) return fail(kTooManyValues, readWord(cursor));
            SharedPtr<Entry> entry = m_positional[m_nextPositional++];
            const char* start = cursor;
            Result r = entry->readValue(cursor);
            if (r.code != kNoError) return fail(r.code, r.text);
            if (cursor == start) readWord(cursor);  // an entry that reads nothing still uses the value
            m_given[entry->name()] = entry;
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
