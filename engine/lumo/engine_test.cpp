#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lumo/DrawX.h"
#include "lumo/Exception.h"
#include "lumo/Kernel.h"
#include "lumo/Log.h"
#include "lumo/MemFS.h"
#include "lumo/RTTI.h"

namespace {

TEST(Log, EntriesAreFormattedKeptInOrderAndHandedToTheListener) {
    Lumo::ClearLog();
    std::vector<std::string> heard;
    Lumo::SetLogListener(
        [](const char* entry, void* user) {
            static_cast<std::vector<std::string>*>(user)->push_back(entry);
        },
        &heard);
    Lumo::_WriteLogString("AttDB not find,id=%d\r\n", 42);
    Lumo::_WriteLogString("Script file not find,%s.", "System\\a.lua");
    Lumo::SetLogListener(nullptr, nullptr);
    Lumo::_WriteLogString("after");

    auto entries = Lumo::GetLogEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], "AttDB not find,id=42\r\n");
    EXPECT_EQ(entries[1], "Script file not find,System\\a.lua.");
    EXPECT_EQ(Lumo::GetLogText(), entries[0] + entries[1] + "after");
    EXPECT_EQ(heard, std::vector<std::string>(entries.begin(), entries.begin() + 2));
}

TEST(Log, LongEntriesAreKeptWholeAndOldEntriesFallOff) {
    Lumo::ClearLog();
    std::string longText(5000, 'q');
    Lumo::_WriteLogString("<%s>", longText.c_str());
    EXPECT_EQ(Lumo::GetLogEntries().at(0), "<" + longText + ">");
    for (size_t i = 0; i < Lumo::kLogEntriesKept + 10; ++i) {
        Lumo::_WriteLogString("%zu", i);
    }
    auto entries = Lumo::GetLogEntries();
    ASSERT_EQ(entries.size(), Lumo::kLogEntriesKept);
    EXPECT_EQ(entries.front(), "10");
    EXPECT_EQ(entries.back(), std::to_string(Lumo::kLogEntriesKept + 9));
    Lumo::ClearLog();
    EXPECT_TRUE(Lumo::GetLogEntries().empty());
}

TEST(Exception, CarriesMessageDetailAndSourcePosition) {
    try {
        throw Lumo::Exception("GameMap open file failed.", "System\\a.gmb", ".\\gamesys\\GameMap",
                              77);
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "GameMap open file failed. (System\\a.gmb)");
        auto* le = dynamic_cast<const Lumo::Exception*>(&e);
        ASSERT_NE(le, nullptr);
        EXPECT_STREQ(le->GetMsg(), "GameMap open file failed.");
        EXPECT_STREQ(le->GetDetail(), "System\\a.gmb");
        EXPECT_STREQ(le->GetSrcFile(), ".\\gamesys\\GameMap");
        EXPECT_EQ(le->GetLine(), 77);
    }
    Lumo::Exception plain("error creating window", ".\\win32app\\GWin32App", 86);
    EXPECT_STREQ(plain.what(), "error creating window");
    Lumo::Exception copy = plain;
    EXPECT_EQ(copy.GetLine(), 86);
    Lumo::Exception nulls(nullptr, nullptr, 0);
    EXPECT_STREQ(nulls.what(), "");
}

class Derived : public Lumo::RTTIObj {
public:
    static Lumo::RTTInfo m_classDerived;
    const Lumo::RTTInfo* GetRTTInfo() const override { return &m_classDerived; }
};
Lumo::RTTInfo Derived::m_classDerived("EngineTestDerived", &Lumo::RTTIObj::m_classRTTIObj,
                                      []() -> Lumo::RTTIObj* { return new Derived; });

