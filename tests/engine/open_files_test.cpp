// The refusals of a file in use belong to one job's set of open files: within it an output
// may not be the source or another output, and another job's files are no concern of it.
#include <gtest/gtest.h>

#include <memory>

#include "engine/job_error.h"
#include "engine/output_file.h"
#include "engine/source_file.h"
#include "support/job_error_of.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

TEST(OpenFiles, AFileInUseIsRefusedInItsOwnJobOnly) {
    TempFolder folder;
    const std::string evo = folder / "A.EVO";
    const std::string ac3 = folder / "A.ac3";
    writeBytes(evo, Bytes(4096, 1));
    const std::string inUse = "\". The file is already in use by this job";

    OpenFiles job, otherJob;
    SourceFile source(evo, job);
    auto output = std::make_unique<OutputFile>(ac3, job);
    const struct {
        const char* what;
        std::string path;
        OpenFiles& held;
        std::string error;
    } cases[] = {
        {"the job's source", evo, job, "Cannot create file \"" + evo + inUse},
        {"another job's source", evo, otherJob, ""},
        {"the job's output", ac3, job, "Cannot create file \"" + ac3 + inUse},
        {"another job's output", ac3, otherJob, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(jobErrorOf([&] { OutputFile again(c.path, c.held); }), c.error) << c.what;
    EXPECT_EQ(jobErrorOf([&] { SourceFile again(evo, job); }), "Cannot open file \"" + evo + inUse);

    // An output that went gives its name back to its job.
    output.reset();
    EXPECT_EQ(jobErrorOf([&] { OutputFile again(ac3, job); }), "");
    EXPECT_EQ(readBytes(evo), Bytes(4096, 1));
}

} // namespace
} // namespace splitwick::testing
