#pragma once
#include <array>
#include <cstdint>

namespace splitwick {

// The streams found, by kind and index: four groups of 16 entries, numbered 1 to 64.
// -1 means no stream is known for the entry; a scan stores the stream's identifier there,
// a playlist read stores 1. At program start every entry is 0.
class StreamTable {
  public:
    static constexpr int Entries = 64;
    static constexpr int VideoFirst = 1;
    static constexpr int AudioFirst = 17;
    static constexpr int SubpictureFirst = 33;

    // Entries are numbered from 1; a number outside 1 to 64 is a programming error.
    int32_t& operator[](int entry) { return entries_.at(entry - 1); }
    int32_t operator[](int entry) const { return entries_.at(entry - 1); }

    void fill(int32_t value) { entries_.fill(value); }

  private:
    std::array<int32_t, Entries> entries_{};
};

} // namespace splitwick
