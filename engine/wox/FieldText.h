// Text fields of records filled by others: where a text ends when it may
// fill its field. Private to the widget library.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

#include "platform/text.h"

namespace wox {

using platform::IsGbkLeadByte;

// Length of the text in a field of N bytes: up to its terminator; a text
// that fills the field is cut before the last byte, and a GBK character the
// cut would split goes with it.
template <size_t N>
size_t FieldLength(const char (&field)[N]) {
    if (const void* end = memchr(field, 0, N)) {
        return static_cast<size_t>(static_cast<const char*>(end) - field);
    }
    return platform::GbkFit(std::string_view(field, N), N - 1);
}

// Terminates the field where FieldLength says.
template <size_t N>
void EndInsideField(char (&field)[N]) {
    field[FieldLength(field)] = 0;
}

template <size_t N>
std::string FieldText(const char (&field)[N]) {
    return std::string(field, FieldLength(field));
}

}  // namespace wox
