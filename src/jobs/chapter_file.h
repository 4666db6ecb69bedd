#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace splitwick {

class OutputFile;

struct ChapterMark {
    int64_t startNs;  // from the start of the outputs
    std::string name; // UTF-8; may be empty
    bool operator==(const ChapterMark&) const = default;
};

// A title's chapters as a demux writes them beside its outputs.
struct TitleChapters {
    std::string language = "und"; // of the names, ISO 639-2
    std::vector<ChapterMark> marks;
};

// The chapters as Matroska chapter XML, the form muxers read chapters from: one edition, an atom
// per mark in the given order.
std::string matroskaChapterXml(const TitleChapters& chapters);

// Writes the chapter XML into the new output ("Stream write error" when it cannot be stored).
void writeChapterFile(OutputFile& file, const TitleChapters& chapters);

} // namespace splitwick
