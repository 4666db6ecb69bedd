#pragma once
// What the fuzz targets share.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace splitwick::fuzz {

// A property of the target does not hold: say which, and stop as a crash does, so that libFuzzer
// keeps the input and its replay test fails.
inline void require(bool holds, const std::string& what) {
    if (holds) return;
    std::fprintf(stderr, "property failed: %s\n", what.c_str());
    std::abort();
}

// A number drawn from the input, so that a replay makes the same choices as the run that found
// it.
inline uint32_t seedOf(const uint8_t* data, size_t size) {
    uint32_t seed = 2166136261u; // FNV-1a
    for (size_t i = 0; i < size; ++i)
        seed = (seed ^ data[i]) * 16777619u;
    return seed;
}

} // namespace splitwick::fuzz
