// A long playlist read stops at its next event point when Cancel is pressed (or the command line
// is interrupted), as a scan does.
#include "xpl_fixture.h"

namespace splitwick::testing {
namespace {

class ReadXplCancel : public XplTest {
  protected:
    ReadXplCancel() {
        // Over 5 MiB of attribute items before the title: a read stopped at 4 MiB never meets it.
        std::string items;
        while (items.size() < 5 * 1048576)
            items += "<VideoAttributeItem index=\"1\" codec=\"MPEG-2\"/>\n";
        choosePlaylist(tinyPlaylist(items, "<Video track=\"1\"/>\n"));
    }
};

TEST_F(ReadXplCancel, CancelDuringTheReadStopsItBeforeTheTitle) {
    bool passRunning = false;
    rs.onProgress = [&] {
        // The window enables Cancel while a pass runs, and a pass that writes nothing is
        // stopped without a question.
        passRunning = rs.passRunning();
        if (passRunning) rs.stop = true;
    };
    EXPECT_FALSE(read("MAIN"));
    EXPECT_TRUE(passRunning);
    EXPECT_EQ(rs.passes, std::vector<bool>{false});
    EXPECT_EQ(rs.ends, std::vector<StopReason>{StopReason::Cancelled});
    EXPECT_EQ(rs.lines.back(), "Done.");

    // Read to its end, as a new command that starts with the cancel request cleared, the same
    // file has the title.
    rs.onProgress = nullptr;
    rs.stop = false;
    EXPECT_TRUE(read("MAIN"));
    EXPECT_EQ(rs.ends.back(), StopReason::EndOfFile);
}

} // namespace
} // namespace splitwick::testing
