// Output faults found by the end-to-end tests, one test each.
#include <filesystem>

#include <gtest/gtest.h>

#include "engine/job_error.h"
#include "engine/output_file.h"
#include "support/test_files.h"

namespace splitwick {
namespace {

using testing::TempFolder;

TEST(OutputFileRegression, OutputNamedByALinkToACharacterDeviceIsWrittenNotRefused) {
    // An output name that links to /dev/null discards the stream; one that links to /dev/full
    // fails as a full disk does: "Stream write error", not a refused creation.
    TempFolder folder;
    std::filesystem::create_symlink("/dev/null", folder / "discard.mpa");
    std::filesystem::create_symlink("/dev/full", folder / "full.mpa");
    const uint8_t bytes[] = {1, 2, 3};

    OpenFiles files;
    OutputFile discard(folder / "discard.mpa", files);
    discard.write(bytes, sizeof bytes);
    EXPECT_NO_THROW(discard.close());

    OutputFile full(folder / "full.mpa", files);
    full.write(bytes, sizeof bytes);
    try {
        full.close();
        ADD_FAILURE() << "closing an output on a full device succeeded";
    } catch (const JobError& e) {
        EXPECT_STREQ(e.what(), "Stream write error");
    }
}

} // namespace
} // namespace splitwick
