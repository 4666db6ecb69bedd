// An output file holds what was written, in order, however the writes were cut: through its
// buffer, or straight to the file for whole buffers' worth once what was buffered before them
// has been made a whole buffer, and whole pages past the page cache where it is asked to.
#include <algorithm>
#include <filesystem>
#include <numeric>

#include <gtest/gtest.h>

#include "engine/job_error.h"
#include "engine/output_file.h"
#include "support/test_files.h"

namespace splitwick {
namespace {

using testing::Bytes;
using testing::TempFolder;

constexpr size_t Buffer = OutputFile::BufferSize;

struct Cuts {
    const char* name;
    std::vector<size_t> lengths; // of the writes, one after another
};

const Cuts WriteCuts[] = {
    {"SmallPieces", {1, 2, 3, 4096, 7}},
    {"OneBuffer", {Buffer}},
    {"BuffersAndABit", {3 * Buffer + 5}},
    {"ABitThenBuffers", {5, 3 * Buffer}},
    {"BuffersAfterAFullBuffer", {Buffer - 5, 5, 2 * Buffer, 17}},
    {"BufferThenPieces", {Buffer, 1, Buffer + 1, 3}},
    {"AClusterAfterItsHeader", {12, 5 * Buffer + 77, 3}},
    {"ABitThenJustUnderTwoBuffers", {5, 2 * Buffer - 6, 1}},
};

class OutputFileWrites : public ::testing::TestWithParam<Cuts> {};

TEST_P(OutputFileWrites, HoldWhatWasWrittenInOrder) {
    const std::vector<size_t>& lengths = GetParam().lengths;
    const size_t size = std::accumulate(lengths.begin(), lengths.end(), size_t(0));
    // From memory that begins on a page, through the page cache and, where the filesystem
    // takes them, past it for whole pages; then bytes over the first page's.
    constexpr size_t Page = OutputFile::PageBytes;
    Bytes storage(size + Page);
    uint8_t* const source =
        storage.data() + (Page - reinterpret_cast<uintptr_t>(storage.data()) % Page) % Page;
    for (size_t i = 0; i < size; ++i)
        source[i] = uint8_t(i * 7 + i / 251);
    const Bytes over(50, 0xEE);
    for (const bool direct : {false, true}) {
        SCOPED_TRACE(direct ? "past the page cache" : "through the page cache");
        TempFolder folder;
        OpenFiles files;
        OutputFile file(folder / "out.bin", files);
        if (direct) file.appendDirectly();
        size_t at = 0;
        for (const size_t length : lengths) {
            file.write(source + at, length);
            at += length;
        }
        Bytes bytes(source, source + size);
        if (size >= 150) {
            file.writeAt(100, over.data(), over.size());
            std::copy(over.begin(), over.end(), bytes.begin() + 100);
        }
        file.close();
        EXPECT_EQ(file.stored(), size);
        EXPECT_TRUE(testing::readBytes(folder / "out.bin") == bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Cuts, OutputFileWrites, ::testing::ValuesIn(WriteCuts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OutputFileWrites, WholeBuffersOnAFullDeviceFailAsTheyAreWritten) {
    TempFolder folder;
    std::filesystem::create_symlink("/dev/full", folder / "full.mkv");
    const Bytes bytes(2 * Buffer);
    OpenFiles files;
    OutputFile full(folder / "full.mkv", files);
    try {
        full.write(bytes.data(), bytes.size());
        ADD_FAILURE() << "writing whole buffers to a full device succeeded";
    } catch (const JobError& e) {
        EXPECT_STREQ(e.what(), "Stream write error");
    }
    EXPECT_EQ(full.stored(), 0u);
}

} // namespace
} // namespace splitwick
