// The splitwick program's own command line, run as a user runs it.
#include <gtest/gtest.h>

#include "support/process.h"
#include "version.h"

namespace splitwick::testing {
namespace {

const std::string Window = SPLITWICK_WINDOW;

// Without any display, as over ssh: the toolkit could not start.
ProcessResult withoutDisplay(const std::string& option) {
    return runProcess({"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u",
                       "QT_QPA_PLATFORM", Window, option});
}

// Both aborted in the toolkit, which found no display to connect to.
TEST(WindowProgram, VersionAndHelpAnswerWithoutADisplay) {
    for (const std::string option : {"--version", "-V"}) {
        const auto r = withoutDisplay(option);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, std::string("splitwick ") + Version + "\n" + LicenceNotice);
    }
    for (const std::string option : {"--help", "-h"}) {
        const auto r = withoutDisplay(option);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out.rfind("Usage: splitwick [OPTION]... [FILE.EVO | FILE.XPL | DISC]\n", 0), 0u)
            << r.out;
    }
}

// An unknown option was taken for the file to start with, and the window opened.
TEST(WindowProgram, UnknownOptionExitsWith2InsteadOfOpeningTheWindow) {
    const auto r = runProcess({"/usr/bin/env", "QT_QPA_PLATFORM=offscreen", Window, "--bogus=1"});
    EXPECT_EQ(r.exitCode, 2);
    // After whatever the toolkit says of its start.
    EXPECT_NE(r.err.find("splitwick: Unknown option '--bogus'\n"
                         "Try 'splitwick --help' for more information.\n"),
              std::string::npos)
        << r.err;
}

} // namespace
} // namespace splitwick::testing
