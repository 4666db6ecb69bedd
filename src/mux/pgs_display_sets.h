#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "engine/output_file.h"

namespace splitwick {

// Takes the segments of a PGS stream as the PGS writer writes them ("PG", PTS, DTS, type,
// size, data) and hands out each display set, from its composition to its end segment, as a
// Matroska block holds it: the segments without their "PG" and timestamps, timed by the first.
class PgsDisplaySets : public StreamOutput {
  public:
    using Receiver = std::function<void(int64_t pts, std::span<const uint8_t> set)>;

    explicit PgsDisplaySets(Receiver receiver) : receiver_(std::move(receiver)) {}

    void write(const uint8_t* data, size_t length) override;
    // Nothing is stored: the sets have gone out as they ended.
    void store() override {}
    void moveIntoPlace() override {}

  private:
    Receiver receiver_;
    std::vector<uint8_t> pending_; // the segment not yet whole
    std::vector<uint8_t> set_;     // kept between sets: its room is reused
    int64_t setPts_ = 0;
};

} // namespace splitwick
