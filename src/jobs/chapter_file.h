#pragma once
#include <string>

#include "playlist/title_chapters.h"

namespace splitwick {

class OutputFile;

// The chapters as Matroska chapter XML, the form muxers read chapters from: one edition, an atom
// per mark in the given order.
std::string matroskaChapterXml(const TitleChapters& chapters);

// Writes the chapter XML into the new output ("Stream write error" when it cannot be stored).
void writeChapterFile(OutputFile& file, const TitleChapters& chapters);

} // namespace splitwick
