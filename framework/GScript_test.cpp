#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/GLua.h"
#include "framework/GScript.h"
#include "lumo/DiskFS.h"
#include "lumo/Log.h"
#include "lumo/MemFS.h"
#include "testsupport/temp_dir.h"

namespace {

std::vector<std::string> g_notes;

int Note(lua_State* L) {
    g_notes.push_back(luaL_checkstring(L, 1));
    return 0;
}
int Add(lua_State* L) {
    lua_pushnumber(L, luaL_checknumber(L, 1) + luaL_checknumber(L, 2));
    return 1;
}
int AddReplaced(lua_State* L) {
    lua_pushnumber(L, 1000);
    (void)L;
    return 1;
}

class GameScript : public GFC::GScript {
public:
    int regCalls = 0;

protected:
    void OnRegFuncs() override {
        ++regCalls;
        RegFunc("note", Note);
        RegFunc("add", Add);
    }
};

class Script : public ::testing::Test {
protected:
    void SetUp() override {
        g_notes.clear();
        Lumo::ClearLog();
    }
    std::vector<std::string> Log() const { return Lumo::GetLogEntries(); }

    Lumo::MemFS fs;
    GameScript script;
};

TEST_F(Script, LoadsAFileWithTheLibrariesAndTheGamesFunctions) {
    fs.AddFile("Scripts\\Init.lua",
               "note(tostring(add(2, 3)))\n"
               "note(string.format('%03d', math.floor(7.9)))\n"
               "note(type(io.write))\n"
               "counter = 1\n");
    EXPECT_TRUE(script.LoadScript(&fs, "scripts\\init.lua"));
    EXPECT_TRUE(script.IsValid());
    EXPECT_EQ(script.regCalls, 1);
    EXPECT_EQ(g_notes, (std::vector<std::string>{"5", "007", "function"}));
    EXPECT_TRUE(Log().empty());

    fs.AddFile("more.lua", "counter = counter + 1 note(tostring(counter))");
    EXPECT_TRUE(script.RunFile(&fs, "MORE.LUA"));
    script.RunString("note('from text ' .. counter)");
    EXPECT_EQ(g_notes.back(), "from text 2");
}

// Lua 5.0's io library brought the os table with it; game scripts time
// things and stamp dates with it.
TEST_F(Script, ScriptsHaveTheOsTable) {
    fs.AddFile("clock.lua",
               "note(type(os.time()))\n"
               "note(type(os.clock()))\n"
               "note(os.date('!%Y', 0) == '1970' and 'epoch' or os.date('!%Y', 0))\n"
               "note(tostring(os.time({year = 2000, month = 1, day = 1, hour = 12}) > 0))\n");
    EXPECT_TRUE(script.LoadScript(&fs, "clock.lua"));
    EXPECT_TRUE(Log().empty()) << Log().front();
    EXPECT_EQ(g_notes, (std::vector<std::string>{"number", "number", "epoch", "true"}));
}

TEST_F(Script, RunsFilesFromDisk) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "System\\Script\\Boot.lua", "note('disk')");
    Lumo::DiskFS disk(dir.path());
    EXPECT_TRUE(script.LoadScript(&disk, "system\\script\\boot.lua"));
    EXPECT_EQ(g_notes, (std::vector<std::string>{"disk"}));
    EXPECT_EQ(disk.OpenCount(), 0u);
}

TEST_F(Script, MissingFileIsLoggedAndLeavesTheInterpreterAlone) {
    fs.AddFile("a.lua", "kept = 'yes'");
    ASSERT_TRUE(script.LoadScript(&fs, "a.lua"));
    fs.AddFile("empty.lua", "");
    EXPECT_FALSE(script.RunFile(&fs, "Scripts\\none.lua"));
    EXPECT_FALSE(script.RunFile(&fs, "empty.lua"));
    EXPECT_FALSE(script.RunFile(nullptr, "a.lua"));
    EXPECT_EQ(Log(), (std::vector<std::string>{"Script file not find,Scripts\\none.lua.",
                                               "Script file not find,empty.lua.",
                                               "Script file not find,a.lua."}));
    script.RunString("note(kept)");
    EXPECT_EQ(g_notes, (std::vector<std::string>{"yes"}));

    // LoadScript of a missing file still builds the interpreter.
    GameScript other;
    EXPECT_FALSE(other.LoadScript(&fs, "missing.lua"));
    EXPECT_TRUE(other.IsValid());
    EXPECT_EQ(other.regCalls, 1);
}

TEST_F(Script, SyntaxErrorFailsTheLoadButKeepsTheInterpreterAndItsFunctions) {
    fs.AddFile("Scripts\\broken.lua", "x = = 1");
    EXPECT_FALSE(script.LoadScript(&fs, "Scripts\\broken.lua"));
    EXPECT_TRUE(script.IsValid());
    auto log = Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].rfind("Script syntax error,error=", 0), 0u) << log[0];
    EXPECT_NE(log[0].find("Scripts\\broken.lua"), std::string::npos) << log[0];
    EXPECT_EQ(log[0].substr(log[0].size() - 2), "\r\n");
    script.RunString("note(tostring(add(1, 1)))");
    EXPECT_EQ(g_notes, (std::vector<std::string>{"2"}));
}

