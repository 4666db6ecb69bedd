#include "playlist/title_selection.h"
#include "playlist_writer.h"
#include "xpl_fixture.h"

namespace splitwick::testing {
namespace {

using Lines = std::vector<std::string>;

TEST(TitleSelection, CutsFromTheNearestTitleAboveToTheFirstTitleEnd) {
    MemoLines memo = memoOf({"<?xml?>", "<TitleSet>", "  <Title id=\"A\">", "  </Title>",
                             "  <title id=\"B\">", "    <Clip src=\"x/B.MAP\"/>", "  </title>",
                             "  <Title id=\"C\">", "  </Title>", "</TitleSet>"});
    cutToTitle(memo, 5);
    EXPECT_EQ(linesOf(memo),
              (Lines{"  <title id=\"B\">", "    <Clip src=\"x/B.MAP\"/>", "  </title>"}));
}

TEST(TitleSelection, TitleSetIsNoTitleAndNoTitleAboveDeletesNothingAbove) {
    MemoLines memo =
        memoOf({"<?xml?>", "<TitleSet >", "  <FirstPlayTitle>", "    <Clip src=\"x/S.MAP\"/>",
                "  </FirstPlayTitle>", "  <Title id=\"A\">", "  </Title>", "</TitleSet>"});
    cutToTitle(memo, 3);
    EXPECT_EQ(memo.size(), 7u);
    EXPECT_EQ(memo.line(6), "  </Title>");
}

TEST(TitleSelection, LineZeroAndEmptyStemNameNoEvo) {
    const MemoLines memo = memoOf({"<a src=\"x/FEATURE.MAP\">", "<b/>"});
    EXPECT_EQ(evoLine(memo, "FEATURE"), std::nullopt);
    EXPECT_EQ(evoLine(memo, ""), std::nullopt);
    EXPECT_EQ(evoLine(memo, "b"), 1u);
}

XmlElement titlePlaying(int number, const std::string& name, const std::string& stem) {
    return title(number, name, "00:10:00:00", {clip(stem, {video(1, 1)})});
}

class TitleOfTheEvo : public XplTest {
  protected:
    std::string titleFound(std::vector<XmlElement> titles, const std::string& stem) {
        choosePlaylist(
            xmlDocument(playlistRoot("DISC", {videoItem(1, "VC-1")}, std::move(titles))));
        read(stem);
        return view.tree.children(TreeBranch::Info).at(1);
    }
};

TEST_F(TitleOfTheEvo, Feature1DoesNotTakeTheTitleOfFeature10) {
    EXPECT_EQ(titleFound(
                  {titlePlaying(1, "Bonus", "FEATURE_10"), titlePlaying(2, "Feature", "FEATURE_1")},
                  "FEATURE_1"),
              "Name: Feature");
}

TEST_F(TitleOfTheEvo, StemInAnotherTitlesOnEndDoesNotTakeThatTitle) {
    XmlElement intro = titlePlaying(1, "Intro", "INTRO");
    intro.set("onEnd", "black");
    EXPECT_EQ(titleFound({intro, titlePlaying(2, "Black", "black")}, "black"), "Name: Black");
    EXPECT_EQ(view.memo.line(0).substr(0, 19), "    <Title id=\"Titl");
    EXPECT_EQ(view.memo.size(), 5u);
}

TEST_F(TitleOfTheEvo, StemThatIsNoClipNameFallsBackToTheFirstLineHoldingIt) {
    EXPECT_EQ(
        titleFound({titlePlaying(1, "Intro", "INTRO"), titlePlaying(2, "Feature", "FEATURE_1")},
                   "FEATURE"),
        "Name: Feature");
}

} // namespace
} // namespace splitwick::testing
