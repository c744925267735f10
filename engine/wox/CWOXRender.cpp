#include "wox/CWOXRender.h"

#include <cstring>
#include <utility>

#include "FieldText.h"
#include "platform/text.h"

namespace {

using wox::IsGbkLeadByte;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// A piece of text that line breaking treats as one: a word (a run of
// single-byte characters without blanks), a run of blanks, one GBK
// character, or a line break.
struct Piece {
    enum Kind { Word, Blanks, Wide, Break };
    Kind kind;
    size_t begin, end;  // byte range
    int32_t width;
};

std::vector<Piece> Split(const char* text, size_t n, bool honourBreaks) {
    std::vector<Piece> pieces;
    size_t i = 0;
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r') {
            ++i;
        } else if (c == '\n') {
            if (honourBreaks) {
                pieces.push_back({Piece::Break, i, i + 1, 0});
            }
            ++i;
        } else if (IsBlank(static_cast<char>(c))) {
            size_t j = i;
            while (j < n && IsBlank(text[j])) {
                ++j;
            }
            pieces.push_back({Piece::Blanks, i, j, static_cast<int32_t>(j - i) * kWOXCharWidth});
            i = j;
        } else if (IsGbkLeadByte(c) && i + 1 < n) {
            pieces.push_back({Piece::Wide, i, i + 2, kWOXWideCharWidth});
            i += 2;
        } else {
            // A lead byte without its trail (the text's last byte) counts as
            // one single-byte character.
            size_t j = i;
            while (j < n) {
                unsigned char d = static_cast<unsigned char>(text[j]);
                if (d == '\r' || d == '\n' || IsBlank(static_cast<char>(d)) ||
                    (IsGbkLeadByte(d) && j + 1 < n)) {
                    break;
                }
                ++j;
            }
            pieces.push_back({Piece::Word, i, j, static_cast<int32_t>(j - i) * kWOXCharWidth});
            i = j;
        }
    }
    return pieces;
}

// Cuts a line to the characters that start before maxWidth.
void CutLine(tagWOXTextLine& line, int32_t maxWidth) {
    int32_t x = 0;
    size_t i = 0;
    const std::string& t = line.text;
    while (i < t.size()) {
        bool wide = IsGbkLeadByte(static_cast<unsigned char>(t[i])) && i + 1 < t.size();
        if (x >= maxWidth) {
            break;
        }
        x += wide ? kWOXWideCharWidth : kWOXCharWidth;
        i += wide ? 2 : 1;
    }
    line.text.resize(i);
    line.width = x;
}

}  // namespace

// ---- CWOXRender ----------------------------------------------------------

void CWOXRender::BeginFrame() {
    m_cmds.clear();
}

uint32_t CWOXRender::LoadPicture(const char* szPath) {
    // Paths name files, which Windows matches without regard to letter
    // case; a GBK trail byte is part of its character and stays as it is.
    std::string key = platform::GbkToLowerAscii(szPath != nullptr ? szPath : "");
    auto it = m_pictures.find(key);
    if (it != m_pictures.end()) {
        return it->second;
    }
    uint32_t handle = static_cast<uint32_t>(m_pictures.size()) + 1;
    m_pictures.emplace(std::move(key), handle);
    return handle;
}

void CWOXRender::DrawPicture(const char* szWnd, const tagWOXPicData& pic, const tagWOXRect& rc) {
    tagWOXDrawCmd cmd;
    cmd.eKind = tagWOXDrawCmd::Picture;
    cmd.rc = rc;
    cmd.strWnd = szWnd != nullptr ? szWnd : "";
    cmd.strPath.assign(pic.szPath, strnlen(pic.szPath, sizeof pic.szPath));
    cmd.dwHandle = pic.dwHandle;
    cmd.rcSrc = {pic.nSrcX, pic.nSrcY, pic.nSrcWidth, pic.nSrcHeight};
    Record(std::move(cmd));
}

