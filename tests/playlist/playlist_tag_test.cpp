#include <gtest/gtest.h>

#include "playlist/integer_text.h"
#include "playlist/playlist_tag.h"
#include "xpl_fixture.h"

namespace splitwick {
namespace {

TEST(IntegerText, ReadsDecimalAndHexadecimalForms) {
    EXPECT_EQ(parseInteger("12"), 12);
    EXPECT_EQ(parseInteger("   12"), 12);
    EXPECT_EQ(parseInteger("-5"), -5);
    EXPECT_EQ(parseInteger("+7"), 7);
    EXPECT_EQ(parseInteger("$1F"), 31);
    EXPECT_EQ(parseInteger("0x1f"), 31);
    EXPECT_EQ(parseInteger("-$10"), -16);
    EXPECT_EQ(parseInteger("2147483647"), INT32_MAX);
    EXPECT_EQ(parseInteger("-2147483648"), INT32_MIN);
}

TEST(IntegerText, RejectsWhatIsNotWhollyANumber) {
    for (const char* text : {"", " ", "-", "$", "0x", "12abc", "1 ", "1.5", "+-1", "$G",
                             "2147483648", "-2147483649", "0x100000000"})
        EXPECT_EQ(parseInteger(text), std::nullopt) << text;
}

TEST(IntegerText, StrictConversionNamesTheText) {
    EXPECT_EQ(strictInteger(" 8"), 8);
    EXPECT_EQ(testing::jobErrorOf([] { strictInteger("abc"); }),
              "'abc' is not a valid integer value");
    EXPECT_EQ(testing::jobErrorOf([] { strictInteger(""); }), "'' is not a valid integer value");
}

std::string attrText(const std::string& line, const std::string& name,
                     std::string holder = "kept") {
    keepLabelText(PlaylistTag(line), name, holder);
    return holder;
}

TEST(LabelText, FindsTheNameInAnyCaseAndKeepsTheValueAsWritten) {
    EXPECT_EQ(attrText(R"(<AudioAttributeItem CODEC="dd+" Index="2"/>)", "codec"), "dd+");
    EXPECT_EQ(attrText(R"(<AudioAttributeItem CODEC="dd+" Index="2"/>)", "INDEX"), "2");
    EXPECT_EQ(attrText(R"(<Audio description = "Français"/>)", "description"), "Français");
}

TEST(LabelText, LeavesTheHolderAloneWhenTheNameIsAbsent) {
    EXPECT_EQ(attrText(R"(<Chapter titleTimeBegin="00:00:00:00"/>)", "displayName"), "kept");
}

TEST(LabelText, MatchesInsideALongerWord) {
    // "index" is found in "subindex" first.
    EXPECT_EQ(attrText(R"(<X subindex="7" index="1"/>)", "index"), "7");
}

TEST(LabelText, ValueMustCloseWithin255CharactersOfTheName) {
    // '="' + value + '"' behind the name: 255 characters fit, 256 do not.
    const std::string fits(252, 'x');
    const std::string tooLong(253, 'x');
    EXPECT_EQ(attrText("<A description=\"" + fits + "\"/>", "description"), fits);
    EXPECT_EQ(attrText("<A description=\"" + tooLong + "\"/>", "description"), "");
}

TEST(LabelNumber, GivesZeroForAbsentOrBadValues) {
    EXPECT_EQ(
        PlaylistTag(R"(<Audio streamNumber="11" mediaAttr="2"/>)").labelNumber("streamNumber"), 11);
    EXPECT_EQ(PlaylistTag(R"(<Audio streamNumber="11"/>)").labelNumber("mediaAttr"), 0);
    EXPECT_EQ(PlaylistTag(R"(<Audio streamNumber="one"/>)").labelNumber("streamNumber"), 0);
    EXPECT_EQ(PlaylistTag(R"(<Audio streamNumber="99999999999"/>)").labelNumber("streamNumber"), 0);
}

// Where the labels' reading of a tag and its XML reading part: the labels keep theirs, the
// title's facts (times, languages, clips) take the XML one.
TEST(PlaylistTag, LabelsAndXmlReadTheseAttributesDifferently) {
    struct Case {
        std::string tag;
        const char* name;
        std::optional<std::string> labels, xml;
    };
    const std::string far(300, 'x');
    const std::vector<Case> cases = {
        // A name that ends another is found in the longer one first.
        {R"(<Audio audioDescription="Dub" description="Main"/>)", "description", "Dub", "Main"},
        {R"(<Audio substreamNumber="5" streamNumber="2"/>)", "streamNumber", "5", "2"},
        // A name inside another attribute's value takes what follows up to the next quote.
        {R"(<Audio title="description=&quot;x" description="Main"/>)", "description",
         " description=", "Main"},
        // Single quotes, or none, give an empty value to the labels.
        {"<Audio description='English'/>", "description", "", "English"},
        {"<Audio description=English/>", "description", "", std::nullopt},
        // Letter case counts for XML only.
        {R"(<Audio DESCRIPTION="Loud"/>)", "description", "Loud", std::nullopt},
        // Character references are resolved for XML only.
        {R"(<Audio description="A &amp; B"/>)", "description", "A &amp; B", "A & B"},
        // The labels look no further than 255 characters behind the name.
        {"<Audio description=\"" + far + "\"/>", "description", "", far},
        // Both agree: nothing for an absent attribute, spaces around "=".
        {R"(<Audio streamNumber="1"/>)", "description", std::nullopt, std::nullopt},
        {R"(<Audio description = "Français"/>)", "description", "Français", "Français"},
    };
    for (const Case& c : cases) {
        const PlaylistTag tag(c.tag);
        EXPECT_EQ(tag.labelText(c.name), c.labels) << c.tag;
        EXPECT_EQ(tag.attribute(c.name), c.xml) << c.tag;
    }
}

} // namespace
} // namespace splitwick
