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

TEST_F(ReadXplCancel, CancelAtThe4MiBPointStopsTheReadBeforeTheTitle) {
    bool cancelEnabled = false;
    rs.events.onPump = [&] {
        cancelEnabled = rs.controls.buttonEnabled(Button::Cancel);
        if (cancelEnabled) rs.state().Cancelled = true;
    };
    EXPECT_FALSE(read("MAIN"));
    EXPECT_EQ(rs.events.pumps, 1);
    EXPECT_TRUE(cancelEnabled);
    EXPECT_TRUE(rs.state().Cancelled);
    EXPECT_FALSE(rs.controls.buttonEnabled(Button::Cancel));
    EXPECT_EQ(rs.lines().back(), "Done.");
    EXPECT_TRUE(rs.controls.buttonEnabled(Button::ReadXPL));

    // Read to its end, the same file has the title.
    rs.events.onPump = nullptr;
    EXPECT_TRUE(read("MAIN"));
    EXPECT_FALSE(rs.state().Cancelled);
}

} // namespace
} // namespace splitwick::testing
