#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "AttListWriter_test.h"
#include "cpk/BlockPool.h"
#include "cpk/CPKVfs.h"
#include "cpk/CPKWriter.h"
#include "cpk/Codec.h"
#include "gamesys/GAttDataBase.h"
#include "lumo/CpkFS.h"
#include "lumo/DiskFS.h"
#include "lumo/Log.h"
#include "lumo/MemFS.h"
#include "testsupport/temp_dir.h"

namespace {

using namespace GFC;
using attlist::ListFile;
using attlist::Path;
using attlist::Record;

enum { NPC, BASE, BUFF, TRIGGER, SHOP, COMPOSE, GUILD };

template <typename Rec>
bool SameBytes(const Rec* a, const Rec& b) {
    return a && std::memcmp(a, &b, sizeof b) == 0;
}

// A file system that passes everything to another and counts the reads.
class CountingFS : public Lumo::IFS {
public:
    explicit CountingFS(Lumo::IFS& inner) : inner_(inner) {}
    Lumo::FHandle Open(const char* path) override { return inner_.Open(path); }
    void Close(Lumo::FHandle h) override { inner_.Close(h); }
    uint32_t Read(void* buffer, uint32_t count, Lumo::FHandle h) override {
        ++reads;
        return inner_.Read(buffer, count, h);
    }
    uint32_t Seek(Lumo::FHandle h, int32_t offset, int origin) override {
        return inner_.Seek(h, offset, origin);
    }
    uint32_t Tell(Lumo::FHandle h) override { return inner_.Tell(h); }
    uint32_t GetSize(const char* path) override { return inner_.GetSize(path); }
    uint32_t LoadFile(void* buffer, uint32_t capacity, const char* path) override {
        return inner_.LoadFile(buffer, capacity, path);
    }

    uint64_t reads = 0;

private:
    Lumo::IFS& inner_;
};

class AttDB : public ::testing::Test {
protected:
    void SetUp() override { Lumo::ClearLog(); }
    std::vector<std::string> Log() const { return Lumo::GetLogEntries(); }

    Lumo::MemFS fs;
    GAttDataBase db;
};

TEST_F(AttDB, LoadsEveryTableWithItsRecordsByteForByte) {
    auto npc = Record<tagNPCAtt>(0x10000001, true);
    auto base = Record<tagBaseAtt>(7, true);
    base.kind = 3;
    auto buff = Record<tagBuff>(8, true);
    auto trig = Record<tagBuffTrigger>(9, true);
    auto shop = Record<tagShopData>(10, true);
    auto comp = Record<tagCompose>(11, true);
    auto guild = Record<tagGuildRoomAtt>(12, true);
    auto base2 = Record<tagBaseAtt>(70, true);  // odd-sized records follow without padding
    base2.kind = 3;
    fs.AddFile(Path(NPC), ListFile(std::vector<tagNPCAtt>{npc}));
    fs.AddFile(Path(BASE), ListFile(std::vector<tagBaseAtt>{base, base2}));
    fs.AddFile(Path(BUFF), ListFile(std::vector<tagBuff>{buff}));
    fs.AddFile(Path(TRIGGER), ListFile(std::vector<tagBuffTrigger>{trig}));
    fs.AddFile(Path(SHOP), ListFile(std::vector<tagShopData>{shop}));
    fs.AddFile(Path(COMPOSE), ListFile(std::vector<tagCompose>{comp}));
    fs.AddFile(Path(GUILD), ListFile(std::vector<tagGuildRoomAtt>{guild}));
    db.LoadFromFile(&fs);

    EXPECT_TRUE(SameBytes(db.FindNpcAtt(0x10000001), npc));
    EXPECT_TRUE(SameBytes(db.FindBaseAtt(7), base));
    EXPECT_TRUE(SameBytes(db.FindBaseAtt(70), base2));
    EXPECT_TRUE(SameBytes(db.FindBuffAtt(8), buff));
    EXPECT_TRUE(SameBytes(db.FindBuffTriggerAtt(9), trig));
    EXPECT_TRUE(SameBytes(db.FindShopAtt(10), shop));
    EXPECT_TRUE(SameBytes(db.FindCompose(11), comp));
    EXPECT_TRUE(SameBytes(db.FindGuildRoomAtt(12), guild));
    EXPECT_EQ(db.FindBaseType(70), base2.baseType);
    EXPECT_TRUE(Log().empty());
    EXPECT_EQ(fs.OpenCount(), 0u);
}

TEST_F(AttDB, ReadsTheListsFromDiskWhateverTheirLetterCase) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "SYSTEM\\TAGNPCATT.LST",
                           ListFile(std::vector<tagNPCAtt>{attlist::Npc(5, "orc", 3)}));
    testsupport::WriteFile(dir / "SYSTEM\\tagcompose.lst",
                           ListFile(std::vector<tagCompose>{Record<tagCompose>(6)}));
    Lumo::DiskFS disk(dir.path());
    db.LoadFromFile(&disk);
    EXPECT_EQ(db.GetNpcNum(), 1u);
    EXPECT_EQ(db.GetComposeNum(), 1u);
    EXPECT_EQ(disk.OpenCount(), 0u);
    // The five others are missing: one line each, in loading order.
    auto log = Log();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0], "Att list file open failed,System\\tagBaseAtt.lst.\r\n");
    EXPECT_EQ(log[4], "Att list file open failed,system\\tagGuildRoomAtt.lst.\r\n");
}

