#include "subpicture_units.h"

namespace splitwick {

namespace {

// 00 00 and a 32-bit size (HD DVD), or a 16-bit size (DVD).
constexpr size_t SizeBytes = 6;
constexpr size_t SmallestUnit = 10;
// The largest unit: a full HD plane of 8-bit pixels and its control table, with room to spare.
constexpr size_t LargestUnit = 4 << 20;

size_t unitSize(const std::vector<uint8_t>& b) {
    if (b[0] == 0 && b[1] == 0)
        return size_t(b[2]) << 24 | size_t(b[3]) << 16 | size_t(b[4]) << 8 | b[5];
    return size_t(b[0]) << 8 | b[1];
}

} // namespace

void SubpictureUnits::add(const PayloadRun& run) {
    if (!run.continuesPacket && run.pts != NoTimestamp) {
        if (open_) leftOut_(unit_.pts, "the next unit begins before its end");
        unit_.pts = run.pts;
        unit_.bytes.clear();
        open_ = true;
        size_ = 0;
    }
    // Bytes of no unit begun here (the stream met midway) are passed over.
    if (open_) take(run.data, run.length);
}

void SubpictureUnits::take(const uint8_t* data, size_t length) {
    const size_t wanted = size_ == 0 ? SizeBytes : size_;
    const size_t now = std::min(length, wanted - std::min(wanted, unit_.bytes.size()));
    unit_.bytes.insert(unit_.bytes.end(), data, data + now);
    if (size_ == 0 && unit_.bytes.size() == SizeBytes) {
        size_ = unitSize(unit_.bytes);
        if (size_ < SmallestUnit || size_ > LargestUnit) {
            leftOut_(unit_.pts, "its size is " + std::to_string(size_) + " bytes");
            open_ = false;
            return;
        }
        take(data + now, length - now);
        return;
    }
    if (size_ != 0 && unit_.bytes.size() == size_) {
        // What follows the unit in its last packet is padding.
        open_ = false;
        done_(unit_);
    }
}

void SubpictureUnits::end() {
    if (open_) leftOut_(unit_.pts, "the stream ends before it does");
    open_ = false;
}

} // namespace splitwick
