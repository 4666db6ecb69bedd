#include "chapter_file.h"

#include <cstdio>

#include "engine/output_file.h"
#include "engine/utf8.h"

namespace splitwick {

namespace {

// Code points an XML document must not or should not hold: the C0 controls, DEL and the C1
// controls, and the noncharacters (U+FDD0 to U+FDEF, and the last two of every plane, U+FFFE and
// U+FFFF among them).
bool unfitForXml(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0x9F) || (code >= 0xFDD0 && code <= 0xFDEF) ||
           (code & 0xFFFE) == 0xFFFE;
}

// A name as XML character data: markup escaped; bytes that are no UTF-8 character become
// U+FFFD and the code points XML does not take a space, so that a muxer's XML parser takes the
// file.
std::string xmlText(const std::string& text) {
    std::string out;
    for (size_t at = 0; at < text.size();) {
        const auto [length, code] = utf8CharAt(text, at);
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
