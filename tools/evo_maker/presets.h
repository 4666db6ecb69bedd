#pragma once
#include <cstdint>

#include "evo_maker.h"

namespace splitwick::maker {

// A split title of synthetic MPEG-2 video, DD+ audio 0 and 1, DTS-HD audio 2
// and subpicture 0, about 5 MiB per part.
Recipe splitTitleRecipe();

// A feature-like mix for benchmarks: VC-1 video in five of six packs, two DD+, one DTS-HD and
// one MLP audio stream, two subpicture streams, a navigation pack every 128 packs.
Recipe featureRecipe(int64_t size, uint64_t seed);

} // namespace splitwick::maker
