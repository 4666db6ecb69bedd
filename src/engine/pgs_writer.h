#pragma once
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "output_file.h"
#include "subpicture.h"

namespace splitwick {

// Writes subpictures as a Blu-ray presentation graphics stream (.sup): segments "PG", PTS, DTS,
// type, size. Per subpicture a display set at its start (composition at epoch start, window,
// palette, object over as many segments as it needs, end), a palette update at each fade step
// and a clearing set at its end; a subpicture shown before the last one's end cuts that short.
class PgsWriter {
  public:
    explicit PgsWriter(StreamOutput& out) : out_(out) {}
    // The subpicture of a unit whose PTS lies `at` ticks into the title; its start is not
    // before the last one's.
    void add(const Subpicture& picture, int64_t at);
    // Writes what the last subpicture has still to do: its fade steps and its end.
    void finish() { writeTail(INT64_MAX); }

  private:
    struct Update {
        int64_t time;
        std::vector<uint8_t> palette; // the fade step's palette segment; empty: the clearing set
    };
    void writeTail(int64_t before);
    // A segment of the body's bytes and then the data's.
    void segment(int64_t time, uint8_t type, const std::vector<uint8_t>& body,
                 std::span<const uint8_t> data = {});
    std::vector<uint8_t> composition(bool epochStart, bool paletteUpdate, bool withObject) const;

    StreamOutput& out_;
    uint16_t compositionNumber_ = 0;
    uint8_t paletteVersion_ = 0;
    // What the shown subpicture's composition needs again in its later sets.
    int canvasWidth_ = 0, canvasHeight_ = 0, x_ = 0, y_ = 0, width_ = 0, height_ = 0;
    bool forced_ = false;
    std::deque<Update> tail_;
    std::vector<uint8_t> rle_; // the object's pixels, room kept from set to set
};

} // namespace splitwick
