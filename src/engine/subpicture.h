#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <vector>

namespace splitwick {

// The planes subpictures are shown on: HD DVD's, and the DVD's at its taller (625-line) size.
inline constexpr int HdPlaneWidth = 1920, HdPlaneHeight = 1080;
inline constexpr int DvdPlaneWidth = 720, DvdPlaneHeight = 576, DvdShortPlaneHeight = 480;

// One colour of a subpicture's palette: Y, Cr, Cb as the unit gives them, alpha = 255 - contrast.
struct SubpictureColour {
    uint8_t y = 16, cr = 128, cb = 128, alpha = 0;
    bool operator==(const SubpictureColour&) const = default;
};

// From this delay on, the colours take these alphas: a sequence of the control table that only
// changes the contrast.
struct FadeStep {
    int64_t delay = 0; // ticks from the unit's PTS
    std::array<uint8_t, 256> alpha{};
};

// A stretch of one palette index along a line of the bitmap.
struct PixelRun {
    uint8_t colour = 0;
    uint16_t length = 0; // an area is at most 4096 wide
    bool operator==(const PixelRun&) const = default;
};

// What one subpicture unit shows: its bitmap where and while it is shown.
struct Subpicture {
    int64_t start = 0;          // ticks from the unit's PTS: STM x 1024
    std::optional<int64_t> end; // none: shown until the next unit
    bool forced = false;        // started by the forced-start command
    bool dvdForm = false;       // 2-bit pixels with a grey palette standing in
    int x = 0, y = 0, width = 0, height = 0;
    // The bitmap as runs, kept as the unit codes it: writing it again costs a step per run, not
    // per pixel. Line after line, top to bottom; each line's runs fill its width.
    std::vector<PixelRun> runs;
    std::vector<uint32_t> lineEnds; // one per line: where its runs end
    std::array<SubpictureColour, 256> palette{};
    std::vector<FadeStep> fades; // in time order, after the start
};

// Why a unit cannot be shown; what() is the reason as a log line ends with it.
class SubpictureError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Parses one whole unit, in HD DVD form (00 00, 32-bit size and offsets, 8-bit RLE, its own
// 256-colour palette) or in DVD form (16-bit size and offsets, 2-bit RLE, colours from a palette
// outside the stream, shown in greys). Throws SubpictureError for a unit that breaks its own
// sizes, offsets or fields, has a control table that loops, has nothing to show, or shows it
// outside its plane.
Subpicture parseSubpicture(std::span<const uint8_t> unit);
// The same into `out`, whose room for the bitmap is used again.
void parseSubpicture(std::span<const uint8_t> unit, Subpicture& out);

} // namespace splitwick
