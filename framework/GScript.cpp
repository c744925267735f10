#include "framework/GScript.h"

#include <new>
#include <vector>

#include "framework/GLua.h"
#include "lumo/IFS.h"
#include "lumo/Log.h"

namespace GFC {

namespace {

void CloseState(lua_State* L) {
    if (L) {
        lua_close(L);
    }
}

// The standard libraries the game's scripts may use, in opening order. Lua
// 5.1 wants its library openers called as Lua functions, not directly. In
// Lua 5.0 the io library also opened the os table (time, date, clock); 5.1
// keeps it apart, so it is opened right after io for the scripts that use it.
const lua_CFunction kLibraries[] = {luaopen_base, luaopen_io, luaopen_os, luaopen_string,
                                    luaopen_math};

bool OpenLibraries(lua_State* L) {
    for (lua_CFunction open : kLibraries) {
        lua_pushcfunction(L, open);
        if (lua_pcall(L, 0, 0, 0) != 0) {
            lua_pop(L, 1);
            return false;
        }
    }
    return true;
}

const char* ErrorText(lua_State* L) {
    const char* text = lua_isstring(L, -1) ? lua_tostring(L, -1) : nullptr;
    return text ? text : "unknown";
}

constexpr const char* kSyntaxError = "syntax";
constexpr const char* kRuntimeError = "runtime";

// A script that does not compile is a syntax error; one that compiles and
// then fails (error(), a nil indexed) a runtime error, said so.
bool LogError(lua_State* L, const char* kind) {
    Lumo::_WriteLogString("Script %s error,error=%s\r\n", kind, ErrorText(L));
    return false;
}

bool Run(lua_State* L, int results) {
    return lua_pcall(L, 0, results, 0) == 0 || LogError(L, kRuntimeError);
}

}  // namespace

GScript::GScript() = default;
GScript::GScript(const GScript& other) = default;
GScript& GScript::operator=(const GScript& other) = default;
GScript::~GScript() = default;

bool GScript::LoadScript(Lumo::IFS* fs, const char* path) {
    Close();
    lua_State* L = lua_open();
    if (!L) {
        Lumo::_WriteLogString("lua VM open failed.");
        return false;
    }
    m_state.reset(L, CloseState);
    if (!OpenLibraries(L)) {
        Lumo::_WriteLogString("lua VM open failed.");
        Close();
        return false;
    }
    OnRegFuncs();
    return RunFile(fs, path);
}

bool GScript::RunFile(Lumo::IFS* fs, const char* path) {
    lua_State* L = m_state.get();
    if (!L) {
        return false;
    }
    const uint32_t size = (fs && path) ? fs->GetSize(path) : Lumo::kMissingFileSize;
    if (size == 0 || size == Lumo::kMissingFileSize) {
        Lumo::_WriteLogString("Script file not find,%s.", path ? path : "");
        return false;
    }
    char* buffer = new (std::nothrow) char[size];
    if (!buffer) {
        return false;
    }
    const uint32_t loaded = fs->LoadFile(buffer, size, path);
    const int status = luaL_loadbuffer(L, buffer, loaded, path);
    delete[] buffer;
    return status == 0 ? Run(L, 0) : LogError(L, kSyntaxError);
}

void GScript::RunString(const char* code) {
    lua_State* L = m_state.get();
    if (!L || !code) {
        return;
    }
    const int top = lua_gettop(L);
    if (luaL_loadstring(L, code) != 0) {
        LogError(L, kSyntaxError);
    } else {
        (void)Run(L, LUA_MULTRET);
    }
    lua_settop(L, top);
}

void GScript::RegFunc(const char* name, LuaFunc fn) {
    lua_State* L = m_state.get();
    if (!L || !name) {
        return;
    }
    lua_pushcclosure(L, fn, 0);
    lua_pushstring(L, name);
    lua_insert(L, -2);
    lua_settable(L, LUA_GLOBALSINDEX);
}

void GScript::Close() {
    m_state.reset();
}

}  // namespace GFC
