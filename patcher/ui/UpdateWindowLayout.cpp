#include "patcher/ui/UpdateWindowLayout.h"

#include "patcher/ui/SkinBitmap.h"
#include "platform/text.h"

namespace {

// The link-button row: first start, top and bottom, gap between a picture's
// end and the next start, and the fixed right edges of buttons a to g.
constexpr int kLinkRowLeft = 92;
constexpr int kLinkRowTop = 127;
constexpr int kLinkRowBottom = 153;
constexpr int kLinkRowGap = 14;
constexpr std::array<int, kLinkButtonCount> kLinkRightEdges = {168, 258, 349, 439, 529, 619, 710};
// URL index of link button a; the others follow.
constexpr int kFirstLinkUrl = 2;

std::string In(const std::string& folder, const std::string& file) {
    return folder + "\\" + file;
}

UpdateControl Make(UpdateControlKind kind, int id, PicRect rect) {
    UpdateControl c;
    c.kind = kind;
    c.id = id;
    c.rect = rect;
    return c;
}

UpdateControl Label(int id, PicRect rect, const std::string& picture, const std::string& text,
                    bool disabled) {
    UpdateControl c = Make(UpdateControlKind::kLabel, id, rect);
    c.pictures = {picture, picture, picture, picture};
    c.text = text;
    c.disabled = disabled;
    return c;
}

}  // namespace

const UpdateControl* UpdateWindowLayout::Find(int id) const {
    for (const UpdateControl& c : controls) {
        if (c.id == id) {
            return &c;
        }
    }
    return nullptr;
}

std::array<std::string, 4> UpdateButtonPictures(const std::string& skinFolder, char letter) {
    std::string normal = In(skinFolder, std::string("N_update-button-") + letter + ".bmp");
    return {normal, PictureVariant(normal, PictureState::kPressed),
            PictureVariant(normal, PictureState::kDisabled),
            PictureVariant(normal, PictureState::kHover)};
}

char UpdateStopLetter(bool running) {
    return running ? 'l' : 'i';
}

PicRect UpdateWindowPlacement(int workWidth, int workHeight) {
    int left = workWidth / 2 - kUpdateWindowWidth / 2;
    int top = workHeight / 2 - kUpdateWindowHeight / 2;
    return {left, top, left + kUpdateWindowWidth, top + kUpdateWindowHeight};
}

UpdateWindowLayout MakeUpdateWindowLayout(const std::string& skinFolder) {
    UpdateWindowLayout layout;
    layout.background = In(skinFolder, "N_update-bj-01.bmp");
    auto& controls = layout.controls;

    // The link buttons, a to g in one row; a link's pressed and highlighted
    // pictures are both its "-l" picture.
    std::vector<int> widths;
    std::vector<int> rights(kLinkRightEdges.begin(), kLinkRightEdges.end());
    std::vector<std::string> normals;
    for (int i = 0; i < kLinkButtonCount; ++i) {
        std::string normal =
            In(skinFolder, std::string("N_update-button-") + static_cast<char>('a' + i) + ".bmp");
        auto size = ReadBitmapSize(normal);
        widths.push_back(size ? size->width : 0);
        normals.push_back(normal);
    }
    std::vector<PicRect> row =
        LinkButtonRow(kLinkRowLeft, kLinkRowTop, kLinkRowBottom, kLinkRowGap, rights, widths);
    for (int i = 0; i < kLinkButtonCount; ++i) {
        UpdateControl c = Make(UpdateControlKind::kLinkButton, kLinkButtonIds[i], row[i]);
        std::string lit = PictureVariant(normals[i], PictureState::kHover);
        c.pictures = {normals[i], lit, normals[i], lit};
        c.url = kFirstLinkUrl + i;
        controls.push_back(c);
    }

    struct Command {
        int id;
        PicRect rect;
        char letter;
        bool disabled;
    };
    const Command commands[] = {
        {kIdSettings, {54, 375, 149, 403}, 'h', false},
        {kIdStartGame, {54, 415, 149, 443}, 'j', true},  // until the update is done
        {kIdUpdateStop, {165, 375, 260, 403}, UpdateStopLetter(false), false},
        {kIdExit, {165, 415, 260, 443}, 'k', false},
    };
    for (const Command& command : commands) {
        UpdateControl c = Make(UpdateControlKind::kButton, command.id, command.rect);
        c.pictures = UpdateButtonPictures(skinFolder, command.letter);
        c.disabled = command.disabled;
        controls.push_back(c);
    }

    UpdateControl list = Make(UpdateControlKind::kList, kIdServerList, {54, 200, 238, 323});
    list.pictures = {In(skinFolder, "N_update-diban-a.bmp"), In(skinFolder, "N_update-gb.bmp"), "",
                     ""};
    controls.push_back(list);
    UpdateControl bar = Make(UpdateControlKind::kScrollBar, kIdServerBar, {240, 200, 258, 325});
    bar.pictures = {In(skinFolder, "N_update-gundongtiao.bmp"), "", "", ""};
    controls.push_back(bar);

    std::string plain = In(skinFolder, "N_update-qj-c.bmp");
    controls.push_back(Label(kIdVersionLabel, {6, 15, 87, 35}, plain, "", false));
    controls.push_back(
        Label(kIdStatusLine, {125, 462, 595, 482}, In(skinFolder, "N_status-qj-c.bmp"), "", true));
    controls.push_back(Label(kIdDownloadLabel, {125, 482, 206, 502}, plain, GBK("文件下载"), true));
    controls.push_back(Label(kIdUpdateLabel, {125, 502, 206, 522}, plain, GBK("文件更新"), true));

    for (int id : {kIdDownloadBar, kIdUpdateBar}) {
        PicRect rect =
            id == kIdDownloadBar ? PicRect{212, 489, 677, 496} : PicRect{212, 510, 677, 517};
        UpdateControl progress = Make(UpdateControlKind::kProgress, id, rect);
        progress.pictures = {In(skinFolder, "N_update-jindu.bmp"),
                             In(skinFolder, "N_update-jindu-b.bmp"), "", ""};
        controls.push_back(progress);
    }

    UpdateControl notice =
        Make(UpdateControlKind::kPage, kIdAnnouncementPage, {296, 179, 751, 344});
    notice.url = 0;
    controls.push_back(notice);
    UpdateControl notes = Make(UpdateControlKind::kPage, kIdNotesPage, {296, 370, 751, 450});
    notes.url = 1;
    controls.push_back(notes);
    return layout;
}
