#pragma once
// A subpicture's runs as the bitmap they stand for, and back: checks compare pixels.
#include <vector>

#include "engine/subpicture.h"

namespace splitwick::testing {

// Palette indices, row by row.
inline std::vector<uint8_t> bitmapOf(const Subpicture& p) {
    std::vector<uint8_t> pixels;
    for (const PixelRun& run : p.runs)
        pixels.insert(pixels.end(), run.length, run.colour);
    return pixels;
}

// Gives p the bitmap of its width and height: a run for each pixel, as a unit may code them.
inline void setBitmap(Subpicture& p, const std::vector<uint8_t>& pixels) {
    p.runs.clear();
    p.lineEnds.clear();
    for (size_t i = 0; i < pixels.size(); ++i) {
        p.runs.push_back({pixels[i], 1});
        if ((i + 1) % size_t(p.width) == 0) p.lineEnds.push_back(uint32_t(p.runs.size()));
    }
}

} // namespace splitwick::testing
