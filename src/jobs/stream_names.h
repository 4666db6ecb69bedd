#pragma once
#include <cstdint>
#include <string>

#include "engine/boxes.h"

namespace splitwick {

// The first part of a box caption for a stream identifier of the box's kind: "MPEG-2.stream",
// "DD+.stream", "Subpicture", ...; empty for an identifier outside the kind's ranges.
std::string VideoStreamName(int32_t id);
std::string AudioStreamName(int32_t id);
std::string SubpictureStreamName(int32_t id);

std::string streamName(BoxKind kind, int32_t id);

} // namespace splitwick
