// Coroutines for scripts: createNewThread, resumeThread and yieldThread.
#include "script/script_core.h"
#include "script/internal/script_state.h"

namespace {

int createNewThread(lua_State* L) {
    lua_State* thread = lua_newthread(L);
    // The thread keeps itself as its first stack value, below the function it will run.
    lua_pushvalue(L, -1);
    lua_xmove(L, thread, 1);
    return 1;
}

int resumeFailure(lua_State* L, const char* text) {
    lua_pushstring(L, text);
    return 1;
}

// (thread, function, arguments...) for a new thread, (thread, values...) for a suspended one.
// Returns the last value the thread yielded or returned, or its error message.
int resumeThread(lua_State* L) {
    lua_State* thread = lua_tothread(L, 1);
    if (!thread) return luaL_typerror(L, 1, "thread");
    if (thread == L) return resumeFailure(L, "cannot resume non-suspended coroutine");
    int given = lua_gettop(L) - 1;
    if (!lua_checkstack(thread, given + LUA_MINSTACK))
        return resumeFailure(L, "too many arguments to resume");
    bool suspended = lua_status(thread) == LUA_YIELD;
    lua_xmove(L, thread, given);
    // A new thread holds itself and the function below the arguments; a suspended one gets every
    // value as a result of its yield.
    int argumentCount = suspended ? given : lua_gettop(thread) - 2;
    if (argumentCount < 0) {
        lua_settop(thread, lua_gettop(thread) - given);
        return resumeFailure(L, "cannot resume dead coroutine");
    }
    lua_setlevel(L, thread);
    lua_State* previous = currentScriptState();
    script::setCurrentScriptState(thread);
    lua_resume(thread, argumentCount);
    script::setCurrentScriptState(previous);
    int left = lua_gettop(thread);
    if (!lua_checkstack(L, left + 1)) {
        lua_settop(thread, 0);
        return resumeFailure(L, "too many results to resume");
    }
    lua_xmove(thread, L, left);
    if (left == 0) lua_pushvalue(L, 1);
    return 1;
}

int yieldThread(lua_State* L) { return lua_yield(L, lua_gettop(L)); }

}  // namespace

namespace script {

void registerCoroutineFunctions(lua_State* L) {
    lua_register(L, "createNewThread", createNewThread);
    lua_register(L, "resumeThread", resumeThread);
    lua_register(L, "yieldThread", yieldThread);
}

}  // namespace script
