#pragma once
#include <cstddef>
#include <cstdint>

#include "pack_scanner.h"

namespace splitwick {

// Counts the frame start codes of the codec that lie wholly inside one run: MPEG-2
// picture_start_code 00 00 01 00, H.264 access unit delimiter 00 00 01 09, VC-1 frame start
// code 00 00 01 0D. Nothing is carried between runs, so a start code split over two runs is
// not counted.
int32_t countFrames(const uint8_t* data, size_t length, VideoCodec codec);

} // namespace splitwick