TEST(RTTI, ClassesKnowTheirAncestryAndCanBeFoundAndCreatedByName) {
    Derived d;
    Lumo::RTTIObj root;
    EXPECT_TRUE(d.IsKindOf(&Lumo::RTTIObj::m_classRTTIObj));
    EXPECT_TRUE(d.IsKindOf(&Derived::m_classDerived));
    EXPECT_FALSE(root.IsKindOf(&Derived::m_classDerived));
    EXPECT_STREQ(root.GetRTTInfo()->GetName(), "RTTIObj");
    EXPECT_EQ(Lumo::RTTInfo::Find("EngineTestDerived"), &Derived::m_classDerived);
    EXPECT_EQ(Lumo::RTTInfo::Find("RTTIObj"), &Lumo::RTTIObj::m_classRTTIObj);
    EXPECT_EQ(Lumo::RTTInfo::Find("enginetestderived"), nullptr);
    EXPECT_EQ(Lumo::RTTIObj::m_classRTTIObj.CreateObj(), nullptr);
    Lumo::RTTIObj* made = Derived::m_classDerived.CreateObj();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetRTTInfo(), &Derived::m_classDerived);
    delete made;
    // A second record of a taken name does not replace the first.
    {
        Lumo::RTTInfo clash("EngineTestDerived", nullptr, nullptr);
        EXPECT_EQ(Lumo::RTTInfo::Find("EngineTestDerived"), &Derived::m_classDerived);
    }
    EXPECT_EQ(Lumo::RTTInfo::Find("EngineTestDerived"), &Derived::m_classDerived);
}

TEST(DrawX, CallsAreRecordedInOrderWithTheirArguments) {
    Lumo::DrawX::ClearRecorded();
    Lumo::DrawX::Draw2DQuad(1, 2, 3, 4, false, 0x11223344);
    Lumo::DrawX::DrawDebugString("hi", 5, 6, 0xFFFFFFFF);
    Lumo::DrawX::DrawDebugString(nullptr, 0, 0, 0);
    auto calls = Lumo::DrawX::GetRecorded();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].kind, Lumo::DrawCall::QUAD_2D);
    EXPECT_EQ(calls[0].x, 1);
    EXPECT_EQ(calls[0].y, 2);
    EXPECT_EQ(calls[0].w, 3);
    EXPECT_EQ(calls[0].h, 4);
    EXPECT_EQ(calls[0].colour, 0x11223344u);
    EXPECT_EQ(calls[1].kind, Lumo::DrawCall::DEBUG_STRING);
    EXPECT_EQ(calls[1].text, "hi");
    EXPECT_EQ(calls[1].x, 5);
    EXPECT_EQ(calls[1].y, 6);

    for (size_t i = 0; i < Lumo::kDrawCallsKept + 5; ++i) {
        Lumo::DrawX::Draw2DQuad(static_cast<int>(i), 0, 0, 0, false, 0);
    }
    calls = Lumo::DrawX::GetRecorded();
    EXPECT_LE(calls.size(), Lumo::kDrawCallsKept);
    EXPECT_EQ(calls.back().x, static_cast<int>(Lumo::kDrawCallsKept + 4));
    Lumo::DrawX::ClearRecorded();
    EXPECT_TRUE(Lumo::DrawX::GetRecorded().empty());
}

TEST(Color4ub, PacksTheBytesInArgumentOrderMostSignificantFirst) {
    EXPECT_EQ(uint32_t(Lumo::Color4ub(200, 5, 0, 5)), 0xC8050005u);
    EXPECT_EQ(Lumo::Color4ub(255, 250, 0, 5).Pack(), 0xFFFA0005u);
    static_assert(Lumo::Color4ub(1, 2, 3, 4).Pack() == 0x01020304u, "packed at compile time");
}

TEST(Kernel, DefaultFileSystemCanBeReplacedAndRestored) {
    Lumo::IFS* disk = Lumo::Kernel::Inst()->DefaultFS();
    ASSERT_NE(disk, nullptr);
    Lumo::MemFS mem;
    mem.AddFile("x", "1");
    Lumo::Kernel::Inst()->SetDefaultFS(&mem);
    EXPECT_EQ(Lumo::Kernel::Inst()->DefaultFS(), &mem);
    EXPECT_EQ(Lumo::Kernel::Inst()->DefaultFS()->GetSize("X"), 1u);
    Lumo::Kernel::Inst()->SetDefaultFS(nullptr);
    EXPECT_EQ(Lumo::Kernel::Inst()->DefaultFS(), disk);
}

}  // namespace
