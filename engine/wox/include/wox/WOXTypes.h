// The widget library's plain records and codes: the window description
// record a window is created from, picture slots, events, input messages,
// and the "no window" value.
//
// Sections: [limits] [codes] [point and rectangle] [tagWOXPicData]
// [tagWOXWndData] [tagWOXEvent] [tagUIInputMsg] [no window]
//
// tagWOXWndData is handed across module boundaries (plug-ins fill it and the
// library reads it), so its layout is fixed: the static_asserts below hold on
// every build, 32-bit and 64-bit alike. Integers are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

class CWOXWnd;

// ---- [limits] ----------------------------------------------------------

constexpr int kWOXNameChars = 64;      // window and parent names, terminator included
constexpr int kWOXClassChars = 72;     // window type names, terminator included
constexpr int kWOXTextChars = 512;     // window text, terminator included
constexpr int kWOXPicSlots = 14;       // picture slots per window
constexpr int kWOXPicPathChars = 260;  // picture path, terminator included
constexpr int kWOXCharWidth = 8;       // default font: a single-byte character, pixels
constexpr int kWOXWideCharWidth = 16;  // default font: a double-byte (GBK) character
constexpr int kWOXLineHeight = 16;     // default font: one line

// ---- [codes] -----------------------------------------------------------

// A window's activation state word. The picture drawn is the slot of the
// same number when the record gives one, else slot 0.
enum EWOXState : uint32_t {
    EWS_Normal = 0,
    EWS_Disabled = 1,  // takes no input and cannot be activated
    EWS_Active = 2,    // took the last left-button press, or the keyboard focus: keys go here
    EWS_Hover = 3,     // the mouse is over it (only from EWS_Normal)
};

// Event kinds carried by tagWOXEvent.
enum EWOXEvent : uint32_t {
    EWOXE_Click = 2,          // a button (or a window clicking itself) was clicked
    EWOXE_MsgBoxResult = 10,  // a message box reports the pressed button; dwParam1 = result code
};

// Input kinds of tagUIInputMsg. Mouse input (1 to 7) goes to the top window
// under its point; key input (10 and 11) to the active window.
enum EUIInput : uint32_t {
    EUII_MouseMove = 1,
    EUII_RButtonDown = 3,
    EUII_RButtonUp = 4,
    EUII_LButtonDown = 5,
    EUII_LButtonUp = 6,  // a click completes on the window that took the press
    EUII_KeyDown = 10,
    EUII_KeyUp = 11,  // keys act on release, as the mouse does
};

// Key codes (Windows virtual-key values).
constexpr uint32_t kWOXKeyTab = 9;
constexpr uint32_t kWOXKeyEnter = 13;
constexpr uint32_t kWOXKeySpace = 32;

// Text formats understood by CWOXFont::DrawText (Windows DrawText values).
constexpr uint32_t kWOXTextCenter = 0x1;       // each line centred horizontally
constexpr uint32_t kWOXTextVCenter = 0x4;      // single line centred vertically
constexpr uint32_t kWOXTextWordBreak = 0x10;   // lines break between words to fit the width
constexpr uint32_t kWOXTextSingleLine = 0x20;  // one line; line breaks are not honoured
constexpr uint32_t kWOXTextNoClip = 0x100;     // draw past the rectangle instead of cutting

// ---- [point and rectangle] ---------------------------------------------

namespace Tarnet {
// A position in screen pixels, x to the right, y down. (The engine library's
// point type, which the widget library takes for its hit tests.)
struct tagPoint {
    int32_t x;
    int32_t y;
};
}  // namespace Tarnet

struct tagWOXRect {
    int32_t x, y;           // top-left corner
    int32_t width, height;  // pixels
};

// ---- [tagWOXPicData] ---------------------------------------------------

// One picture slot of a window description.
struct tagWOXPicData {
    uint32_t dwHandle;              // +0   the library's handle of the picture; 0 as sent
    uint32_t bValid;                // +4   1: the slot names a picture
    int32_t nSrcX, nSrcY;           // +8   part of the picture to draw;
    int32_t nSrcWidth, nSrcHeight;  // +16  all 0: the whole picture
    char szPath[kWOXPicPathChars];  // +24  picture path (GBK, "\"), zero-terminated
    uint8_t byReserved[16];         // +284
};
static_assert(sizeof(tagWOXPicData) == 300, "picture slot size");
static_assert(offsetof(tagWOXPicData, bValid) == 4, "picture slot layout");
static_assert(offsetof(tagWOXPicData, szPath) == 24, "picture slot layout");

// ---- [tagWOXWndData] ---------------------------------------------------

