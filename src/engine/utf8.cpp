#include "utf8.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace splitwick {

namespace {

// UTF-8 sequences by their first byte: length, bits of the first byte kept, the smallest code
// point such a sequence may carry (a smaller one is an overlong form).
struct SequenceForm {
    uint8_t low, high;
    size_t length;
    uint8_t leadBits;
    char32_t smallest;
};

constexpr std::array<SequenceForm, 4> Forms = {{
    {0x00, 0x7F, 1, 0x7F, 0x00},
    {0xC2, 0xDF, 2, 0x1F, 0x80},
    {0xE0, 0xEF, 3, 0x0F, 0x800},
    {0xF0, 0xF4, 4, 0x07, 0x10000},
}};

} // namespace

Utf8Char utf8CharAt(std::string_view text, size_t at) {
    const auto lead = static_cast<uint8_t>(text[at]);
    const auto form = std::find_if(Forms.begin(), Forms.end(), [&](const SequenceForm& f) {
        return lead >= f.low && lead <= f.high;
    });
    if (form == Forms.end() || text.size() - at < form->length) return {0, 0};
    char32_t code = lead & form->leadBits;
    for (size_t k = 1; k < form->length; ++k) {
        const auto next = static_cast<uint8_t>(text[at + k]);
        if ((next & 0xC0) != 0x80) return {0, 0};
        code = code << 6 | (next & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    if (code < form->smallest || surrogate || code > 0x10FFFF) return {0, 0};
    return {form->length, code};
}

} // namespace splitwick