TEST_F(AttDB, ReadsTheListsFromTheGamesArchive) {
    testsupport::TempDir dir;
    std::string archive = dir / "data.cpk";
    const std::string npcs = ListFile(std::vector<tagNPCAtt>{attlist::Npc(5, "orc", 3)});
    const std::string shops = ListFile(std::vector<tagShopData>{Record<tagShopData>(6)});
    {
        BlockPool pool;
        CPKVfs vfs(pool);
        ASSERT_EQ(vfs.Create(archive), 1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "System\\tagNPCAtt.lst", npcs.data(),
                                     static_cast<uint32_t>(npcs.size()), kMethodLzo, false),
                  1);
        ASSERT_EQ(AddEntryFromBuffer(vfs, "SYSTEM\\tagShopData.lst", shops.data(),
                                     static_cast<uint32_t>(shops.size()), kMethodLzss, false),
                  1);
    }
    Lumo::CpkFS cpk(archive);
    ASSERT_TRUE(cpk.IsOpen());
    db.LoadFromFile(&cpk);
    ASSERT_NE(db.FindNpcAtt(5), nullptr);
    EXPECT_EQ(db.GetShopNum(), 1u);
    EXPECT_NE(db.FindShopAtt(6), nullptr);
    EXPECT_EQ(cpk.OpenCount(), 0u);
    EXPECT_EQ(Log().size(), 5u);  // the five lists the archive lacks
}

TEST_F(AttDB, ZeroOrNegativeCountsLoadNothing) {
    fs.AddFile(Path(NPC), ListFile(std::vector<tagNPCAtt>{Record<tagNPCAtt>(1)}, 0));
    fs.AddFile(Path(BUFF), ListFile(std::vector<tagBuff>{Record<tagBuff>(1)}, -5));
    fs.AddFile(Path(SHOP), "");  // not even a count
    fs.AddFile(Path(GUILD), "\x01\x00");
    db.LoadFromFile(&fs);
    EXPECT_EQ(db.GetNpcNum(), 0u);
    EXPECT_EQ(db.GetBuffNum(), 0u);
    EXPECT_EQ(db.GetShopNum(), 0u);
    EXPECT_EQ(db.GetGuildRoomNum(), 0u);
    EXPECT_EQ(fs.OpenCount(), 0u);
}

TEST_F(AttDB, FirstRecordOfAnIdIsKeptWithinAFileAndAcrossLoads) {
    auto first = Record<tagBuff>(4, true);
    auto second = Record<tagBuff>(4, false);
    fs.AddFile(Path(BUFF), ListFile(std::vector<tagBuff>{first, second}));
    db.LoadFromFile(&fs);
    EXPECT_EQ(db.GetBuffNum(), 1u);
    EXPECT_TRUE(SameBytes(db.FindBuffAtt(4), first));

    fs.AddFile(Path(BUFF), ListFile(std::vector<tagBuff>{second, Record<tagBuff>(5)}));
    db.LoadFromFile(&fs);
    EXPECT_EQ(db.GetBuffNum(), 2u);
    EXPECT_TRUE(SameBytes(db.FindBuffAtt(4), first));
}