TEST_F(Script, RuntimeErrorNamesTheFileAndLineAndLeavesTheErrorOnTheStack) {
    fs.AddFile("Scripts\\quest.lua", "note('before')\nlocal t = nil\nprint(t.field)\n");
    ASSERT_FALSE(script.LoadScript(&fs, "Scripts\\quest.lua"));
    EXPECT_EQ(g_notes, (std::vector<std::string>{"before"}));
    auto log = Log();
    ASSERT_EQ(log.size(), 1u);
    // It compiled: a runtime error, not a syntax error.
    EXPECT_EQ(log[0].rfind("Script runtime error,error=", 0), 0u) << log[0];
    EXPECT_NE(log[0].find("Scripts\\quest.lua\"]:3:"), std::string::npos) << log[0];
    lua_State* L = script.GetLuaState();
    ASSERT_EQ(lua_gettop(L), 1);
    EXPECT_NE(std::string(lua_tostring(L, -1)).find("quest.lua"), std::string::npos);
    lua_settop(L, 0);
    // The interpreter goes on working after the error.
    fs.AddFile("ok.lua", "note('after')");
    EXPECT_TRUE(script.RunFile(&fs, "ok.lua"));
    EXPECT_EQ(g_notes.back(), "after");
}

TEST_F(Script, RunStringLogsErrorsAndLeavesTheStackAsItWas) {
    fs.AddFile("a.lua", "");
    fs.AddFile("b.lua", "-- nothing");
    ASSERT_TRUE(script.LoadScript(&fs, "b.lua"));
    lua_State* L = script.GetLuaState();
    const int top = lua_gettop(L);
    script.RunString("return 1, 2, 3");
    EXPECT_EQ(lua_gettop(L), top);
    script.RunString("this is not lua");
    script.RunString("error({})");
    script.RunString("error('plain')");
    EXPECT_EQ(lua_gettop(L), top);
    auto log = Log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].rfind("Script syntax error,error=[string \"this is not lua\"]:1:", 0), 0u)
        << log[0];
    EXPECT_EQ(log[1], "Script runtime error,error=unknown\r\n");
    EXPECT_EQ(log[2].rfind("Script runtime error,error=", 0), 0u) << log[2];
    EXPECT_NE(log[2].find("plain"), std::string::npos);
    script.RunString(nullptr);
}

TEST_F(Script, ErrorObjectsThatAreNotTextAreLoggedAsUnknown) {
    fs.AddFile("t.lua", "error({code = 5})");
    EXPECT_FALSE(script.LoadScript(&fs, "t.lua"));
    EXPECT_EQ(Log(), (std::vector<std::string>{"Script runtime error,error=unknown\r\n"}));
}

TEST_F(Script, SecondRegistrationOfANameWins) {
    fs.AddFile("a.lua", "-- empty");
    ASSERT_TRUE(script.LoadScript(&fs, "a.lua"));
    script.RegFunc("add", AddReplaced);
    script.RunString("note(tostring(add(1, 2)))");
    EXPECT_EQ(g_notes, (std::vector<std::string>{"1000"}));
    script.RegFunc(nullptr, Add);
}

TEST_F(Script, SecondLoadStartsAFreshInterpreter) {
    fs.AddFile("a.lua", "left = 'over'");
    fs.AddFile("b.lua", "note(tostring(left))");
    ASSERT_TRUE(script.LoadScript(&fs, "a.lua"));
    ASSERT_TRUE(script.LoadScript(&fs, "b.lua"));
    EXPECT_EQ(g_notes, (std::vector<std::string>{"nil"}));
    EXPECT_EQ(script.regCalls, 2);
}

TEST_F(Script, WithoutAnInterpreterNothingRuns) {
    fs.AddFile("a.lua", "note('x')");
    EXPECT_FALSE(script.IsValid());
    EXPECT_FALSE(script.RunFile(&fs, "a.lua"));
    script.RunString("note('x')");
    script.RegFunc("f", Add);
    script.Close();
    EXPECT_TRUE(g_notes.empty());
    ASSERT_TRUE(script.LoadScript(&fs, "a.lua"));
    script.Close();
    EXPECT_FALSE(script.IsValid());
    EXPECT_FALSE(script.RunFile(&fs, "a.lua"));
    EXPECT_EQ(g_notes.size(), 1u);
}

TEST_F(Script, CopiesShareOneInterpreterThatOutlivesEachOfThem) {
    fs.AddFile("a.lua", "shared = 'one'");
    auto* original = new GameScript;
    ASSERT_TRUE(original->LoadScript(&fs, "a.lua"));
    GameScript copy(*original);
    EXPECT_EQ(copy.GetLuaState(), original->GetLuaState());
    delete original;  // the copy's interpreter must survive this
    copy.RunString("note(shared)");
    GameScript assigned;
    assigned = copy;
    copy.Close();
    EXPECT_FALSE(copy.IsValid());
    assigned.RunString("note(shared .. '!')");
    EXPECT_EQ(g_notes, (std::vector<std::string>{"one", "one!"}));
}

}  // namespace
