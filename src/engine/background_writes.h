#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "output_file.h"

namespace splitwick {

// Stores an output file's bytes on a thread of its own, so that the thread making them goes on
// while the kernel copies them into the page cache (a third of a mux's time, where writing
// costs the machine more than reading). The bytes are copied into blocks that the thread
// stores in order, through the file's own write and writeAt: the file ends up as written
// directly. Whole blocks go to the disk past the page cache where the file allows it. At most
// QueueLimit bytes wait. A failure to store comes back at the next write or at finish(); what waits
// when the owner goes is dropped.
class BackgroundWrites {
  public:
    static constexpr size_t QueueLimit = 4 * 1024 * 1024;
    // Appended bytes go over in blocks of at least this much.
    static constexpr size_t BlockBytes = 1024 * 1024;

    // Until finish() only this thread touches the file.
    explicit BackgroundWrites(OutputFile& file);
    ~BackgroundWrites();
    BackgroundWrites(const BackgroundWrites&) = delete;
    BackgroundWrites& operator=(const BackgroundWrites&) = delete;

    void write(const uint8_t* data, size_t length);
    // Over bytes written before, at a position counted from the file's start.
    void writeAt(uint64_t offset, const uint8_t* data, size_t length);
    // Waits until every byte is stored and ends the thread; throws the failure, if any.
    void finish();

  private:
    // Memory that begins on a page, so that a whole block can go to the disk directly.
    template <class T> struct PageAligned {
        using value_type = T;
        PageAligned() = default;
        template <class U> PageAligned(const PageAligned<U>&) {}
        T* allocate(size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), Alignment)); }
        void deallocate(T* p, size_t) { ::operator delete(p, Alignment); }
        // Room grown is left as it is: it is copied over at once.
        template <class U> void construct(U* p) { ::new (static_cast<void*>(p)) U; }
        template <class U, class... Args> void construct(U* p, Args&&... args) {
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
        }
        bool operator==(const PageAligned&) const { return true; }
        static constexpr std::align_val_t Alignment{OutputFile::PageBytes};
    };
    using Bytes = std::vector<uint8_t, PageAligned<uint8_t>>;
    struct Block {
        std::optional<uint64_t> offset; // none: appended
        Bytes bytes;
    };

    void handOver();
    void run();

    OutputFile& file_;
    Block filling_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Block> queue_;
    std::vector<Bytes> spare_; // stored blocks' room, to be filled again
    size_t queuedBytes_ = 0;
    bool storing_ = false;  // the thread holds a block it has not stored yet
    bool stopping_ = false; // no block comes any more
    std::exception_ptr failure_;
    std::thread thread_;
};

} // namespace splitwick
