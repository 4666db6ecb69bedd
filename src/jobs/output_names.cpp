#include "output_names.h"

#include <algorithm>
#include <array>

#include "engine/path_parts.h"
#include "engine/utf8.h"

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
        const auto [length, codePoint] = utf8CharAt(part, at);
        if (length == 0 || unsafe(codePoint))
            safe += '_';
        else
            safe.append(part, at, length);
        at += std::max<size_t>(length, 1);
    }
    return safe;
}

std::string trackOutputStem(const std::string& prefix, const std::string& label, TrackName name,
                            size_t longestExtension) {
    std::string part = safeNamePart(label);
    const size_t prefixName = fileNameOf(prefix).size();
    const size_t around = prefixName + 1 + 1 + longestExtension; // the two dots
    if (around + part.size() > MaxFileNameBytes) {
        const std::string numberPart = "." + name.numberText();
        const size_t taken = around + numberPart.size();
        part = leadingBytes(part, MaxFileNameBytes > taken ? MaxFileNameBytes - taken : 0) +
               numberPart;
    }
    return prefix + "." + part;
}

} // namespace splitwick
