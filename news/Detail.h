// Helpers of the page reader shared by its files (and its tests).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace news::detail {

// Length of the well-formed UTF-8 sequence at the start of s (shortest form,
// no surrogates, at most U+10FFFF), or 0 when s starts with a malformed or
// incomplete one.
std::size_t Utf8SequenceLength(std::string_view s);
bool IsValidUtf8(std::string_view s);
// s with every malformed byte turned into U+FFFD.
std::string SanitizeUtf8(std::string_view s);
// How many bytes of s fit in limit bytes without splitting a character
// (a malformed byte counts as a character of its own).
std::size_t Utf8Fit(std::string_view s, std::size_t limit);

// "gbk", "utf-8", or "" for a charset name that is neither.
std::string CharsetFamily(std::string_view name);

// The absolute target of href on the page at base, or "" when it is not a
// link to show (empty, a fragment of the page itself, another scheme, or
// relative to a base that is not an http or https address). The target is
// ASCII: other bytes, spaces and controls are percent-encoded.
std::string ResolveLink(const std::string& base, std::string_view href);

}  // namespace news::detail
