#include "patcher/ui/PicControlRules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "testsupport/bitmap.h"
#include "testsupport/temp_dir.h"

namespace {

std::optional<BitmapSize> Parse(const std::string& b) {
    return ParseBitmapHeader(reinterpret_cast<const uint8_t*>(b.data()), b.size());
}

TEST(SkinBitmap, SizesComeFromTheHeaderAndBadHeadersAreRefused) {
    auto s = Parse(testsupport::BitmapHeader(76, 26, 40));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->width, 76);
    EXPECT_EQ(s->height, 26);
    s = Parse(testsupport::BitmapHeader(800, -600, 124));  // V5 header, top-down
    ASSERT_TRUE(s);
    EXPECT_EQ(s->height, 600);
    s = Parse(testsupport::BitmapHeader(57, 76, 12));  // the old core header: 16-bit sizes
    ASSERT_TRUE(s);
    EXPECT_EQ(s->width, 57);

    EXPECT_FALSE(Parse(testsupport::BitmapHeader(0, 10, 40)));
    EXPECT_FALSE(Parse(testsupport::BitmapHeader(-5, 10, 40)));
    EXPECT_FALSE(Parse(testsupport::BitmapHeader(100000, 10, 40)));
    EXPECT_FALSE(
        Parse(testsupport::BitmapHeader(10, INT32_MIN, 40)));  // no overflow of its magnitude
    EXPECT_FALSE(Parse(testsupport::BitmapHeader(10, 10, 41 + 200)));  // unknown info header
    EXPECT_FALSE(Parse(testsupport::BitmapHeader(10, 10, 40).substr(0, 30)));  // cut short
    std::string notBmp = testsupport::BitmapHeader(10, 10, 40);
    notBmp[0] = 'P';
    EXPECT_FALSE(Parse(notBmp));
    EXPECT_FALSE(ParseBitmapHeader(nullptr, 0));
}

TEST(SkinBitmap, FilesAndVariantNames) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "skin\\a.bmp",
                           testsupport::BitmapHeader(77, 26, 40) + std::string(100, 'x'));
    testsupport::WriteFile(dir / "skin\\short.bmp", "BM");
    auto s = ReadBitmapSize(dir / "skin\\a.bmp");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->width, 77);
    EXPECT_FALSE(ReadBitmapSize(dir / "skin\\short.bmp"));
    EXPECT_FALSE(ReadBitmapSize(dir / "skin\\missing.bmp"));

    std::string n = "skin\\N_hs-button-c.bmp";
    EXPECT_EQ(PictureVariant(n, PictureState::kNormal), n);
    EXPECT_EQ(PictureVariant(n, PictureState::kHover), "skin\\N_hs-button-c-l.bmp");
    EXPECT_EQ(PictureVariant(n, PictureState::kPressed), "skin\\N_hs-button-c-anxia.bmp");
    EXPECT_EQ(PictureVariant(n, PictureState::kDisabled), "skin\\N_hs-button-c-wuxiao.bmp");
    EXPECT_EQ(PictureVariant("skin\\x", PictureState::kHover), "skin\\x-l");
}

TEST(PicButtion, PictureChoiceAndHover) {
    EXPECT_EQ(ButtonPicture(true, true, true), PictureState::kDisabled);
    EXPECT_EQ(ButtonPicture(false, true, true), PictureState::kPressed);
    EXPECT_EQ(ButtonPicture(false, false, true), PictureState::kHover);
    EXPECT_EQ(ButtonPicture(false, false, false), PictureState::kNormal);

    ButtonHoverState h;
    EXPECT_TRUE(h.OnMouseMove());   // the first move asks for the reports
    EXPECT_FALSE(h.OnMouseMove());  // later ones do not
    EXPECT_FALSE(h.hover);
    h.OnHover();
    EXPECT_TRUE(h.hover);
    h.OnLeave();
    EXPECT_FALSE(h.hover);
    EXPECT_TRUE(h.OnMouseMove());  // and the next entry asks again
}

TEST(PicButtion, FontHeightFromTheTextTable) {
    EXPECT_EQ(FontHeightFromTable("FontSize"), 12);  // the table has no such key
    EXPECT_EQ(FontHeightFromTable("14"), 14);
    EXPECT_EQ(FontHeightFromTable("abc"), 12);
    EXPECT_EQ(FontHeightFromTable("0"), 12);
    EXPECT_EQ(FontHeightFromTable("5000"), 12);
}

