#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "pes_builder.h"

// HD DVD subpicture units made from bitmaps, and synthetic streams of them that the
// elementary-stream level cuts into packets like any other stream.
namespace splitwick::maker {

// A fade step: from stm on, the colours take this contrast.
struct SpuFade {
    uint16_t stm = 0;
    std::array<uint8_t, 256> contrast{};
};

struct SpuBitmap {
    int x = 0, y = 0, width = 0, height = 0;
    std::vector<uint8_t> pixels; // width x height colour indices, row by row
};

struct SpuUnitRecipe {
    SpuBitmap bitmap;
    std::array<uint8_t, 768> palette{};  // 256 x Y, Cr, Cb
    std::array<uint8_t, 256> contrast{}; // alpha = 255 - contrast
    bool forced = false;                 // started by command 00 instead of 01
    uint16_t startStm = 0, endStm = 0;   // delays from the PTS in units of 1024 ticks
    std::vector<SpuFade> fades;
    // A broken unit: its top field's offset points past its end.
    bool fieldOutside = false;
};

// The unit's bytes in HD DVD form: 00 00, unit size, offset of the control table, the top
// field's lines, the bottom field's, then the control sequences (start with palette,
// contrast, area and field offsets; each fade; stop). Lines are coded in 8-bit RLE, colours
// below 4 with the 2-bit colour code.
Bytes spuUnit(const SpuUnitRecipe& unit);

// The pixels of lines first, first + 2, ... as the RLE of one field.
Bytes spuField(const SpuBitmap& bitmap, int first);

// Synthetic units: odd sizes, runs of every length class, colours from both codes with palette
// entry 255 opaque (and entries 204 to 254 unused, which PGS needs one of to move 255 to), a grey
// palette (Cr = Cb = 128, which every YCbCr matrix renders alike), every third unit forced, every
// fourth with two fade steps. Each lasts less than spacing.
std::vector<SpuUnitRecipe> syntheticSpus(int count, uint64_t seed, int64_t spacingTicks);

// Captions: each bitmap (its pixels grey levels, as readPgm gives them) centred near the foot of
// the 1920x1080 plane: levels below 64 a half transparent ground, the rest opaque grey. Each is
// shown from its PTS for three quarters of spacing.
std::vector<SpuUnitRecipe> captionSpus(const std::vector<SpuBitmap>& bitmaps, int64_t spacingTicks);

// Writes the units as an elementary stream and its unit list (see unit_list.h), unit i
// presented at i * spacingTicks.
void writeSpuStream(const std::vector<SpuUnitRecipe>& units, int64_t spacingTicks,
                    const std::string& esPath, const std::string& unitsPath);

} // namespace splitwick::maker
