#pragma once
#include <cstddef>
#include <cstdint>

namespace splitwick::maker {

// Deterministic pseudo-random numbers and payload bytes. Filler bytes are never 0x00, so they
// can hold no 00 00 01 prefix: a scan meets start codes only where the maker puts them.
class Filler {
  public:
    explicit Filler(uint64_t seed) : state_(seed) {}

    uint64_t next(); // splitmix64
    // A number from 0 to bound - 1; bound above 0.
    uint32_t below(uint32_t bound) { return static_cast<uint32_t>(next() % bound); }
    void fill(uint8_t* out, size_t length);

  private:
    uint64_t state_;
};

} // namespace splitwick::maker
