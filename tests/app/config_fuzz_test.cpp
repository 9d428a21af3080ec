// The settings reader (lexer and variable store) on arbitrary bytes: as a libFuzzer target
// (app_config_fuzz) and, in the ordinary tests, over seeds.
#include <string>
#include <vector>

#include "core/cvar.h"
#include "core/lexer.h"
#include "tests/support/fuzz_target.h"

namespace {

// The variables as they were, put back after each input so that inputs stay independent.
struct Snapshot {
    std::vector<std::string> texts;
    Snapshot() {
        for (int i = 0; i < CVar::getCount(); ++i) texts.emplace_back(CVar::getByIndex(i)->toString());
    }
    void restore() const {
        for (int i = 0; i < CVar::getCount(); ++i) CVar::getByIndex(i)->setFromString(texts[static_cast<size_t>(i)].c_str());
    }
};

void readSettings(const uint8_t* data, size_t size) {
    static const Snapshot snapshot;
    idLexer lexer(reinterpret_cast<const char*>(data), static_cast<int>(size), "global config");
    CVar::readConfig(lexer);
    const char* text = nullptr;
    uint32_t length = 0;
    CVar::writeConfig(0xFFFFFFFFu, &text, &length);
    snapshot.restore();
}

}  // namespace

TOV_FUZZ_TARGET(readSettings(data, size))

#ifndef TOV_FUZZ_MAIN
#include <gtest/gtest.h>

#include "core/cvar_catalogue.h"

TEST(ConfigFuzzSeeds, ArbitraryBytesReadWithoutHarmAndLeaveTheVariablesAsTheyWere) {
    const std::string saved = d_FPSCount->toString();
    const std::vector<std::string> seeds = {
        "",
        "d_FPSCount 30\n",
        "d_FPSCount",
        "\"",
        "/*",
        "d_rX 1e39 d_rY -1e39\n",
        "s_LastProfileName \"" + std::string(4000, 'x') + "\"\n",
        std::string("d_FPSCount \0 40", 14),
        "d_DTMax 0x7fffffff d_penaltyTimer 99999999999999999999\n",
        "d_MainPanelTextColor 1 2\nd_FPSCount 3\n",
        std::string(10000, '{'),
        "\xff\xfe\x00\x01 d_DebugMode yes",
    };
    for (const std::string& seed : seeds) readSettings(reinterpret_cast<const uint8_t*>(seed.data()), seed.size());
    EXPECT_EQ(d_FPSCount->toString(), saved);
    // Every byte value and a few lengths of one settings line cut short.
    const std::string line = "d_FPSCount \"12.5\" // note\nprog_version \"v\"\n";
    for (size_t cut = 0; cut <= line.size(); ++cut)
        readSettings(reinterpret_cast<const uint8_t*>(line.data()), cut);
    for (int b = 0; b < 256; ++b) {
        const std::string one(3, static_cast<char>(b));
        readSettings(reinterpret_cast<const uint8_t*>(one.data()), one.size());
    }
    EXPECT_EQ(d_FPSCount->toString(), saved);
}
#endif
