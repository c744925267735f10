// The game's Lua host: one interpreter with the base, io (with os, as in
// Lua 5.0), string and math libraries, the game's native functions (registered by the derived class
// in OnRegFuncs) and script files read through the engine's file system. Errors go to the engine
// log and a false result; none stops the game.
//
// Copies of a GScript share one interpreter; it is closed when the last
// object holding it closes it or goes away. Game thread only.
#pragma once

#include <memory>

#include "framework/GfcApi.h"

struct lua_State;
namespace Lumo {
class IFS;
}

namespace GFC {

class GFC_API GScript {
public:
    using LuaFunc = int (*)(lua_State*);

    GScript();
    GScript(const GScript& other);
    GScript& operator=(const GScript& other);
    virtual ~GScript();

    // Builds a fresh interpreter (dropping this object's old one), opens the
    // libraries, calls OnRegFuncs and runs the file. False when the
    // interpreter cannot be built or the file fails; the interpreter built
    // stays usable in the second case.
    bool LoadScript(Lumo::IFS* fs, const char* path);
    // Runs one more file in the existing interpreter; the chunk is named by
    // its path, so Lua's error messages name the file. On failure the error
    // value is left on the Lua stack. False without an interpreter.
    bool RunFile(Lumo::IFS* fs, const char* path);
    // Runs script text; errors are logged. The Lua stack is left as it was.
    // Nothing without an interpreter.
    void RunString(const char* code);
    // Makes fn the global name, replacing any earlier value. Nothing
    // without an interpreter.
    void RegFunc(const char* name, LuaFunc fn);
    void Close();
    bool IsValid() const { return m_state != nullptr; }

    lua_State* GetLuaState() const { return m_state.get(); }

protected:
    // Registers the game's functions, normally through RegFunc.
    virtual void OnRegFuncs() = 0;

private:
    std::shared_ptr<lua_State> m_state;
};

}  // namespace GFC
