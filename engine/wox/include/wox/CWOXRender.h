// Drawing. The stand-in widget library draws nothing on screen: windows and
// fonts record what they would draw into a frame's draw list, which tests
// and tools read back. Pictures are recorded by path (the stand-in decodes
// no image files); text is laid out for real with the default font's fixed
// metrics (kWOXCharWidth, kWOXWideCharWidth, kWOXLineHeight) so that line
// breaks and positions can be checked.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "wox/WOXApi.h"
#include "wox/WOXTypes.h"

// One laid-out line of a DrawText call.
struct tagWOXTextLine {
    int32_t x, y;      // screen position of the line's first character
    int32_t width;     // pixels
    std::string text;  // GBK
};

struct tagWOXDrawCmd {
    enum EKind { Picture, Text };
    EKind eKind = Picture;
    tagWOXRect rc{};  // Picture: where on screen; Text: the rectangle the call gave
    // Picture
    std::string strWnd;     // the drawing window's name
    std::string strPath;    // picture path
    uint32_t dwHandle = 0;  // the picture's handle
    tagWOXRect rcSrc{};     // part of the picture; all 0 = the whole picture
    // Text
    std::string strText;                // the whole text as given (GBK)
    uint32_t dwFormat = 0;              // kWOXText* flags
    uint32_t dwColor = 0;               // text colour, 0xAARRGGBB
    uint32_t dwShadowColor = 0;         // the call's second colour
    std::vector<tagWOXTextLine> lines;  // what was drawn, after breaking and clipping
};

// Commands kept per frame; a frame that draws more keeps the first ones, so
// a window tree gone wrong cannot grow memory without bound.
constexpr size_t kWOXDrawCmdsKept = 65536;

class WOX_API CWOXRender {
public:
    // Starts a frame: the previous frame's commands are dropped.
    void BeginFrame();
    const std::vector<tagWOXDrawCmd>& GetCommands() const { return m_cmds; }

    // The handle of a picture path; the same path (without regard to ASCII
    // letter case) always answers the same handle, the first being 1.
    uint32_t LoadPicture(const char* szPath);
    size_t GetPictureCount() const { return m_pictures.size(); }

    void DrawPicture(const char* szWnd, const tagWOXPicData& pic, const tagWOXRect& rc);
    void Record(tagWOXDrawCmd cmd);

private:
    std::vector<tagWOXDrawCmd> m_cmds;
    std::map<std::string, uint32_t> m_pictures;  // lower-cased path -> handle
};

// A font: lays text out into a rectangle and records it. Fixed metrics: a
// single-byte character is kWOXCharWidth wide, a GBK character (lead byte
// 0x81-0xFE and the byte after it) kWOXWideCharWidth, a line kWOXLineHeight.
class WOX_API CWOXFont {
public:
    explicit CWOXFont(CWOXRender* pRender);

    // Draws text into rc (screen pixels) with kWOXText* format flags.
    // "\n" (or "\r\n") ends a line unless kWOXTextSingleLine is given. With
    // kWOXTextWordBreak a line breaks before a word that would pass the
    // right edge (the spaces at the break are dropped) and between any two
    // GBK characters; a word wider than the rectangle stays whole on a line
    // of its own. Without kWOXTextNoClip, lines that start below the
    // rectangle and characters that start past its right edge are not drawn.
    // Null or empty text draws nothing.
    void DrawText(const char* szText, const tagWOXRect& rc, uint32_t dwFormat, uint32_t dwColor,
                  uint32_t dwShadowColor);

    // The lines DrawText would draw, without recording them.
    static std::vector<tagWOXTextLine> Layout(const char* szText, const tagWOXRect& rc,
                                              uint32_t dwFormat);
    // Width in pixels of the first len bytes of text.
    static int32_t TextWidth(const char* szText, size_t len);

private:
    CWOXRender* m_pRender;
};