TEST_F(AttDB, PetListsComeFromBaseAttributesAndTheirTriggers) {
    const uint32_t T = 300, B = 400;
    fs.AddFile(Path(BASE), ListFile(std::vector<tagBaseAtt>{
                               attlist::Base(20, "wolf", kBaseKindPet, T),
                               attlist::Base(21, "not a pet", 99, 301),
                               attlist::Base(20, "wolf again", kBaseKindPet, 302),
                           }));
    fs.AddFile(Path(TRIGGER), ListFile(std::vector<tagBuffTrigger>{
                                  attlist::Trigger(T, B),
                                  attlist::Trigger(301, 401),
                              }));
    db.LoadFromFile(&fs);

    EXPECT_TRUE(db.IDIsPet(20));
    EXPECT_FALSE(db.IDIsPet(21));
    EXPECT_TRUE(db.IDIsPetBuff(B));
    EXPECT_FALSE(db.IDIsPetBuff(401));
    EXPECT_EQ(db.GetPetBuffNum(), 1u);
    // The duplicate base record still counts for the pet lists.
    ASSERT_EQ(db.GetPetNum(), 2u);
    ASSERT_EQ(db.GetPetTriggerNum(), 2u);
    unsigned long id = 12345;
    EXPECT_TRUE(db.GetPetID(1, id));
    EXPECT_EQ(id, 20u);
    EXPECT_TRUE(db.GetPetTriggerID(1, id));
    EXPECT_EQ(id, 302u);
    EXPECT_TRUE(db.GetPetBuffID(0, id));
    EXPECT_EQ(id, B);
    id = 12345;
    EXPECT_FALSE(db.GetPetID(db.GetPetNum(), id));
    EXPECT_FALSE(db.GetPetBuffID(db.GetPetBuffNum(), id));
    EXPECT_FALSE(db.GetPetTriggerID(99, id));
    EXPECT_EQ(id, 12345u);
    EXPECT_STREQ(db.FindBaseAtt(20)->name, "wolf");

    // Loading again adds every pet entry a second time.
    db.LoadFromFile(&fs);
    EXPECT_EQ(db.GetPetNum(), 4u);
    EXPECT_EQ(db.GetPetBuffNum(), 2u);
    EXPECT_EQ(db.GetBaseAttNum(), 2u);
}

TEST_F(AttDB, ALyingCountStopsAtTheEndOfTheFile) {
    std::string bytes = ListFile(
        std::vector<tagBaseAtt>{attlist::Base(1, "a"), attlist::Base(2, "b", kBaseKindPet, 9)},
        2000000000);
    fs.AddFile(Path(BASE), bytes);
    CountingFS counting(fs);
    db.LoadFromFile(&counting);
    // The count, the two records and the read that found the end: nothing
    // like one read per promised record.
    EXPECT_LE(counting.reads, 4u);
    EXPECT_EQ(db.GetBaseAttNum(), 2u);
    EXPECT_EQ(db.FindBaseAtt(kNoAttID), nullptr);  // no record made up of defaults
    EXPECT_EQ(db.GetPetNum(), 1u);
    auto log = Log();
    ASSERT_EQ(log.size(), 8u);  // six missing files, the short one, the miss
    EXPECT_EQ(log[1],
              "Att list file truncated,System\\tagBaseAtt.lst,2 of 2000000000 records.\r\n");
}

