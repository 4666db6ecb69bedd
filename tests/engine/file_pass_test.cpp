// A pass's chunks are followed by readable bytes: libavcodec's parsers, given a payload run at a
// chunk's end, read up to ReadPadding bytes past it (found by ThreadSanitizer's memcpy check as a
// read of freed memory past the pass's buffer).
#include <gtest/gtest.h>

#include "engine/file_pass.h"
#include "support/recording_events.h"
#include "support/test_files.h"

namespace splitwick {
namespace {

using testing::Bytes;
using testing::TempFolder;

TEST(FilePassRegression, EveryChunkIsFollowedByPaddingTheParsersMayRead) {
    TempFolder folder;
    // Two chunks, the second short, of bytes that are never zero.
    testing::writeBytes(folder / "in.EVO", Bytes(BufferSize + 1000, 0xA5));
    testing::RecordingEvents events;
    OpenFiles files;
    FilePass pass(events, std::make_unique<SourceFile>(folder / "in.EVO", files), false, {});
    const std::span<uint8_t> first = pass.next();
    ASSERT_EQ(first.size(), BufferSize);
    const Bytes after(first.data() + first.size(), first.data() + first.size() + ReadPadding);
    EXPECT_EQ(after, Bytes(ReadPadding, 0));
    const std::span<uint8_t> second = pass.next();
    ASSERT_EQ(second.size(), 1000u);
    // Past the short chunk's bytes lie the first's, then the padding: all readable.
    EXPECT_EQ(second.data(), first.data());
    EXPECT_TRUE(pass.next().empty());
}

} // namespace
} // namespace splitwick
