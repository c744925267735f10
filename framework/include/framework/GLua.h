// The Lua 5.1 headers with C linkage, for the script host and for the game's
// native functions registered through GScript::RegFunc.
#pragma once

extern "C" {
#include <lua5.1/lauxlib.h>
#include <lua5.1/lua.h>
#include <lua5.1/lualib.h>
}
