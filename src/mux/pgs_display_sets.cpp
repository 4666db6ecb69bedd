#include "pgs_display_sets.h"

namespace splitwick {

namespace {

// "PG", PTS, DTS: what Matroska leaves out of each segment; then type and size.
constexpr size_t TimestampBytes = 10;
constexpr size_t HeaderBytes = TimestampBytes + 3;
constexpr uint8_t EndOfDisplaySet = 0x80;

uint32_t bigEndian(const uint8_t* bytes, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | bytes[i];
    return value;
}

} // namespace

void PgsDisplaySets::write(const uint8_t* data, size_t length) {
    pending_.insert(pending_.end(), data, data + length);
    while (pending_.size() >= HeaderBytes) {
        const size_t size = HeaderBytes + bigEndian(&pending_[11], 2);
        if (pending_.size() < size) return;
        if (set_.empty()) setPts_ = bigEndian(&pending_[2], 4);
        set_.insert(set_.end(), pending_.begin() + TimestampBytes, pending_.begin() + long(size));
        const uint8_t type = pending_[TimestampBytes];
        pending_.erase(pending_.begin(), pending_.begin() + long(size));
        if (type == EndOfDisplaySet) {
            receiver_(setPts_, set_);
            set_.clear();
        }
    }
}

} // namespace splitwick
