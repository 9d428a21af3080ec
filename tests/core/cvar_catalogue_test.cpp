#include "core/cvar_catalogue.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CVarCatalogue, CountOrderAndDefaults) {
    EXPECT_EQ(CVar::getCount(), 67);
    EXPECT_STREQ(CVar::getByIndex(0)->name, "d_DTMax");
    EXPECT_STREQ(CVar::getByIndex(1)->name, "d_DebugMode");

    EXPECT_EQ(CVar::find("d_TextureMaxSize"), d_TextureMaxSize);
    EXPECT_STREQ(d_TextureMaxSize->toString(), "0.000 0.000 1.000");
    EXPECT_STREQ(d_MainPanelTaskTextColor->toString(), "221.000 200.000 148.000");
    EXPECT_EQ(d_pathSaveTextures->text, "c:\\");
    EXPECT_EQ(v_ConsoleHistory->text, "data\\console.log");
    EXPECT_TRUE(s_fullScreenMode->value.b);
    EXPECT_TRUE(d_noLinkAtExit->value.b);
    EXPECT_FALSE(d_DebugMode->value.b);
    EXPECT_FLOAT_EQ(d_FPSCount->value.f[0], 60.0f);
    EXPECT_FLOAT_EQ(d_rX->value.f[0], -1.5f);
    EXPECT_EQ(d_penaltyTimer->value.i, 3000);
    EXPECT_EQ(prog_version->text, "");
    EXPECT_EQ(d_RenderLevel->flags, 0x20u);
    EXPECT_STREQ(d_DebugMode->description, "d_DebugMode");
    EXPECT_STREQ(d_DTMax->description, "");
    EXPECT_EQ(d_TextureMaxSize->type, uint32_t(CVar::TYPE_FLOAT3));
}

TEST(CVarCatalogue, SavedSettingsText) {
    const char* text = nullptr;
    uint32_t length = 0;
    ASSERT_TRUE(CVar::writeConfig(0x40, &text, &length));
    EXPECT_EQ(std::string(text, length),
              "s_LastProfileName\t\"\"\t\t// s_LastProfileName\n"
              "s_fullScreenMode\ttrue\t\t// \n"
              "s_musicVol\t50.000\t\t// \n"
              "s_soundVol\t50.000\t\t// \n");
}

}  // namespace
