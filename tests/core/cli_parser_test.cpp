#include "core/cli_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CommandLine, Table) {
    struct Case {
        const char* line;
        bool ok;
        int code;
        const char* errorText;
        bool full;
    };
    const Case cases[] = {
        {"", true, 0, "", false},
        {"   \t ", true, 0, "", false},
        {"-f", true, 0, "", true},
        {"--full", true, 0, "", true},
        {"  --full   -f ", true, 0, "", true},
        {"--FULL", false, 6, "FULL", false},
        {"-F", false, 6, "F", false},
        {"--", false, 5, "--", false},
        {"-- full", false, 5, "--", false},
        {"- f", false, 5, "-", false},
        {"-", false, 5, "-", false},
        {"-x", false, 6, "x", false},
        {"--fullscreen", false, 6, "fullscreen", false},
        {"-f stray", false, 7, "stray", true},  // the switch matched before the failure stays given
        {"\"My Games\"", false, 7, "My Games", false},
        {"-fx", false, 7, "x", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        CLI::Parser parser;
        SharedPtr<CLI::Switch> full = parser.addSwitch("full", "f", "Start in fullscreen");
        EXPECT_EQ(parser.parse(c.line), c.ok);
        EXPECT_EQ(parser.errorCode(), c.code);
        EXPECT_EQ(parser.errorText(), c.errorText);
        EXPECT_EQ(parser.isGiven("full"), c.full);
        if (c.full) {
            EXPECT_EQ(parser.given().at("full").get(), full.get());
        }
    }
}

TEST(CommandLine, ArgumentsAreJoinedWithQuotes) {
    struct Positional : CLI::Entry {
        Positional() : CLI::Entry("folder", 0) {}
        std::string name() const override { return "folder"; }
        CLI::Result readValue(const char*& cursor) override {
            // Takes the quoted value whole.
            value.clear();
            if (*cursor == '"') {
                ++cursor;
                while (*cursor && *cursor != '"') value += *cursor++;
                if (*cursor) ++cursor;
            }
            return {};
        }
        std::string value;
    };
    CLI::Parser parser;
    parser.addSwitch("full", "f", "Start in fullscreen");
    SharedPtr<Positional> folder(new Positional);
    parser.addPositional(SharedPtr<CLI::Entry>(folder));
    const char* argv[] = {"game", "My Games\tNow", "-f"};
    EXPECT_TRUE(parser.parseArguments(argv, 3));
    EXPECT_EQ(folder->value, "My Games\tNow");
    EXPECT_TRUE(parser.isGiven("full"));
    EXPECT_TRUE(parser.isGiven("folder"));

    CLI::Parser plain;
    plain.addSwitch("full", "f", "Start in fullscreen");
    const char* only[] = {"game"};
    EXPECT_TRUE(plain.parseArguments(only, 1));
    EXPECT_TRUE(plain.parseArguments(nullptr, 0));
}

TEST(CommandLine, RequiredEntriesAndUsage) {
    CLI::Parser parser;
    SharedPtr<CLI::Switch> must = parser.addSwitch("level", "l", "Start level", CLI::Entry::kRequired);
    SharedPtr<CLI::Switch> may = parser.addSwitch("full", "f", "Start in fullscreen");
    EXPECT_FALSE(parser.parse("-f"));
    EXPECT_EQ(parser.errorCode(), CLI::kMissingRequired);
    EXPECT_EQ(parser.errorText(), "level");
    EXPECT_TRUE(parser.parse("-l"));
    EXPECT_EQ(must->usage(), " --level");
    EXPECT_EQ(may->usage(), " [--full]");
}

}  // namespace