void CWOXRender::Record(tagWOXDrawCmd cmd) {
    if (m_cmds.size() < kWOXDrawCmdsKept) {
        m_cmds.push_back(std::move(cmd));
    }
}

// ---- CWOXFont ------------------------------------------------------------

CWOXFont::CWOXFont(CWOXRender* pRender) : m_pRender(pRender) {}

int32_t CWOXFont::TextWidth(const char* szText, size_t len) {
    int32_t width = 0;
    if (szText == nullptr) {
        return 0;
    }
    for (const Piece& p : Split(szText, len, false)) {
        width += p.width;
    }
    return width;
}

std::vector<tagWOXTextLine> CWOXFont::Layout(const char* szText, const tagWOXRect& rc,
                                             uint32_t dwFormat) {
    std::vector<tagWOXTextLine> lines;
    if (szText == nullptr || *szText == 0) {
        return lines;
    }
    const bool single = (dwFormat & kWOXTextSingleLine) != 0;
    const bool wrap = !single && (dwFormat & kWOXTextWordBreak) != 0;
    const size_t n = strlen(szText);

    tagWOXTextLine cur{0, 0, 0, std::string()};
    bool hasContent = false;
    std::string pending;  // blanks waiting for the next word
    int32_t pendingWidth = 0;
    auto flush = [&]() {
        lines.push_back(std::move(cur));
        cur = tagWOXTextLine{0, 0, 0, std::string()};
        hasContent = false;
        pending.clear();
        pendingWidth = 0;
    };
    for (const Piece& p : Split(szText, n, !single)) {
        switch (p.kind) {
            case Piece::Break:
                flush();
                break;
            case Piece::Blanks:
                pending.append(szText + p.begin, p.end - p.begin);
                pendingWidth += p.width;
                break;
            case Piece::Word:
            case Piece::Wide:
                if (wrap && hasContent && cur.width + pendingWidth + p.width > rc.width) {
                    flush();  // the blanks at a break are dropped
                } else {
                    cur.text += pending;
                    cur.width += pendingWidth;
                }
                pending.clear();
                pendingWidth = 0;
                cur.text.append(szText + p.begin, p.end - p.begin);
                cur.width += p.width;
                hasContent = true;
                break;
        }
    }
    // The text's last line, unless the text ended with a line break.
    if (hasContent || !pending.empty() || lines.empty()) {
        if (!hasContent) {
            cur.text += pending;
            cur.width += pendingWidth;
        }
        lines.push_back(std::move(cur));
    }

    int32_t top = rc.y;
    if (single && (dwFormat & kWOXTextVCenter) != 0) {
        top = rc.y + (rc.height - kWOXLineHeight) / 2;
    }
    const bool clip = (dwFormat & kWOXTextNoClip) == 0;
    std::vector<tagWOXTextLine> placed;
    for (size_t k = 0; k < lines.size(); ++k) {
        tagWOXTextLine& line = lines[k];
        line.y = top + static_cast<int32_t>(k) * kWOXLineHeight;
        line.x = rc.x;
        if ((dwFormat & kWOXTextCenter) != 0) {
            line.x = rc.x + (rc.width - line.width) / 2;
        }
        if (clip) {
            if (line.y >= rc.y + rc.height) {
                break;
            }
            CutLine(line, rc.x + rc.width - line.x);
        }
        placed.push_back(std::move(line));
    }
    return placed;
}

void CWOXFont::DrawText(const char* szText, const tagWOXRect& rc, uint32_t dwFormat,
                        uint32_t dwColor, uint32_t dwShadowColor) {
    if (m_pRender == nullptr || szText == nullptr || *szText == 0) {
        return;
    }
    tagWOXDrawCmd cmd;
    cmd.eKind = tagWOXDrawCmd::Text;
    cmd.rc = rc;
    cmd.strText = szText;
    cmd.dwFormat = dwFormat;
    cmd.dwColor = dwColor;
    cmd.dwShadowColor = dwShadowColor;
    cmd.lines = Layout(szText, rc, dwFormat);
    m_pRender->Record(std::move(cmd));
}
