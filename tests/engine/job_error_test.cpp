#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

#include "engine/job_error.h"
#include "engine/lpcm_wav_file.h"

namespace splitwick {
namespace {

TEST(ErrorBoxText, GetsAFullStopWhenItsLastCharacterComesAfterTheFullStop) {
    EXPECT_EQ(errorBoxText("Stream write error"), "Stream write error.");
    EXPECT_EQ(errorBoxText("x/"), "x/.");
    EXPECT_EQ(errorBoxText("Datei gelöscht ä"), "Datei gelöscht ä.");
    EXPECT_EQ(errorBoxText("Done."), "Done.");
    EXPECT_EQ(errorBoxText("Invalid data type for 'Width'"), "Invalid data type for 'Width'");
    EXPECT_EQ(errorBoxText("(x)"), "(x)");
    EXPECT_EQ(errorBoxText(""), "");
}

// Each helper's kind, which a caller may turn into an exit code: a helper that gave another
// would send a failure of one kind out as another.
TEST(JobErrorKind, EachHelperGivesTheKindOfItsFailure) {
    const struct {
        const char* helper;
        std::function<JobError()> make;
        JobErrorKind kind;
    } cases[] = {
        {"cannotOpen", [] { return cannotOpen("A.EVO", NotRegularFile); }, JobErrorKind::Open},
        {"cannotCreate", [] { return cannotCreate("A.ac3", FileInUse); }, JobErrorKind::Create},
        {"cannotRead", [] { return cannotRead("A.EVO", systemReason(EIO)); }, JobErrorKind::Read},
        {"streamWriteError", [] { return streamWriteError("A.ac3", ENOSPC); }, JobErrorKind::Write},
        {"LpcmFormatError", [] { return JobError(LpcmFormatError("24-bit LPCM")); },
         JobErrorKind::Input},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.make().kind(), c.kind) << c.helper;
}

} // namespace
} // namespace splitwick
