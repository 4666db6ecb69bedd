#pragma once
#include <cstddef>
#include <string_view>

namespace splitwick {

// The UTF-8 character that begins at text[at]: its length in bytes and its code point. The
// length is 0 when the bytes there are no character: a stray continuation byte, a cut or
// overlong sequence, a surrogate, or a value past U+10FFFF.
struct Utf8Char {
    size_t length;
    char32_t code;
};

Utf8Char utf8CharAt(std::string_view text, size_t at);

} // namespace splitwick
