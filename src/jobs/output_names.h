#pragma once
#include <cstddef>
#include <string>

#include "engine/track.h"

namespace splitwick {

// The longest name a file may have, in bytes.
constexpr size_t MaxFileNameBytes = 255;

// A file name part taken from a label or an extension, which a playlist may fill with
// anything: "/" would lead out of the output folder, and control characters (C0, DEL, C1),
// bidirectional embeddings, overrides and isolates and bytes that are not UTF-8 would hide or
// disguise what the name says. Each such character, or stray byte, becomes "_".
std::string safeNamePart(const std::string& part);

// prefix "." label, the label made safe: the stem of a track's output files. When the longest
// of them (the stem, ".", an extension of longestExtension bytes) would be longer than a file
// name may be, the label is cut and the track's number (".00") put behind it, so that the job
// fails for no such name and each track's files keep names of their own.
std::string trackOutputStem(const std::string& prefix, const std::string& label, TrackName name,
                            size_t longestExtension);

} // namespace splitwick
