#include "flash/base/bx_loadlib.h"

#include <gtest/gtest.h>

#include "flash/base/bx_string.h"

namespace {

TEST(BxLoadlib, LoadsALibraryAndFindsItsEntry) {
    flash::bx_loadlib lib(FLASH_TEST_MODULE);
    ASSERT_TRUE(lib.is_loaded());
    auto entry = reinterpret_cast<int (*)(int)>(lib.get_function("flash_module_init"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(21), 42);
    EXPECT_EQ(lib.get_function("no_such_entry"), nullptr);
}

TEST(BxLoadlib, AFailedLoadGivesNoFunctions) {
    flash::bx_loadlib missing("/nonexistent/libnothing.so");
    EXPECT_FALSE(missing.is_loaded());
    EXPECT_EQ(missing.get_function("flash_module_init"), nullptr);
}

TEST(BxLoadlib, ModulesAreTriedOnceAndKept) {
    flash::bx_loadlib* failed = flash::get_extension_module("Nothing", "/nonexistent/libnothing.so");
    ASSERT_NE(failed, nullptr);
    EXPECT_FALSE(failed->is_loaded());
    // The same name is not retried, even with a path that would load.
    EXPECT_EQ(flash::get_extension_module("Nothing", FLASH_TEST_MODULE), failed);

    flash::bx_loadlib* good = flash::get_extension_module("Doubler", FLASH_TEST_MODULE);
    ASSERT_TRUE(good->is_loaded());
    EXPECT_EQ(flash::get_extension_module("Doubler"), good);
    EXPECT_NE(good->get_function("flash_module_init"), nullptr);
    flash::clear_extension_modules();
}

}  // namespace
