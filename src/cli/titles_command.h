#pragma once
#include <string>

#include "playlist/disc_titles.h"

namespace splitwick::cli {

// The disc's titles as text, each playlist's under its name: a line per title, e.g.
// "2) Main Feature  1:42:56  29 chapters  PEVOB_1 + PEVOB_2  [main]", then an indented line
// for each video, audio and subtitle stream.
std::string titlesText(const Disc& disc);

} // namespace splitwick::cli
