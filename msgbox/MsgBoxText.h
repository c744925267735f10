// Helpers of the message box: its window name and the cutting of texts to
// fixed fields. Private to the plug-in (the unit tests reach them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CWOXSystem;

namespace dovwox {

// Tries with the random form before a box gives up on a free name.
constexpr int kNameTries = 1000;

// A free window name for a new box: "msgbox_<tick>", or while that is
// taken "msgbox_<random>_<tick>" with a new random number each time.
// Numbers print as the game's 32-bit signed values. Answers "" when
// kNameTries random names were all taken.
std::string MakeMsgBoxName(const CWOXSystem& sys, uint32_t tick, int (*random)());

// Copies text into a field of fieldSize bytes, zero-terminated, cut so that
// the field ends inside its bytes and no GBK character is split. Null text
// counts as "".
void CopyToField(char* field, size_t fieldSize, const char* text);

}  // namespace dovwox
