#pragma once
#include <cstddef>
#include <cstdint>

namespace splitwick {

// A pass reads its source in chunks of this size.
constexpr size_t BufferSize = 32768;
// Bytes readable past the end of every chunk a pass hands on, and so past every payload
// run: libavcodec's parsers read up to this far past the bytes they are given.
constexpr size_t ReadPadding = 64;
constexpr int64_t MiB = 1048576;
// A pass over a file shows its progress each time its position reaches a multiple of this.
constexpr int64_t ProgressStep = 4 * MiB;

} // namespace splitwick
