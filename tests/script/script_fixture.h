#pragma once
// A started script state for one test, with the console output and the log captured.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/console_sink.h"
#include "script/script_args.h"
#include "script/script_core.h"
#include "tests/core/attr_test_support.h"
#include "tests/support/temp_dir.h"

namespace scripttest {

class ConsoleLines : public script::ConsoleSink {
public:
    void print(const char* line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

class ScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(startScriptState());
        L = currentScriptState();
        script::setConsoleSink(&console);
    }
    void TearDown() override {
        script::setConsoleSink(nullptr);
        closeScriptState();
    }

    int run(const std::string& text) { return runScriptBuffer(text.c_str(), text.size(), "test"); }

    // The expression's value through tostring, or "error: " and the message.
    std::string eval(const std::string& expression) {
        int top = lua_gettop(L);
        std::string chunk = "return tostring((" + expression + "))";
        std::string out;
        if (luaL_loadstring(L, chunk.c_str()) != 0 || lua_pcall(L, 0, 1, 0) != 0) {
            const char* message = lua_tostring(L, -1);
            out = std::string("error: ") + (message ? message : "?");
        } else {
            const char* text = lua_tostring(L, -1);
            out = text ? text : "?";
        }
        lua_settop(L, top);
        return out;
    }

    // The expression's value with the given readers; an argument error is cut to its "bad
    // argument" text, which names the argument, the function and the types.
    std::string evalReading(const std::string& expression, bool strict) {
        ScriptBinding::setStrictArguments(strict);
        std::string out = eval(expression);
        ScriptBinding::setStrictArguments(false);
        size_t at = out.find("bad argument");
        return at == std::string::npos ? out : out.substr(at);
    }

    testsupport::TempDir dir;
    attrtest::LogCapture log{dir};
    ConsoleLines console;
    lua_State* L = nullptr;
};

}  // namespace scripttest
