// A widget system with the plug-in registered and a game panel to open
// boxes on, for the message box tests.
#pragma once

#include <gtest/gtest.h>

#include "dovwox/CDOVWOX_Collocate.h"
#include "dovwox/CWOXMsgBox.h"
#include "wox/CWOXSystem.h"
#include "wox/WOXScript.h"

class MsgBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sys.Init(1024, 768));
        sys.RegisterWndType<woxscript::Recorder>("recorder");
        ASSERT_EQ(dov.Init(&sys), 1);
        parent = MakeParent("game_panel", 100, 80, 600, 400);
        ASSERT_NE(parent, nullptr);
    }

    woxscript::Recorder* MakeParent(const char* name, int x, int y, int w, int h,
                                    const char* father = "") {
        tagWOXWndData d = woxscript::Record(name, "recorder", father, x, y, w, h);
        CWOXWnd* w0 = sys.CreateWnd(&d);
        return WOXIsValidWnd(w0) ? static_cast<woxscript::Recorder*>(w0) : nullptr;
    }

    // Opens a box on the panel; null when none was created.
    CWOXMsgBox* Open(int type, const char* text = "Hello", CWOXWnd* on = nullptr) {
        CWOXWnd* box = dov.MsgBox(text, static_cast<EMB_Type>(type), on ? on : parent);
        return WOXIsValidWnd(box) ? dynamic_cast<CWOXMsgBox*>(box) : nullptr;
    }

    CWOXSystem sys;
    CDOVWOX_Collocate dov;
    woxscript::Recorder* parent = nullptr;
};