TEST_F(AttDB, ARecordCutShortKeepsItsDefaultsInTheMissingBytes) {
    auto whole = Record<tagBuffTrigger>(1, true);
    auto cut = attlist::Trigger(2, 77);
    std::string bytes = ListFile(std::vector<tagBuffTrigger>{whole, cut});
    bytes.resize(bytes.size() - (sizeof cut - 8));  // only id and buff id of the second
    fs.AddFile(Path(TRIGGER), bytes);

    auto shop = Record<tagShopData>(3);
    std::string shopBytes = ListFile(std::vector<tagShopData>{shop});
    shopBytes.resize(4 + 100);  // ends inside the 0xFF slots
    fs.AddFile(Path(SHOP), shopBytes);

    std::string guildBytes = ListFile(
        std::vector<tagGuildRoomAtt>{Record<tagGuildRoomAtt>(5, true), Record<tagGuildRoomAtt>(6)});
    guildBytes.resize(4 + sizeof(tagGuildRoomAtt) + 10);
    fs.AddFile(Path(GUILD), guildBytes);

    std::string npcBytes = ListFile(std::vector<tagNPCAtt>{Record<tagNPCAtt>(0x01020304)});
    npcBytes.resize(4 + 2);  // not even a whole id
    fs.AddFile(Path(NPC), npcBytes);
    db.LoadFromFile(&fs);

    EXPECT_TRUE(SameBytes(db.FindBuffTriggerAtt(1), whole));
    const tagBuffTrigger* t = db.FindBuffTriggerAtt(2);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->buffId, 77u);
    EXPECT_EQ(t->linkId0, kNoAttID);
    EXPECT_EQ(t->linkId1, kNoAttID);

    const tagShopData* s = db.FindShopAtt(3);
    ASSERT_NE(s, nullptr);
    for (size_t i = 0; i < sizeof s->slots; ++i) {
        ASSERT_EQ(s->slots[i], i < 100 - 48 ? 0 : 0xFF) << i;
    }
    // No bytes of guild room 5 show up in the cut record 6.
    const tagGuildRoomAtt* g = db.FindGuildRoomAtt(6);
    ASSERT_NE(g, nullptr);
    for (size_t i = 6; i < sizeof g->reserved; ++i) {
        ASSERT_EQ(g->reserved[i], 0) << i;
    }
    EXPECT_EQ(db.GetNpcNum(), 0u);
    EXPECT_EQ(fs.OpenCount(), 0u);
}

TEST_F(AttDB, MissesAreLoggedWithTheirId) {
    EXPECT_EQ(db.FindNpcAtt(42), nullptr);
    EXPECT_EQ(db.FindCompose(7), nullptr);
    EXPECT_EQ(db.FindBaseType(99), EBT_NONE);
    EXPECT_EQ(Log(),
              (std::vector<std::string>{"AttDB not find,id=42\r\n", "AttDB not find,id=7\r\n",
                                        "AttDB not find,id=99\r\n"}));
}

TEST_F(AttDB, NameLookupIsExactAndTakesTheLowestId) {
    auto longName = attlist::Base(3, std::string(401, 'x'));  // fills the field, no terminator
    fs.AddFile(Path(BASE), ListFile(std::vector<tagBaseAtt>{attlist::Base(9, "Sword"),
                                                            attlist::Base(4, "Sword"),
                                                            attlist::Base(5, "sword"), longName}));
    db.LoadFromFile(&fs);
    Lumo::ClearLog();  // the six missing lists
    ASSERT_NE(db.FindBaseAttByName("Sword"), nullptr);
    EXPECT_EQ(db.FindBaseAttByName("Sword")->id, 4u);
    EXPECT_EQ(db.FindBaseAttByName("sword")->id, 5u);
    EXPECT_EQ(db.FindBaseAttByName("SWORD"), nullptr);
    EXPECT_EQ(db.FindBaseAttByName("Swor"), nullptr);
    EXPECT_EQ(db.FindBaseAttByName(std::string(401, 'x').c_str())->id, 3u);
    EXPECT_EQ(db.FindBaseAttByName(std::string(402, 'x').c_str()), nullptr);
    EXPECT_EQ(db.FindBaseAttByName(nullptr), nullptr);
    EXPECT_TRUE(Log().empty());
}

std::string MdlPath(uint32_t id, const std::string& name, uint32_t kind) {
    tagNPCAtt att = attlist::Npc(id, name, kind);
    return GAttDataBase::GetNpcMdlPath(&att);
}
std::string EffectPath(uint32_t id, const std::string& name, uint32_t kind) {
    tagNPCAtt att = attlist::Npc(id, name, kind);
    return GAttDataBase::GetNpcEffectAttahPath(&att);
}

