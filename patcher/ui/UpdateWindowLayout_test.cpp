#include "patcher/ui/UpdateWindowLayout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "testsupport/bitmap.h"
#include "testsupport/temp_dir.h"

namespace {

class UpdateLayout : public ::testing::Test {
protected:
    void Picture(char letter, int width) {
        testsupport::WriteFile(dir_ / (std::string("skin\\N_update-button-") + letter + ".bmp"),
                               testsupport::BitmapHeader(width, 26));
    }
    std::string Skin() { return dir_ / "skin"; }
    testsupport::TempDir dir_;
};

TEST_F(UpdateLayout, LinkButtonsFollowTheWidthsOfTheirPictures) {
    Picture('a', 60);
    Picture('b', 80);
    // c is missing: it counts as width 0, and the row goes on.
    Picture('d', 70);
    testsupport::WriteFile(dir_ / "skin\\N_update-button-e.bmp", "BM not a bitmap");
    Picture('f', 75);
    Picture('g', 75);
    UpdateWindowLayout layout = MakeUpdateWindowLayout(Skin());
    const int lefts[] = {92,       92 + 60 + 14, 166 + 80 + 14, 260 + 14, 274 + 70 + 14,
                         358 + 14, 372 + 75 + 14};
    const int rights[] = {168, 258, 349, 439, 529, 619, 710};
    for (int i = 0; i < kLinkButtonCount; ++i) {
        const UpdateControl* c = layout.Find(kLinkButtonIds[i]);
        ASSERT_NE(c, nullptr) << i;
        EXPECT_EQ(c->kind, UpdateControlKind::kLinkButton);
        EXPECT_EQ(c->rect, (PicRect{lefts[i], 127, rights[i], 153})) << i;
        EXPECT_EQ(c->url, 2 + i);
    }
    // Ids are not in letter order: c is 1006, d 1005.
    EXPECT_EQ(layout.Find(1006)->pictures[0], Skin() + "\\N_update-button-c.bmp");
    EXPECT_EQ(layout.Find(1005)->pictures[0], Skin() + "\\N_update-button-d.bmp");
    // A link's pressed and highlighted pictures are its "-l" picture; its
    // disabled one is the normal one.
    const UpdateControl* a = layout.Find(kIdLinkA);
    EXPECT_EQ(a->pictures[1], Skin() + "\\N_update-button-a-l.bmp");
    EXPECT_EQ(a->pictures[2], a->pictures[0]);
    EXPECT_EQ(a->pictures[3], a->pictures[1]);
}

TEST_F(UpdateLayout, CommandButtonsLabelsAndBars) {
    UpdateWindowLayout layout = MakeUpdateWindowLayout(Skin());  // no skin at all
    EXPECT_EQ(layout.Find(kIdLinkB)->rect.left, 92 + 14);
    EXPECT_EQ(layout.background, Skin() + "\\N_update-bj-01.bmp");

    const UpdateControl* start = layout.Find(kIdStartGame);
    ASSERT_NE(start, nullptr);
    EXPECT_TRUE(start->disabled);
    EXPECT_EQ(start->rect, (PicRect{54, 415, 149, 443}));
    EXPECT_EQ(start->pictures[0], Skin() + "\\N_update-button-j.bmp");
    EXPECT_EQ(start->pictures[1], Skin() + "\\N_update-button-j-anxia.bmp");
    EXPECT_EQ(start->pictures[2], Skin() + "\\N_update-button-j-wuxiao.bmp");
    EXPECT_EQ(start->pictures[3], Skin() + "\\N_update-button-j-l.bmp");
    EXPECT_FALSE(layout.Find(kIdSettings)->disabled);
    EXPECT_EQ(layout.Find(kIdUpdateStop)->pictures[0], Skin() + "\\N_update-button-i.bmp");
    EXPECT_EQ(UpdateButtonPictures(Skin(), UpdateStopLetter(true))[0],
              Skin() + "\\N_update-button-l.bmp");

    // The status line and the two labels are disabled labels; the version
    // label is not.
    EXPECT_TRUE(layout.Find(kIdStatusLine)->disabled);
    EXPECT_TRUE(layout.Find(kIdDownloadLabel)->disabled);
    EXPECT_FALSE(layout.Find(kIdVersionLabel)->disabled);
    EXPECT_EQ(layout.Find(kIdStatusLine)->pictures[2], Skin() + "\\N_status-qj-c.bmp");
    EXPECT_FALSE(layout.Find(kIdUpdateLabel)->text.empty());

    EXPECT_EQ(layout.Find(kIdUpdateBar)->rect, (PicRect{212, 510, 677, 517}));
    EXPECT_EQ(layout.Find(kIdServerList)->pictures[1], Skin() + "\\N_update-gb.bmp");
    EXPECT_EQ(layout.Find(kIdAnnouncementPage)->url, 0);
    EXPECT_EQ(layout.Find(kIdNotesPage)->url, 1);
    EXPECT_EQ(layout.Find(4242), nullptr);

    // Every control lies inside the window.
    for (const UpdateControl& c : layout.controls) {
        EXPECT_GE(c.rect.left, 0) << c.id;
        EXPECT_LE(c.rect.right, kUpdateWindowWidth) << c.id;
        EXPECT_LE(c.rect.bottom, kUpdateWindowHeight) << c.id;
    }
}

TEST(UpdateWindowPlacement, CentredOnTheWorkArea) {
    EXPECT_EQ(UpdateWindowPlacement(1024, 738), (PicRect{112, 69, 912, 669}));
    // A work area smaller than the window puts it partly off the top left,
    // as the plain arithmetic does; the window is still 800 x 600.
    PicRect small = UpdateWindowPlacement(640, 480);
    EXPECT_EQ(small.left, -80);
    EXPECT_EQ(small.width(), kUpdateWindowWidth);
}

}  // namespace
