#pragma once
#include <cstddef>
#include <cstdint>

namespace splitwick {

// Where the next start code prefix 00 00 01 ends: the offset of its 0x01, at or after `from` and
// before `end`, the two zeros before it looked at too (from >= 2); `end` when there is none.
// Coded video is searched 32 bytes at a time where the processor allows it: a title's video is
// gigabytes, and the prefixes in it are few.
size_t nextStartCodePrefix(const uint8_t* data, size_t from, size_t end);

} // namespace splitwick
