#include "background_writes.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace splitwick {

BackgroundWrites::BackgroundWrites(OutputFile& file) : file_(file), thread_([this] { run(); }) {
    file_.appendDirectly();
}

BackgroundWrites::~BackgroundWrites() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundWrites::write(const uint8_t* data, size_t length) {
    if (filling_.offset) handOver();
    // A cluster of megabytes goes in blocks: one block of its size, grown by doubling and kept
    // for refilling, would hold twice its room for the rest of the run.
    while (length > 0) {
        filling_.bytes.reserve(BlockBytes);
        const size_t held = filling_.bytes.size();
        const size_t piece = std::min(length, BlockBytes - held);
        // Grown uninitialised, then copied by memcpy: an insert through the aligned allocator
        // copied 16 bytes a step, a sixth of the muxing thread's time.
        filling_.bytes.resize(held + piece);
        std::memcpy(filling_.bytes.data() + held, data, piece);
        data += piece;
        length -= piece;
        if (filling_.bytes.size() >= BlockBytes) handOver();
    }
}

void BackgroundWrites::writeAt(uint64_t offset, const uint8_t* data, size_t length) {
    handOver();
    filling_.offset = offset;
    filling_.bytes.resize(length);
    std::memcpy(filling_.bytes.data(), data, length);
    handOver();
}

void BackgroundWrites::handOver() {
    if (filling_.bytes.empty()) return;
    std::unique_lock lock(mutex_);
    // A block larger than the limit goes alone.
    changed_.wait(lock, [this] {
        return failure_ || queue_.empty() || queuedBytes_ + filling_.bytes.size() <= QueueLimit;
    });
    if (failure_) std::rethrow_exception(failure_);
    queuedBytes_ += filling_.bytes.size();
    queue_.push_back(std::move(filling_));
    filling_ = Block{};
    if (!spare_.empty()) {
        filling_.bytes = std::move(spare_.back());
        spare_.pop_back();
    }
    lock.unlock();
    changed_.notify_all();
}

void BackgroundWrites::finish() {
    handOver();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return failure_ || (queue_.empty() && !storing_); });
    if (failure_) std::rethrow_exception(failure_);
}

void BackgroundWrites::run() {
    Block block;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            if (storing_) {
                queuedBytes_ -= block.bytes.size();
                block.bytes.clear();
                spare_.push_back(std::move(block.bytes));
                storing_ = false;
                changed_.notify_all();
            }
            changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) return;
            block = std::move(queue_.front());
            queue_.pop_front();
            storing_ = true;
        }
        try {
            if (block.offset)
                file_.writeAt(*block.offset, block.bytes.data(), block.bytes.size());
            else
                file_.write(block.bytes.data(), block.bytes.size());
        } catch (...) {
            std::lock_guard lock(mutex_);
            failure_ = std::current_exception();
            queue_.clear();
            storing_ = false;
            changed_.notify_all();
            return;
        }
    }
}

} // namespace splitwick
