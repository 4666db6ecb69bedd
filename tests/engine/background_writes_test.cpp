// An output file stored on a thread of its own holds what was written, in order, with the bytes
// written over at their places, as one written directly; a failure to store comes back, and an
// owner that goes before the end neither hangs nor leaves the thread behind.
#include <filesystem>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "engine/background_writes.h"
#include "engine/job_error.h"
#include "support/test_files.h"

namespace splitwick {
namespace {

using testing::Bytes;
using testing::TempFolder;

// A write: appended, or over bytes written before at `at`.
struct Write {
    size_t length;
    std::optional<uint64_t> at;
};

Bytes patterned(size_t size, int seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = uint8_t(i * 7 + i / 251 + size_t(seed));
    return bytes;
}

TEST(BackgroundWrites, StoreWhatADirectWriteStores) {
    constexpr size_t Block = BackgroundWrites::BlockBytes;
    const std::vector<Write> cases[] = {
        {{5, {}}, {3, {}}, {2, 1}},                             // small, one over the first
        {{3 * Block + 11, {}}, {4, uint64_t(Block)}, {17, {}}}, // a cluster, a size, more
        {{100, {}}, {9 * Block, {}}, {8, 0}, {Block / 2, {}}},  // past the queue's limit
        {{Block - 1, {}}, {1, {}}, {1, {}}, {6, uint64_t(Block - 3)}},
    };
    for (const auto& writes : cases) {
        TempFolder folder;
        OpenFiles files;
        OutputFile direct(folder / "direct.mkv", files), behind(folder / "behind.mkv", files);
        {
            BackgroundWrites background(behind);
            int seed = 0;
            for (const Write& write : writes) {
                const Bytes bytes = patterned(write.length, ++seed);
                if (write.at) {
                    direct.writeAt(*write.at, bytes.data(), bytes.size());
                    background.writeAt(*write.at, bytes.data(), bytes.size());
                } else {
                    direct.write(bytes.data(), bytes.size());
                    background.write(bytes.data(), bytes.size());
                }
            }
            background.finish();
        }
        direct.close();
        behind.close();
        EXPECT_TRUE(testing::readBytes(folder / "direct.mkv") ==
                    testing::readBytes(folder / "behind.mkv"));
    }
}

TEST(BackgroundWrites, AFullDeviceFailsAtALaterWriteOrTheEnd) {
    TempFolder folder;
    std::filesystem::create_symlink("/dev/full", folder / "full.mkv");
    OpenFiles files;
    OutputFile full(folder / "full.mkv", files);
    BackgroundWrites background(full);
    const Bytes bytes(BackgroundWrites::BlockBytes);
    try {
        for (int i = 0; i < 64; ++i)
            background.write(bytes.data(), bytes.size());
        background.finish();
        ADD_FAILURE() << "writing to a full device succeeded";
    } catch (const JobError& e) {
        EXPECT_STREQ(e.what(), "Stream write error");
    }
}

// What fails it is a hang (the thread waited for) or, under ASan, blocks never let go of.
TEST(BackgroundWrites, AnOwnerGoneBeforeTheEndDropsWhatWaits) {
    TempFolder folder;
    OpenFiles files;
    OutputFile file(folder / "gone.mkv", files);
    const Bytes bytes(BackgroundWrites::QueueLimit / 2);
    {
        BackgroundWrites background(file);
        for (int i = 0; i < 5; ++i)
            background.write(bytes.data(), bytes.size());
    }
}

} // namespace
} // namespace splitwick
