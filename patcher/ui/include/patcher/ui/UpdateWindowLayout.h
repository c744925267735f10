// The update window's layout: the 800 x 600 skinned window, where each of
// its controls stands, which skin pictures it shows and which text or link
// it carries. Portable, so that tests check it without a window; the Windows
// window builds itself from it.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "patcher/ui/PicControlRules.h"

constexpr int kUpdateWindowWidth = 800;
constexpr int kUpdateWindowHeight = 600;

// Command ids of the window's controls.
constexpr int kIdLinkA = 1003;
constexpr int kIdLinkB = 1004;
constexpr int kIdLinkD = 1005;
constexpr int kIdLinkC = 1006;
constexpr int kIdLinkF = 1007;
constexpr int kIdLinkG = 1008;
constexpr int kIdLinkE = 1009;
constexpr int kIdSettings = 1010;
constexpr int kIdStartGame = 1011;
constexpr int kIdUpdateStop = 1012;
constexpr int kIdExit = 1013;
constexpr int kIdServerList = 1015;
// Controls that send no commands still get ids of their own, so a window
// (and a test) can find them.
constexpr int kIdServerBar = 1016;
constexpr int kIdVersionLabel = 1017;
constexpr int kIdStatusLine = 1018;
constexpr int kIdDownloadLabel = 1019;
constexpr int kIdUpdateLabel = 1020;
constexpr int kIdDownloadBar = 1021;
constexpr int kIdUpdateBar = 1022;
constexpr int kIdAnnouncementPage = 1023;
constexpr int kIdNotesPage = 1024;

constexpr int kLinkButtonCount = 7;
// The link buttons' ids, a to g.
constexpr std::array<int, kLinkButtonCount> kLinkButtonIds = {
    kIdLinkA, kIdLinkB, kIdLinkC, kIdLinkD, kIdLinkE, kIdLinkF, kIdLinkG};

// The server list's rows.
constexpr int kServerListItemHeight = 20;
constexpr int kServerListItemWidth = 183;

enum class UpdateControlKind {
    kLinkButton,  // opens a URL in the system's browser
    kButton,      // a command button
    kLabel,       // a picture with a text, never pressed
    kList,        // the server list
    kScrollBar,   // the server list's bar
    kProgress,    // a progress bar
    kPage,        // a web page view
};

struct UpdateControl {
    UpdateControlKind kind = UpdateControlKind::kLabel;
    int id = 0;
    PicRect rect;
    // Buttons and labels: normal, pressed, disabled, highlighted ("" = none).
    // List: background and selection bar. Progress bar: background and
    // fill. Scroll bar: its sprite.
    std::array<std::string, 4> pictures;
    // Labels: the GBK caption, before the text table.
    std::string text;
    // Link buttons and pages: the URL's index (0 announcement, 1 update
    // notes, 2 to 8 link buttons a to g); -1 for the others.
    int url = -1;
    bool disabled = false;  // created disabled
};

struct UpdateWindowLayout {
    std::string background;  // painted over the whole window
    std::vector<UpdateControl> controls;

    // The control with this id, or null.
    const UpdateControl* Find(int id) const;
};

// The layout with the skin in skinFolder (a system path; "skin" in the game
// folder). The link buttons' places depend on the widths of their normal
// pictures, read from the bitmaps' headers; a missing picture counts as
// width 0.
UpdateWindowLayout MakeUpdateWindowLayout(const std::string& skinFolder = "skin");

// The four pictures of a command button of letter c (h to l): normal,
// pressed ("-anxia"), disabled ("-wuxiao"), highlighted ("-l").
std::array<std::string, 4> UpdateButtonPictures(const std::string& skinFolder, char letter);
// The update/stop button's letter: i while idle, l while an update runs.
char UpdateStopLetter(bool running);

// The window's top left on a work area of this size: centred.
PicRect UpdateWindowPlacement(int workWidth, int workHeight);
