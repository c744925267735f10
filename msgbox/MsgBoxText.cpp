#include "MsgBoxText.h"

#include <cstdio>
#include <cstring>

#include "platform/text.h"
#include "wox/CWOXSystem.h"

namespace dovwox {
namespace {

// The tick count and rand() as the game's 32-bit long prints them.
long AsGameLong(uint32_t v) {
    return static_cast<long>(static_cast<int32_t>(v));
}

}  // namespace

std::string MakeMsgBoxName(const CWOXSystem& sys, uint32_t tick, int (*random)()) {
    char name[kWOXNameChars];
    snprintf(name, sizeof name, "msgbox_%ld", AsGameLong(tick));
    // Two boxes opened within one millisecond would share the tick name.
    for (int tries = 0; WOXIsValidWnd(sys.GetWnd(name)); ++tries) {
        if (tries == kNameTries) {
            return std::string();
        }
        snprintf(name, sizeof name, "msgbox_%ld_%ld", static_cast<long>(random()),
                 AsGameLong(tick));
    }
    return name;
}

void CopyToField(char* field, size_t fieldSize, const char* text) {
    if (fieldSize == 0) {
        return;
    }
    size_t keep = 0;
    if (text != nullptr) {
        // The text's end is looked for within the field only.
        keep = platform::GbkFit(std::string_view(text, strnlen(text, fieldSize)), fieldSize - 1);
        memcpy(field, text, keep);
    }
    field[keep] = 0;
}

}  // namespace dovwox
