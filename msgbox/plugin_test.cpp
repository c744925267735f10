// The plug-in as a game meets it: Dovwox loaded from its shared library
// beside the program, sharing the program's widget library.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dovwox/DovwoxPlugin.h"
#include "platform/library.h"
#include "testsupport/temp_dir.h"
#include "wox/CWOXRender.h"
#include "wox/CWOXSystem.h"
#include "wox/WOXScript.h"

namespace {

class Plugin : public ::testing::Test {
protected:
    void SetUp() override {
        auto lib = platform::SharedLibrary::Open(testsupport::ProgramDir() + "\\" +
                                                 platform::SharedLibraryFileName("Dovwox"));
        ASSERT_TRUE(lib) << lib.error().Message();
        library = std::move(*lib);
        auto get = library.Function<DovwoxGetEntryFn>(kDovwoxEntryName);
        ASSERT_NE(get, nullptr);
        entry = get();
        ASSERT_NE(entry, nullptr);
        ASSERT_EQ(entry->dwSize, sizeof(tagDovwoxEntry));
        ASSERT_TRUE(sys.Init(1024, 768));
        sys.RegisterWndType<woxscript::Recorder>("recorder");
        tagWOXWndData d = woxscript::Record("game", "recorder", "", 0, 0, 640, 480);
        game = static_cast<woxscript::Recorder*>(sys.CreateWnd(&d));
        ASSERT_TRUE(WOXIsValidWnd(game));
    }
    void TearDown() override {
        // Everything made by the library's code goes before the library.
        if (entry != nullptr) {
            entry->Destroy(&collocate);
        }
        sys.Destroy();
    }

    CWOXSystem sys;
    platform::SharedLibrary library;  // declared after sys: unloaded first, after TearDown
    const tagDovwoxEntry* entry = nullptr;
    CDOVWOX_Collocate collocate;
    woxscript::Recorder* game = nullptr;
};

TEST_F(Plugin, RegistersMsgBoxAndOpensWorkingBoxesOfEveryKind) {
    ASSERT_FALSE(sys.IsWndTypeRegistered("msg_box"));
    EXPECT_EQ(entry->Init(&collocate, &sys), 1);
    EXPECT_TRUE(sys.IsWndTypeRegistered("msg_box"));
    EXPECT_EQ(collocate.GetSystem(), &sys);

    // Buttons per kind, left to right, with the result code each reports.
    const std::vector<std::vector<uint32_t>> kinds = {{0},       {0, 1}, {2, 3, 4},
                                                      {5, 6, 1}, {5, 6}, {3, 1}};
    size_t before = sys.GetWndCount();
    for (size_t type = 0; type < kinds.size(); ++type) {
        for (size_t i = 0; i < kinds[type].size(); ++i) {
            SCOPED_TRACE("kind " + std::to_string(type) + " button " + std::to_string(i));
            CWOXWnd* box = entry->MsgBox(&collocate, "Choose", static_cast<EMB_Type>(type), game);
            ASSERT_TRUE(WOXIsValidWnd(box));
            EXPECT_STREQ(box->GetClassName(), "msg_box");
            EXPECT_EQ(box->GetScreenPos().x, (640 - 300) / 2);
            ASSERT_EQ(box->GetChildren().size(), kinds[type].size());
            game->events.clear();
            Tarnet::tagPoint c = woxscript::Centre(box->GetChildren()[i]);
            woxscript::Click(sys, c.x, c.y);
            ASSERT_EQ(game->events.size(), 1u);
            EXPECT_EQ(game->events[0].kind, static_cast<uint32_t>(EWOXE_MsgBoxResult));
            EXPECT_EQ(game->events[0].sender, box);
            EXPECT_EQ(game->events[0].param1, kinds[type][i]);
            sys.DestroyWnd(box);
            EXPECT_EQ(sys.GetWndCount(), before);
        }
    }

    // The box draws through the shared renderer.
    CWOXWnd* box = entry->MsgBox(&collocate, "Drawn", EMBT_OK, game);
    ASSERT_TRUE(WOXIsValidWnd(box));
    sys.Render();
    bool text = false;
    for (const tagWOXDrawCmd& cmd : sys.GetRender()->GetCommands()) {
        text = text || (cmd.strText == "Drawn" && cmd.dwFormat == 0x110);
    }
    EXPECT_TRUE(text);
}

TEST_F(Plugin, DestroyUnregistersAndClosesOpenBoxesBeforeUnloading) {
    entry->Init(&collocate, &sys);
    size_t before = sys.GetWndCount();
    CWOXWnd* box = entry->MsgBox(&collocate, "left open", EMBT_YESNOCANCEL, game);
    ASSERT_TRUE(WOXIsValidWnd(box));
    EXPECT_EQ(sys.GetWndCount(), before + 4);
    entry->Destroy(&collocate);
    EXPECT_FALSE(sys.IsWndTypeRegistered("msg_box"));
    EXPECT_EQ(sys.GetWndCount(), before);
    EXPECT_TRUE(game->GetChildren().empty());
    // Unloading now leaves nothing of the library's behind in the system.
    library.Close();
    entry = nullptr;
    woxscript::Click(sys, 320, 240);
    sys.Render();
    EXPECT_EQ(sys.GetActiveWnd(), game);
}

TEST_F(Plugin, NullArgumentsAreRefused) {
    EXPECT_EQ(entry->Init(nullptr, &sys), 0);
    EXPECT_EQ(entry->MsgBox(nullptr, "x", EMBT_OK, game), WOXInvalidWnd());
    entry->Destroy(nullptr);
    EXPECT_EQ(entry->MsgBox(&collocate, "x", EMBT_OK, game), WOXInvalidWnd());  // before Init
}

}  // namespace
