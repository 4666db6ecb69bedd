// What a read of a playlist that is not XML costs in memory, counted by the allocations made
// while it runs: the peak above the start, against the file's size.
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "xpl_fixture.h"

namespace {

std::atomic<int64_t> allocatedBytes{0};
std::atomic<int64_t> peakBytes{0};

void count(int64_t change) {
    const int64_t now = allocatedBytes += change;
    int64_t peak = peakBytes.load();
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
    }
}

} // namespace

void* operator new(size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) throw std::bad_alloc();
    count(int64_t(malloc_usable_size(block)));
    return block;
}

// std::stable_sort's buffer comes from this form: it must meet the same delete.
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block != nullptr) count(int64_t(malloc_usable_size(block)));
    return block;
}

void operator delete(void* block) noexcept {
    if (block == nullptr) return;
    count(-int64_t(malloc_usable_size(block)));
    std::free(block);
}

void operator delete(void* block, size_t) noexcept {
    operator delete(block);
}

namespace splitwick::testing {
namespace {

class PlaylistMemory : public XplTest {
  protected:
    // The most the read of this playlist held at once beyond what was held before it, per byte
    // of the file. The goal: a 4 MiB playlist in 64 MiB.
    double peakPerByte(const std::string& text, const std::string& evoName) {
        choosePlaylist(text);
        const int64_t before = allocatedBytes;
        peakBytes = before;
        read(evoName);
        return double(peakBytes - before) / double(text.size());
    }
};

constexpr size_t FileSize = 1 << 20;
constexpr double MostPerByte = 16;

TEST_F(PlaylistMemory, UnclosedAngleBracketsKeptEveryLineIndentedTwice) {
    // 100 elements opened, then a line of indentation only for every ">".
    const std::string text = std::string(100, '<') + std::string(FileSize - 100, '>');
    EXPECT_LT(peakPerByte(text, "MAIN"), MostPerByte);
    ASSERT_EQ(view.memo.size(), FileSize - 100);
    EXPECT_EQ(view.memo.line(FileSize - 101), std::string(128, ' '));
}

TEST_F(PlaylistMemory, TitleLinesWithoutAttributesRepeatedTheLongOnesBefore) {
    // Every "<TITLE >" and "<CHAPTER >" adds tree children that repeat the names and times of
    // the long tags before it.
    const std::string longValue(250, 'x');
    std::string text = "<Playlist><Title displayName=\"" + longValue + "\" titleDuration=\"" +
                       longValue + "\"><Clip src=\"x/MAIN.MAP\"/><Chapter displayName=\"" +
                       longValue + "\" titleTimeBegin=\"" + longValue + "\"/>";
    while (text.size() < FileSize)
        text += "<TITLE ><CHAPTER >";
    EXPECT_LT(peakPerByte(text, "MAIN"), MostPerByte);
    EXPECT_EQ(view.tree.children(TreeBranch::Chapter).size(), PlaylistTree::MaxChildren);
    EXPECT_EQ(view.tree.children(TreeBranch::Chapter).back(), longValue + ": " + longValue);
}

} // namespace
} // namespace splitwick::testing
