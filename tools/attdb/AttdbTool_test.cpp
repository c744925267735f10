#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "AttListWriter_test.h"
#include "AttdbTool.h"
#include "platform/fs.h"
#include "testsupport/temp_dir.h"

namespace {

using namespace GFC;
using attlist::ListFile;

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

Outcome RunTool(std::vector<std::string> args) {
    args.insert(args.begin(), "attdb");
    std::vector<const char*> argv;
    for (const std::string& a : args) {
        argv.push_back(a.c_str());
    }
    std::ostringstream out, err;
    int code = attdb::Run(static_cast<int>(argv.size()), argv.data(), out, err);
    return {code, out.str(), err.str()};
}

class AttdbTool : public ::testing::Test {
protected:
    void SetUp() override {
        Write(0, ListFile(std::vector<tagNPCAtt>{attlist::Npc(0x10000002, "wolf", 0),
                                                 attlist::Npc(7, "smith", 9)}));
        Write(1, ListFile(std::vector<tagBaseAtt>{attlist::Base(30, "cat", kBaseKindPet, 500),
                                                  attlist::Base(31, "sword"),
                                                  attlist::Base(32, "dog", kBaseKindPet, 501)}));
        Write(3, ListFile(std::vector<tagBuffTrigger>{attlist::Trigger(501, 900),
                                                      attlist::Trigger(502, 901)}));
        Write(6, ListFile(std::vector<tagGuildRoomAtt>{attlist::Record<tagGuildRoomAtt>(1)}));
    }
    void Write(int list, const std::string& bytes) {
        testsupport::WriteFile(dir / attlist::Path(list), bytes);
    }
    std::string Dir() const { return platform::NativePath(dir.path()); }

    testsupport::TempDir dir;
};

TEST_F(AttdbTool, PrintsTableSizesPetListsAndMissingLists) {
    Outcome r = RunTool({Dir()});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "NPC 2\n"
              "BaseAtt 3\n"
              "Buff 0\n"
              "BuffTrigger 2\n"
              "Shop 0\n"
              "Compose 0\n"
              "GuildRoom 1\n"
              "pets: 30 32\n"
              "petbuffs: 900\n"
              "pettriggers: 500 501\n"
              "missing: System\\tagBuff.lst\n"
              "missing: System\\tagShopData.lst\n"
              "missing: system\\tagCompose.lst\n");
}

TEST_F(AttdbTool, DamagedListsAreNamedAndFailTheRun) {
    std::string negative(4, '\xFF');  // a count of -1, then noise
    negative += std::string(300, '\x5A');
    Write(0, negative);
    std::string cut =
        ListFile(std::vector<tagBaseAtt>{attlist::Base(30, "cat"), attlist::Base(31, "sword")});
    cut.resize(cut.size() - 10);
    Write(1, cut);
    Outcome r = RunTool({Dir()});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("NPC 0\n"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("attdb: Att list file damaged,System\\tagNPCAtt.lst,record count -1"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("attdb: Att list file truncated,System\\tagBaseAtt.lst,2 of 2 records"),
              std::string::npos)
        << r.err;
}

TEST_F(AttdbTool, ShowsAnNpcsModelAndEffectByDecimalOrHexId) {
    Outcome r = RunTool({Dir(), "--npc", "0x10000002"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "model: System\\Monster\\wolf\\wolf.fak\n"
              "effect: System\\Monster\\wolf\\wolf_a.csv\n");
    r = RunTool({Dir(), "--npc", "7"});
    EXPECT_EQ(r.out, "model: System\\NPC\\smith.fak\neffect: System\\NPC\\smith_a.csv\n");
    r = RunTool({Dir(), "--npc", "0X10000002"});
    EXPECT_EQ(r.code, 0);
}

TEST_F(AttdbTool, FailsClearlyOnUnknownNpcsBadIdsAndBadFolders) {
    Outcome r = RunTool({Dir(), "--npc", "8"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("no NPC with id 8"), std::string::npos);
    for (const char* bad : {"12abc", "0x", "0x100000000", "4294967296", "-1", ""}) {
        r = RunTool({Dir(), "--npc", bad});
        EXPECT_EQ(r.code, 64) << bad;
        EXPECT_TRUE(r.out.empty()) << bad;
    }
    r = RunTool({Dir() + "/nothing"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("is not a folder"), std::string::npos);
    r = RunTool({});
    EXPECT_EQ(r.code, 64);
}

TEST_F(AttdbTool, TooLongResourceNameIsAFailureNotACutPath) {
    Write(0, ListFile(std::vector<tagNPCAtt>{attlist::Npc(5, std::string(280, 'n'), 9)}));
    Outcome r = RunTool({Dir(), "--npc", "5"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("too long"), std::string::npos);
}

}  // namespace
