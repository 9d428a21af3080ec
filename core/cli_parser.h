#pragma once
// The command line: the program describes its options as entries, the parser matches the joined
// argument text against them. Options start with "--" (long name) or "-" (one-character short
// name); names are compared exactly. Failures leave an error code and the offending text.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/shared_ptr.h"

namespace CLI {

enum ErrorCode {
    kNoError = 0,
    kMissingName = 5,        // an option sign without a name
    kUnknownOption = 6,
    kTooManyValues = 7,      // a positional value with no entry left to take it
    kMissingRequired = 8,    // a required entry was not given
};

struct Result {
    int code = kNoError;
    std::string text;
};

class Entry {
public:
    static constexpr uint32_t kRequired = 1;

    Entry(std::string description, uint32_t flags) : description(std::move(description)), flags(flags) {}
    virtual ~Entry() = default;
    virtual std::string usage() const { return {}; }
    virtual std::string name() const { return {}; }
    // Reads the entry's value at the cursor and moves the cursor past it; the base reads nothing.
    virtual Result readValue(const char*& cursor);

    std::string description;
    uint32_t flags;
};

class NamedEntry : public Entry {
public:
    NamedEntry(std::string shortName, std::string longName, std::string description, uint32_t flags)
        : Entry(std::move(description), flags), shortName(std::move(shortName)), longName(std::move(longName)) {}
    // " [--name]" for an optional entry, " --name" for a required one.
    std::string usage() const override;
    std::string name() const override { return longName; }

    std::string shortName;
    std::string longName;
};

// An option without a value: matching it only records that it was given.
class Switch : public NamedEntry {
public:
    using NamedEntry::NamedEntry;
};

class Parser {
public:
    Parser() = default;

    SharedPtr<Switch> addSwitch(const std::string& longName, const std::string& shortName,
                                const std::string& description, uint32_t flags = 0);
    // Entries that take the values standing on their own, in order.
    void addPositional(const SharedPtr<Entry>& entry);

    // Joins argv[1..count-1] (arguments holding a blank quoted) and parses the text.
    bool parseArguments(const char* const* argv, int count);
    bool parse(const std::string& text);

    // Entries matched so far, by long name (a short-name match counts under the long name).
    const std::map<std::string, SharedPtr<Entry>>& given() const { return m_given; }
    bool isGiven(const std::string& longName) const { return m_given.count(longName) != 0; }
    int errorCode() const { return m_errorCode; }
    const std::string& errorText() const { return m_errorText; }

private:
    bool fail(int code, std::string text);
    bool matchEntry(const SharedPtr<Entry>& entry, const char*& cursor);

    std::map<std::string, SharedPtr<Entry>> m_shortNames;
    std::map<std::string, SharedPtr<Entry>> m_longNames;
    std::map<std::string, SharedPtr<Entry>> m_given;
    std::vector<SharedPtr<Entry>> m_positional;
    size_t m_nextPositional = 0;
    int m_errorCode = kNoError;
    std::string m_errorText;
};

}  // namespace CLI
