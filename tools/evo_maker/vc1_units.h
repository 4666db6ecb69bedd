#pragma once
#include <string>

#include "unit_list.h"

namespace splitwick::maker {

// The units of a VC-1 Advanced Profile elementary stream (SMPTE 421M Annex E), found in the
// stream itself, as ffmpeg gives a raw VC-1 stream's pictures no presentation times: a unit runs
// from the sequence header, entry point or frame start code in front of a picture to the next
// one's, key where a sequence header or entry point leads it. Pictures are presented as a
// decoder shows them (a B or BI picture at once, an I or P picture when the next I or P
// arrives), one frame apart at the rate the sequence header's display extension gives.
// Progressive pictures only; the whole stream is read into memory. Throws std::invalid_argument
// naming the file when it is no such stream.
UnitList vc1UnitList(const std::string& path);

} // namespace splitwick::maker