TEST(AttDBPaths, ModelPathFollowsModelKindThenIdRange) {
    EXPECT_EQ(MdlPath(0x10000005, "wolf", 0), "System\\Monster\\wolf\\wolf.fak");
    EXPECT_EQ(MdlPath(0x0FFFFFFF, "smith", 0), "System\\NPC\\smith.fak");
    EXPECT_EQ(MdlPath(0x1FFFFFFF, "smith", 1), "System\\NPC\\smith.fak");
    EXPECT_EQ(MdlPath(0x1FFFFFFE, "imp", 1), "System\\Monster\\imp\\imp.fak");
    for (uint32_t kind : {2u, 3u, 4u}) {
        EXPECT_EQ(MdlPath(5, "boar", kind), "System\\Monster\\boar\\boar.fsm");
    }
    for (uint32_t kind : {8u, 9u, 10u}) {
        EXPECT_EQ(MdlPath(0x10000005, "guard", kind), "System\\NPC\\guard.fak");
    }
    EXPECT_EQ(EffectPath(0x10000000, "wolf", 8), "System\\Monster\\wolf\\wolf_a.csv");
    EXPECT_EQ(EffectPath(0x1FFFFFFF, "smith", 3), "System\\NPC\\smith_a.csv");
    EXPECT_EQ(GAttDataBase::GetNpcMdlPath(nullptr), "");
    EXPECT_EQ(GAttDataBase::GetNpcEffectAttahPath(nullptr), "");
}

TEST(AttDBPaths, NamesTooLongForThePathBufferGiveAnEmptyPathAndALogLine) {
    Lumo::ClearLog();
    // "System\Monster\" + N + "\" + N + ".fsm" is 20 + 2N characters: N = 119 fits 259 with
    // the terminator in 260, N = 120 does not.
    std::string fits(119, 'm'), over(120, 'm');
    EXPECT_EQ(MdlPath(1, fits, 3).size(), 258u);
    EXPECT_EQ(MdlPath(1, over, 3), "");
    // The NPC form uses the name once: 11 + N + 4 characters.
    EXPECT_EQ(MdlPath(1, std::string(244, 'n'), 9).size(), 259u);
    EXPECT_EQ(MdlPath(1, std::string(245, 'n'), 9), "");
    // A resource name filling its whole field without a terminator.
    EXPECT_EQ(EffectPath(1, std::string(300, 'z'), 0), "");
    auto log = Lumo::GetLogEntries();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "NPC resource name too long for a path,id=1\r\n");
}

TEST_F(AttDB, TableCopiesReplaceTheCallersMapAndCopiesOfTheDatabaseAreWhole) {
    fs.AddFile(Path(NPC),
               ListFile(std::vector<tagNPCAtt>{attlist::Npc(1, "a", 0), attlist::Npc(2, "b", 0)}));
    fs.AddFile(Path(BASE), ListFile(std::vector<tagBaseAtt>{attlist::Base(3, "p", 100, 4)}));
    fs.AddFile(Path(GUILD), ListFile(std::vector<tagGuildRoomAtt>{Record<tagGuildRoomAtt>(8)}));
    db.LoadFromFile(&fs);

    GAttDataBase::NPCAttMap npcs;
    npcs[99] = attlist::Npc(99, "stale", 0);
    db.GetNpcMap(npcs);
    ASSERT_EQ(npcs.size(), 2u);
    EXPECT_STREQ(npcs.at(2).resName, "b");
    GAttDataBase::BaseAttMap bases;
    db.GetBaseAttMap(bases);
    EXPECT_EQ(bases.size(), 1u);
    GAttDataBase::ComposeMap composes;
    composes[1] = Record<tagCompose>(1);
    db.GetComposeMap(composes);
    EXPECT_TRUE(composes.empty());
    GAttDataBase::GuildRoomMap rooms;
    db.GetGuildRoomMap(rooms);
    EXPECT_EQ(rooms.count(8), 1u);

    GAttDataBase copy(db);
    GAttDataBase assigned;
    assigned = db;
    for (const GAttDataBase* d : {&copy, &assigned}) {
        EXPECT_EQ(d->GetNpcNum(), 2u);
        EXPECT_TRUE(d->IDIsPet(3));
        EXPECT_NE(d->FindNpcAtt(1), db.FindNpcAtt(1));  // own records
    }
}

}  // namespace
