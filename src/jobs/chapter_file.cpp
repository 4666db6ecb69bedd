#include "chapter_file.h"

#include <cstdio>

#include "engine/output_file.h"

namespace splitwick {

namespace {

struct Utf8Char {
    size_t length; // 0 when no character begins at the byte
    uint32_t code;
};

// The UTF-8 character that begins at this byte.
Utf8Char utf8Char(const std::string& text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(at);
    size_t length = 0;
    uint32_t code = 0;
    if (lead < 0x80) return {1, lead};
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return {0, 0};
    }
    if (at + length > text.size()) return {0, 0};
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return {0, 0};
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond Unicode are no characters.
    const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return {0, 0};
    return {length, code};
}

// Code points an XML document must not or should not hold: the C0 controls, DEL and the C1
// controls, and the noncharacters (U+FDD0 to U+FDEF, and the last two of every plane, U+FFFE and
// U+FFFF among them).
bool unfitForXml(uint32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0x9F) || (code >= 0xFDD0 && code <= 0xFDEF) ||
           (code & 0xFFFE) == 0xFFFE;
}

// A name as XML character data: markup escaped; bytes that are no UTF-8 character become
// U+FFFD and the code points XML does not take a space, so that a muxer's XML parser takes the
// file.
std::string xmlText(const std::string& text) {
    std::string out;
    for (size_t at = 0; at < text.size();) {
        const auto [length, code] = utf8Char(text, at);
        const char c = text[at];
        if (length == 0)
            out += "\xEF\xBF\xBD";
        else if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (unfitForXml(code))
            out += ' ';
        else
            out.append(text, at, length);
        at += length == 0 ? 1 : length;
    }
    return out;
}

// HH:MM:SS.nnnnnnnnn
std::string chapterTime(int64_t ns) {
    const int64_t seconds = ns / 1'000'000'000;
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%09lld",
                  static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
                  static_cast<long long>(seconds % 60), static_cast<long long>(ns % 1'000'000'000));
    return text;
}

} // namespace

std::string matroskaChapterXml(const TitleChapters& chapters) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE Chapters SYSTEM \"matroskachapters.dtd\">\n"
                      "<Chapters>\n"
                      "  <EditionEntry>\n";
    for (const ChapterMark& mark : chapters.marks) {
        xml += "    <ChapterAtom>\n"
               "      <ChapterTimeStart>" +
               chapterTime(mark.startNs) +
               "</ChapterTimeStart>\n"
               "      <ChapterDisplay>\n"
               "        <ChapterString>" +
               xmlText(mark.name) +
               "</ChapterString>\n"
               "        <ChapterLanguage>" +
               xmlText(chapters.language) +
               "</ChapterLanguage>\n"
               "      </ChapterDisplay>\n"
               "    </ChapterAtom>\n";
    }
    return xml + "  </EditionEntry>\n</Chapters>\n";
}

void writeChapterFile(OutputFile& file, const TitleChapters& chapters) {
    const std::string xml = matroskaChapterXml(chapters);
    file.write(reinterpret_cast<const uint8_t*>(xml.data()), xml.size());
}

} // namespace splitwick
