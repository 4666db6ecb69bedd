// The .mkv's default and forced flags, decided over its tracks: one default audio track, of the
// default language; forced subtitles flagged, the one of the default audio's language default.
#include <gtest/gtest.h>

#include <algorithm>

#include "jobs/plan.h"

namespace splitwick::testing {
namespace {

struct Row {
    TrackKind kind;
    int number;
    const char* language;
    const char* kind_; // as the playlist gives it
};

TrackPlan trackOf(const Row& row) {
    static constexpr std::array<uint8_t, 3> FirstIds = {0xE0, 0xC0, 0x20};
    const Codec codec = row.kind == TrackKind::Video   ? Codec::H264
                        : row.kind == TrackKind::Audio ? Codec::Eac3
                                                       : Codec::Subpicture;
    const auto found = std::find_if(StreamCodecs.begin(), StreamCodecs.end(),
                                    [&](const StreamCodec& c) { return c.codec == codec; });
    const Track track{{found->field, uint8_t(FirstIds[size_t(row.kind)] + row.number)}, &*found};
    return {{track, track.label(), "", true}, "",           "",    FileForm::Raw, muxCodecOf(codec),
            {row.language, row.kind_, ""},    std::nullopt, false, false,         std::nullopt};
}

// Each track's flags: "d" default, "f" forced, "-" neither.
std::vector<std::string> flagsOf(const std::vector<TrackPlan>& tracks) {
    std::vector<std::string> flags;
    for (const TrackPlan& track : tracks) {
        const std::string text =
            std::string(track.mkvDefault ? "d" : "") + (track.mkvForced ? "f" : "");
        flags.push_back(text.empty() ? "-" : text);
    }
    return flags;
}

TEST(TrackFlags, OneDefaultAudioOfTheDefaultLanguageAndItsForcedSubtitle) {
    const std::vector<Row> title = {
        {TrackKind::Video, 0, "und", ""},
        {TrackKind::Audio, 0, "eng", "normal"},
        {TrackKind::Audio, 1, "ger", "normal"},
        {TrackKind::Audio, 2, "eng", "commentary"},
        {TrackKind::Subpicture, 0, "eng", "forced"},
        {TrackKind::Subpicture, 1, "ger", "forced"},
        {TrackKind::Subpicture, 2, "eng", "normal"},
        {TrackKind::Subpicture, 3, "eng", "forced"},
    };
    constexpr int None = -1; // no playlist's first audio stream
    const struct {
        const char* why;
        const char* language;
        int firstAudio; // its number
        std::vector<std::string> flags;
    } cases[] = {
        {"the playlist's first audio is of the language",
         "eng",
         2,
         {"d", "-", "-", "d", "df", "f", "-", "f"}},
        {"the playlist's first audio is of another",
         "ger",
         2,
         {"d", "-", "d", "-", "f", "df", "-", "f"}},
        {"no language, no playlist", "", None, {"d", "d", "-", "-", "df", "f", "-", "f"}},
        {"no audio of the language: the playlist's first",
         "fre",
         1,
         {"d", "-", "d", "-", "f", "df", "-", "f"}},
        {"no audio of the language, no playlist: the first",
         "fre",
         None,
         {"d", "d", "-", "-", "df", "f", "-", "f"}},
        {"the playlist's first was not chosen",
         "ger",
         5,
         {"d", "-", "d", "-", "f", "df", "-", "f"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        std::vector<TrackPlan> tracks;
        for (const Row& row : title)
            tracks.push_back(trackOf(row));
        std::vector<TrackPlan*> plans;
        for (TrackPlan& track : tracks)
            plans.push_back(&track);
        // Flags set before are decided anew.
        tracks.back().mkvDefault = true;
        DefaultTracks defaults{c.language, std::nullopt};
        if (c.firstAudio != None) defaults.firstAudio = TrackName{TrackKind::Audio, c.firstAudio};
        setTrackFlags(plans, defaults);
        EXPECT_EQ(flagsOf(tracks), c.flags);
    }
}

TEST(TrackFlags, NoDefaultSubtitleWithoutAudio) {
    std::vector<TrackPlan> tracks = {trackOf({TrackKind::Video, 0, "und", ""}),
                                     trackOf({TrackKind::Subpicture, 0, "eng", "forced"})};
    setTrackFlags({&tracks[0], &tracks[1]}, {"eng", std::nullopt});
    EXPECT_EQ(flagsOf(tracks), (std::vector<std::string>{"d", "f"}));
}

} // namespace
} // namespace splitwick::testing