TEST(PicList, PaintLayout) {
    PicListModel::View v;
    for (int i = 0; i < 10; ++i) {
        v.items.push_back("r" + std::to_string(i));
    }
    v.rowHeight = 20;
    v.width = 183;
    v.top = 3;
    v.selected = 5;
    ListPaint p = LayoutList(v, false);
    ASSERT_TRUE(p.selectionVisible);
    EXPECT_EQ(p.selection, (PicRect{1, 42, 182, 62}));  // row 2 of the view, 2 lower
    ASSERT_EQ(p.rows.size(), 6u);
    EXPECT_EQ(p.firstRow, 3);
    EXPECT_EQ(p.rows[5], (PicRect{0, 100, 183, 120}));
    EXPECT_EQ(LayoutList(v, true).selection.top, 40);  // centred lists sit on the row

    v.selected = 2;  // above the view
    EXPECT_FALSE(LayoutList(v, false).selectionVisible);
    v.selected = 9;  // below it
    EXPECT_FALSE(LayoutList(v, false).selectionVisible);
    v.top = 7;  // the last rows: fewer than six to draw
    EXPECT_EQ(LayoutList(v, false).rows.size(), 3u);
    v.items.clear();
    v.selected = 0;  // a cleared list selects row 0, which is not there to draw
    EXPECT_TRUE(LayoutList(v, false).rows.empty());
}

TEST(PicProgressCtrl, RangesPositionsAndFill) {
    PicProgressModel m;  // default range 1..100
    EXPECT_EQ(m.SetPos(0), 0);
    EXPECT_EQ(m.GetPos(), 0);
    EXPECT_EQ(m.SetPos(101), 0);
    EXPECT_EQ(m.SetPos(100), 1);
    EXPECT_EQ(m.FillWidth(465), 465);

    m.SetRange(100, 0);  // the smaller becomes the minimum
    EXPECT_EQ(m.min(), 0);
    EXPECT_EQ(m.SetPos(0), 1);
    EXPECT_EQ(m.FillWidth(465), 0);
    m.SetPos(50);
    EXPECT_EQ(m.FillWidth(465), 232);
    m.SetPos(33);
    EXPECT_EQ(m.FillWidth(300), 99);

    m.SetRange(50, 150);  // counted from the minimum: half way is half full
    m.SetPos(100);
    EXPECT_EQ(m.FillWidth(200), 100);
    m.SetRange(7, 7);  // an empty range fills nothing
    m.SetPos(7);
    EXPECT_EQ(m.FillWidth(200), 0);
}

TEST(PicScrollBar, SpriteCells) {
    PicScrollBarModel v(true);
    v.SetSprite({57, 76});  // 3 x 18 + 3 across, 4 x 18 + 4 along
    EXPECT_EQ(v.cellLength(), 18);
    EXPECT_EQ(v.cellThickness(), 18);
    // Along the bar: arrows 0 and 1, thumb 2, page areas 3; across: state.
    EXPECT_EQ(v.SourceRect(ScrollPart::kLineUp, PartState::kNormal), (PicRect{0, 0, 18, 18}));
    EXPECT_EQ(v.SourceRect(ScrollPart::kLineDown, PartState::kHover), (PicRect{19, 19, 37, 37}));
    EXPECT_EQ(v.SourceRect(ScrollPart::kThumb, PartState::kPressed), (PicRect{38, 38, 56, 56}));
    EXPECT_EQ(v.SourceRect(ScrollPart::kPageDown, PartState::kNormal), (PicRect{0, 57, 18, 75}));
    EXPECT_EQ(v.TrackSource(), (PicRect{0, 57, 57, 75}));

    PicScrollBarModel h(false);
    h.SetSprite({60, 45});  // 14-pixel cells
    EXPECT_EQ(h.cellLength(), 14);
    EXPECT_EQ(h.cellThickness(), 14);
    EXPECT_EQ(h.SourceRect(ScrollPart::kLineDown, PartState::kPressed), (PicRect{15, 30, 29, 44}));
    EXPECT_EQ(h.TrackSource(), (PicRect{45, 0, 59, 45}));

    PicScrollBarModel tiny(true);
    tiny.SetSprite({2, 3});
    EXPECT_EQ(tiny.cellLength(), 0);  // no cells, no negative sizes
    EXPECT_EQ(tiny.cellThickness(), 0);
}

