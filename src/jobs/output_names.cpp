#include "output_names.h"

#include <algorithm>
#include <array>

namespace splitwick {

namespace {

struct CodePoints {
    char32_t first, last;
};

// Replaced in file names: C0 controls, the folder delimiter, DEL and the C1 controls, the
// bidirectional embeddings and overrides (U+202A to U+202E) and isolates (U+2066 to U+2069).
constexpr std::array<CodePoints, 5> Unsafe = {{
    {0x00, 0x1F},
    {U'/', U'/'},
    {0x7F, 0x9F},
    {0x202A, 0x202E},
    {0x2066, 0x2069},
}};

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

// The length of the UTF-8 sequence at text[at], with its code point; 0 when the bytes there
// are not UTF-8: a stray continuation byte, a cut or overlong sequence, a surrogate, or a value
// past U+10FFFF.
size_t sequenceAt(const std::string& text, size_t at, char32_t& codePoint) {
    const auto lead = static_cast<uint8_t>(text[at]);
    const auto form = std::find_if(Forms.begin(), Forms.end(), [&](const SequenceForm& f) {
        return lead >= f.low && lead <= f.high;
    });
    if (form == Forms.end() || text.size() - at < form->length) return 0;
    codePoint = lead & form->leadBits;
    for (size_t k = 1; k < form->length; ++k) {
        const auto next = static_cast<uint8_t>(text[at + k]);
        if ((next & 0xC0) != 0x80) return 0;
        codePoint = codePoint << 6 | (next & 0x3F);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < form->smallest || surrogate || codePoint > 0x10FFFF) return 0;
    return form->length;
}

bool unsafe(char32_t codePoint) {
    return std::any_of(Unsafe.begin(), Unsafe.end(), [&](const CodePoints& range) {
        return codePoint >= range.first && codePoint <= range.last;
    });
}

// The text's first bytes, at most max, not cutting a sequence of the (valid UTF-8) text.
std::string leadingBytes(const std::string& text, size_t max) {
    size_t end = std::min(max, text.size());
    while (end > 0 && end < text.size() && (static_cast<uint8_t>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace

std::string safeNamePart(const std::string& part) {
    std::string safe;
    safe.reserve(part.size());
    for (size_t at = 0; at < part.size();) {
        char32_t codePoint = 0;
        const size_t length = sequenceAt(part, at, codePoint);
        if (length == 0 || unsafe(codePoint))
            safe += '_';
        else
            safe.append(part, at, length);
        at += std::max<size_t>(length, 1);
    }
    return safe;
}

std::string boxOutputStem(const std::string& prefix, const std::string& label, Box box,
                          size_t longestExtension) {
    std::string part = safeNamePart(label);
    const size_t slash = prefix.rfind('/');
    const size_t prefixName =
        slash == std::string::npos ? prefix.size() : prefix.size() - slash - 1;
    const size_t around = prefixName + 1 + 1 + longestExtension; // the two dots
    if (around + part.size() > MaxFileNameBytes) {
        const std::string boxPart = labelSuffix(box);
        const size_t taken = around + boxPart.size();
        part =
            leadingBytes(part, MaxFileNameBytes > taken ? MaxFileNameBytes - taken : 0) + boxPart;
    }
    return prefix + "." + part;
}

} // namespace splitwick
