#include <gtest/gtest.h>

#include "engine/job_error.h"

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

} // namespace
} // namespace splitwick