TEST(PicScrollBar, ThumbAndHits) {
    PicScrollBarModel b(true);
    b.SetSprite({57, 76});
    b.SetRange(0, 100);
    b.SetPage(25);
    // The update window's bar: 125 long, arrows of 18, track 89.
    auto g = b.Geometry(125);
    EXPECT_EQ(g.track, 89);
    EXPECT_EQ(g.thumb, 22);
    EXPECT_EQ(g.thumbStart, 18);
    EXPECT_EQ(b.HitTest(125, 5), ScrollPart::kLineUp);
    EXPECT_EQ(b.HitTest(125, 20), ScrollPart::kThumb);
    EXPECT_EQ(b.HitTest(125, 60), ScrollPart::kPageDown);
    EXPECT_EQ(b.HitTest(125, 110), ScrollPart::kLineDown);
    EXPECT_EQ(b.HitTest(125, 125), ScrollPart::kNone);

    b.SetPos(100);  // the end of the range puts the thumb at the end of the track
    g = b.Geometry(125);
    EXPECT_EQ(g.thumbStart + g.thumb, 125 - 18);
    EXPECT_EQ(b.HitTest(125, 30), ScrollPart::kPageUp);
    b.SetPos(250);  // clamped
    EXPECT_EQ(b.pos(), 100);

    // Dragging: every thumb start maps back to a position that draws the
    // thumb at that start.
    for (int start = 18; start <= 18 + 89 - 22; ++start) {
        b.SetPos(b.PosForThumbStart(125, start));
        EXPECT_EQ(b.Geometry(125).thumbStart, start) << start;
    }
    EXPECT_EQ(b.PosForThumbStart(125, -40), 0);
    EXPECT_EQ(b.PosForThumbStart(125, 400), 100);
    EXPECT_EQ(b.PosAt(125, 18 + 11), 0);  // centring the thumb on a point
    EXPECT_EQ(b.PosAt(125, 107 - 11), 100);

    b.SetPage(100);  // a page as long as the range: the thumb fills the track
    g = b.Geometry(125);
    EXPECT_EQ(g.thumb, 89);
    EXPECT_EQ(g.thumbStart, 18);
    b.SetPage(1);  // never shorter than six pixels
    EXPECT_EQ(b.Geometry(125).thumb, kScrollMinLength);
    EXPECT_EQ(b.Geometry(20).track, kScrollMinLength);  // nor the track

    PicScrollBarModel h(false);
    h.SetSprite({60, 45});
    h.SetRange(0, 255);
    h.SetPage(0);
    h.SetPos(255);
    EXPECT_EQ(h.PartRect(ScrollPart::kLineDown, 80, 14), (PicRect{66, 0, 80, 14}));
    EXPECT_EQ(h.PartRect(ScrollPart::kThumb, 80, 14), (PicRect{60, 0, 66, 14}));
}

TEST(UpdateWindowLinks, RowWidthsFromPictures) {
    const std::vector<int> rights = {168, 258, 349, 439, 529, 619, 710};
    // Pictures of the widths the row was laid out for: every button ends at
    // its own right edge.
    auto row = LinkButtonRow(92, 127, 153, 14, rights, {76, 76, 77, 76, 76, 76, 77});
    ASSERT_EQ(row.size(), 7u);
    EXPECT_EQ(row[0], (PicRect{92, 127, 168, 153}));
    EXPECT_EQ(row[1].left, 182);
    EXPECT_EQ(row[2].left, 272);
    EXPECT_EQ(row[6], (PicRect{633, 127, 710, 153}));
    // A missing picture counts as width 0: the next button starts 14 on.
    row = LinkButtonRow(92, 127, 153, 14, rights, {76, 0, 77});
    EXPECT_EQ(row[1].left, 182);
    EXPECT_EQ(row[2].left, 196);
    EXPECT_EQ(row[3].left, 196 + 91);
    EXPECT_EQ(row[4].left, 196 + 91 + 14);  // widths past the list count as 0
    // Pictures far too wide push starts past the fixed right edges: the
    // buttons shrink to nothing instead of turning inside out.
    row = LinkButtonRow(92, 127, 153, 14, rights, {700, 700});
    EXPECT_EQ(row[1].left, 806);
    EXPECT_EQ(row[1].width(), 0);
}

}  // namespace