// The description a window is created from (CWOXSystem::CreateWnd). The new
// window keeps its own copy. Fields a creator does not need stay zero.
struct tagWOXWndData {
    uint32_t dwID;                     // 0     the game's id for the window
    char szName[kWOXNameChars];        // 4     unique name, zero-terminated
    char szFatherName[kWOXNameChars];  // 68    parent's name; "" = the desktop
    char szClassName[kWOXClassChars];  // 132   registered window type
    uint32_t bModal;                   // 204   1: while shown, input outside it is held back
    uint32_t bTabStop;                 // 208   1: Tab can give it the keyboard focus
    uint32_t bHide;                    // 212   1: created hidden
    int32_t nX, nY;                    // 216   position relative to the parent
    int32_t nWidth, nHeight;           // 224   size
    uint8_t byReserved1[12];           // 232
    int32_t nTextX, nTextY;            // 244   text rectangle inside the window
    int32_t nTextWidth, nTextHeight;   // 252
    char szText[kWOXTextChars];        // 260   text or caption (GBK), zero-terminated
    uint32_t dwTextColor;              // 772   0xAARRGGBB
    uint8_t byReserved2[520];          // 776
    tagWOXPicData Pic[kWOXPicSlots];   // 1296  picture slots, one per activation state
    uint8_t byReserved3[228];          // 5496
};
static_assert(sizeof(tagWOXWndData) == 5724, "window description size");
static_assert(offsetof(tagWOXWndData, szName) == 4, "window description layout");
static_assert(offsetof(tagWOXWndData, szFatherName) == 68, "window description layout");
static_assert(offsetof(tagWOXWndData, szClassName) == 132, "window description layout");
static_assert(offsetof(tagWOXWndData, bModal) == 204, "window description layout");
static_assert(offsetof(tagWOXWndData, bTabStop) == 208, "window description layout");
static_assert(offsetof(tagWOXWndData, nX) == 216, "window description layout");
static_assert(offsetof(tagWOXWndData, nY) == 220, "window description layout");
static_assert(offsetof(tagWOXWndData, nWidth) == 224, "window description layout");
static_assert(offsetof(tagWOXWndData, nHeight) == 228, "window description layout");
static_assert(offsetof(tagWOXWndData, nTextX) == 244, "window description layout");
static_assert(offsetof(tagWOXWndData, nTextY) == 248, "window description layout");
static_assert(offsetof(tagWOXWndData, nTextWidth) == 252, "window description layout");
static_assert(offsetof(tagWOXWndData, nTextHeight) == 256, "window description layout");
static_assert(offsetof(tagWOXWndData, szText) == 260, "window description layout");
static_assert(offsetof(tagWOXWndData, dwTextColor) == 772, "window description layout");
static_assert(offsetof(tagWOXWndData, Pic) == 1296, "window description layout");
static_assert(offsetof(tagWOXWndData, Pic) + 13 * sizeof(tagWOXPicData) == 1296 + 300 * 13,
              "picture slots are 300 bytes apart");

// ---- [tagWOXEvent] -----------------------------------------------------

// An event a window sends to its parent (CWOXWnd::SendEvent). The name
// points into the sender's own record and lives as long as the sender.
struct tagWOXEvent {
    CWOXWnd* pSender;          // source window
    uint32_t dwSenderID;       // its id
    const char* szSenderName;  // its name
    uint32_t eEvent;           // EWOXEvent
    uint32_t dwParam1;         // EWOXE_MsgBoxResult: the result code
    uint32_t dwParam2;
};
static_assert(offsetof(tagWOXEvent, pSender) == 0, "event layout");
static_assert(offsetof(tagWOXEvent, dwSenderID) == sizeof(void*), "event layout");
static_assert(offsetof(tagWOXEvent, szSenderName) == 2 * sizeof(void*), "event layout");
static_assert(offsetof(tagWOXEvent, eEvent) == 3 * sizeof(void*), "event layout");
static_assert(offsetof(tagWOXEvent, dwParam1) == 3 * sizeof(void*) + 4, "event layout");

// ---- [tagUIInputMsg] ---------------------------------------------------

// One input message the game feeds to CWOXSystem::OnInputMessage.
struct tagUIInputMsg {
    uint32_t eType;     // EUIInput
    uint32_t dwParam1;  // keys: the key code
    uint32_t dwParam2;
    Tarnet::tagPoint pt;  // mouse: screen position
};
static_assert(sizeof(tagUIInputMsg) == 20, "input message size");
static_assert(offsetof(tagUIInputMsg, dwParam1) == 4, "input message layout");
static_assert(offsetof(tagUIInputMsg, pt) == 12, "input message layout");

// ---- [no window] -------------------------------------------------------

// The library's invalid-window value: lookups and creation answer it when
// there is no window. It is odd, so no object can ever sit there.
constexpr uintptr_t kWOXInvalidWndValue = 0xFFFFFFFF;

inline CWOXWnd* WOXInvalidWnd() {
    return reinterpret_cast<CWOXWnd*>(kWOXInvalidWndValue);
}

// Neither null nor the invalid value.
inline bool WOXIsValidWnd(const CWOXWnd* w) {
    return w != nullptr && reinterpret_cast<uintptr_t>(w) != kWOXInvalidWndValue;
}
