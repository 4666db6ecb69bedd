// How a track's clock times its frames from their timestamps, from the frames before, and across
// damaged and jumping timestamps.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "mux/track_clock.h"

namespace splitwick::testing {
namespace {

using Kind = TrackClock::Kind;
constexpr int64_t F = 3600;   // a picture at 25 frames a second
constexpr int64_t Ac3 = 2880; // 1536 samples at 48 kHz
constexpr int64_t S = 90000;  // a second
constexpr int64_t Wild = 4'000'000'000;
const std::optional<int64_t> None;
constexpr CountLength Picture{1, 25};
constexpr CountLength Sample{1, 48000};

ClockFrame pic(std::optional<int64_t> pts, std::optional<int64_t> dts = std::nullopt,
               std::optional<int64_t> shownAfter = std::nullopt) {
    return {pts, dts, 1, shownAfter};
}
ClockFrame ac3(std::optional<int64_t> pts) {
    return {pts, std::nullopt, 1536};
}

// Each frame timed with those behind it in view, as the sink hands them.
std::vector<std::optional<BlockTime>> timed(TrackClock& clock,
                                            const std::vector<ClockFrame>& frames) {
    std::vector<std::optional<BlockTime>> out;
    for (size_t i = 0; i < frames.size(); ++i) {
        const size_t end = std::min(frames.size(), i + 1 + TrackClock::LookAhead);
        out.push_back(clock.next(frames[i], std::span(frames.data() + i + 1, end - i - 1)));
    }
    return out;
}

TEST(TrackClock, TimesFramesFromTheirStampsAndMendsDamage) {
    const struct {
        const char* name;
        Kind kind;
        CountLength length;
        std::vector<ClockFrame> frames;
        std::vector<std::optional<BlockTime>> times;
    } rows[] = {
        {"audio frames behind the first of a packet go on by their length",
         Kind::Audio,
         Sample,
         {ac3(0), ac3(None), ac3(None), ac3(3 * Ac3)},
         {BlockTime{0, 0, Ac3}, BlockTime{Ac3, Ac3, Ac3}, BlockTime{2 * Ac3, 2 * Ac3, Ac3},
          BlockTime{3 * Ac3, 3 * Ac3, Ac3}}},
        {"audio before its first timestamp has no time",
         Kind::Audio,
         Sample,
         {ac3(None), ac3(Ac3)},
         {std::nullopt, BlockTime{Ac3, Ac3, Ac3}}},
        {"video whose first stamp lies hours before the title's start is placed from 0 on",
         Kind::Video,
         Picture,
         {pic(-Wild), pic(None), pic(3 * F)},
         {BlockTime{0, -F, F}, BlockTime{F, 0, F}, BlockTime{3 * F, 3 * F, F}}},
        {"video that begins seconds before the title's start keeps its stamps",
         Kind::Video,
         Picture,
         {pic(-3 * S), pic(None), pic(-3 * S + 2 * F)},
         {BlockTime{-3 * S, -3 * S, F}, BlockTime{-3 * S + F, -3 * S + F, F},
          BlockTime{-3 * S + 2 * F, -3 * S + 2 * F, F}}},
        {"audio whose first stamp lies hours before the title's start waits for one that holds",
         Kind::Audio,
         Sample,
         {ac3(-Wild), ac3(None), ac3(2 * Ac3), ac3(None)},
         {std::nullopt, std::nullopt, BlockTime{2 * Ac3, 2 * Ac3, Ac3},
          BlockTime{3 * Ac3, 3 * Ac3, Ac3}}},
        {"video B-frames presented before the frame decoded first",
         Kind::Video,
         Picture,
         {pic(2 * F, -F), pic(0), pic(F)},
         {BlockTime{2 * F, -F, F}, BlockTime{0, 0, F}, BlockTime{F, F, F}}},
        {"video without any timestamp is decoded from a frame before 0 and shown from 0",
         Kind::Video,
         Picture,
         {pic(None), pic(None)},
         {BlockTime{0, -F, F}, BlockTime{F, 0, F}}},
        {"video without timestamps shown in the order its pictures give",
         Kind::Video,
         Picture,
         {pic(None, None, 3), pic(None, None, 0), pic(None, None, 0), pic(None, None, 3),
          pic(None, None, 0), pic(None, None, 0)},
         {BlockTime{2 * F, -F, F}, BlockTime{0, 0, F}, BlockTime{F, F, F},
          BlockTime{5 * F, 2 * F, F}, BlockTime{3 * F, 3 * F, F}, BlockTime{4 * F, 4 * F, F}}},
        {"a picture whose order shows it after pictures that never come is shown at a free time",
         Kind::Video,
         Picture,
         {pic(None, None, 3), pic(None, None, 0), pic(None, None, 0), pic(None, None, 12)},
         {BlockTime{2 * F, -F, F}, BlockTime{0, 0, F}, BlockTime{F, F, F},
          BlockTime{3 * F, 2 * F, F}}},
        {"a picture's order that shows it past the picture buffer is damage",
         Kind::Video,
         Picture,
         {pic(0), pic(None, None, 1000), pic(2 * F)},
         {BlockTime{0, 0, F}, BlockTime{F, F, F}, BlockTime{2 * F, 2 * F, F}}},
        {"a repeated timestamp moves on by a tick",
         Kind::Audio,
         Sample,
         {{100, None, 0}, {100, None, 0}},
         {BlockTime{100, 100, 0}, BlockTime{101, 101, 0}}},
        {"one DTS gone back a second: that picture takes the clock's time, those behind theirs",
         Kind::Video,
         Picture,
         {pic(F, 0), pic(2 * F, F), pic(3 * F, 2 * F - S), pic(4 * F, 3 * F), pic(5 * F, 4 * F)},
         {BlockTime{F, 0, F}, BlockTime{2 * F, F, F}, BlockTime{3 * F, 2 * F, F},
          BlockTime{4 * F, 3 * F, F}, BlockTime{5 * F, 4 * F, F}}},
        {"a wild audio PTS takes the clock's time",
         Kind::Audio,
         Sample,
         {ac3(0), ac3(Ac3), ac3(2 * Ac3 + Wild), ac3(3 * Ac3)},
         {BlockTime{0, 0, Ac3}, BlockTime{Ac3, Ac3, Ac3}, BlockTime{2 * Ac3, 2 * Ac3, Ac3},
          BlockTime{3 * Ac3, 3 * Ac3, Ac3}}},
        {"three damaged in a row, each retimed",
         Kind::Audio,
         Sample,
         {ac3(0), ac3(5 * S), ac3(-7 * S), ac3(Wild), ac3(4 * Ac3)},
         {BlockTime{0, 0, Ac3}, BlockTime{Ac3, Ac3, Ac3}, BlockTime{2 * Ac3, 2 * Ac3, Ac3},
          BlockTime{3 * Ac3, 3 * Ac3, Ac3}, BlockTime{4 * Ac3, 4 * Ac3, Ac3}}},
        {"a wild PTS beside a sound DTS: shown when no picture around it is",
         Kind::Video,
         Picture,
         {pic(3 * F, 0), pic(F), pic(2 * F), pic(Wild, 3 * F), pic(4 * F), pic(5 * F),
          pic(9 * F, 6 * F)},
         {BlockTime{3 * F, 0, F}, BlockTime{F, F, F}, BlockTime{2 * F, 2 * F, F},
          BlockTime{6 * F, 3 * F, F}, BlockTime{4 * F, 4 * F, F}, BlockTime{5 * F, 5 * F, F},
          BlockTime{9 * F, 6 * F, F}}},
        {"stamps that restart for good: the track goes on where it was",
         Kind::Audio,
         Sample,
         {ac3(S), ac3(S + Ac3), ac3(0), ac3(Ac3), ac3(2 * Ac3), ac3(3 * Ac3)},
         {BlockTime{S, S, Ac3}, BlockTime{S + Ac3, S + Ac3, Ac3},
          BlockTime{S + 2 * Ac3, S + 2 * Ac3, Ac3}, BlockTime{S + 3 * Ac3, S + 3 * Ac3, Ac3},
          BlockTime{S + 4 * Ac3, S + 4 * Ac3, Ac3}, BlockTime{S + 5 * Ac3, S + 5 * Ac3, Ac3}}},
        {"a first audio stamp the stamps behind it do not follow is damage",
         Kind::Audio,
         Sample,
         {ac3(Wild), ac3(Ac3), ac3(2 * Ac3), ac3(3 * Ac3)},
         {std::nullopt, BlockTime{Ac3, Ac3, Ac3}, BlockTime{2 * Ac3, 2 * Ac3, Ac3},
          BlockTime{3 * Ac3, 3 * Ac3, Ac3}}},
        {"a first picture decoded long after it is shown: its stamps are damage",
         Kind::Video,
         Picture,
         {pic(0, Wild), pic(2 * S, 2 * S - F), pic(10 * S, 10 * S - F), pic(None)},
         {BlockTime{0, -F, F}, BlockTime{2 * S, 2 * S - F, F}, BlockTime{2 * S + F, 2 * S, F},
          BlockTime{2 * S + 2 * F, 2 * S + F, F}}},
        {"a last picture decoded long after it is shown, nothing behind it: damage",
         Kind::Video,
         Picture,
         {pic(None), pic(0, Wild)},
         {BlockTime{0, -F, F}, BlockTime{F, 0, F}}},
        {"pictures decoded long after they are shown tell nothing of the stamps before them",
         Kind::Video,
         Picture,
         {pic(F, 0), pic(2 * F, Wild), pic(None), pic(2 * F, Wild), pic(None), pic(2 * F, Wild)},
         {BlockTime{F, 0, F}, BlockTime{2 * F, F, F}, BlockTime{3 * F, 2 * F, F},
          BlockTime{4 * F, 3 * F, F}, BlockTime{5 * F, 4 * F, F}, BlockTime{6 * F, 5 * F, F}}},
        {"a first picture's stamp the stamps behind it do not follow is damage",
         Kind::Video,
         Picture,
         {pic(Wild, Wild), pic(2 * F, F), pic(3 * F, 2 * F), pic(4 * F, 3 * F)},
         {BlockTime{0, -F, F}, BlockTime{2 * F, F, F}, BlockTime{3 * F, 2 * F, F},
          BlockTime{4 * F, 3 * F, F}}},
        {"a jump at the end with one frame behind it is still a jump",
         Kind::Video,
         Picture,
         {pic(0), pic(F), pic(10 * S), pic(None), pic(10 * S + 2 * F)},
         {BlockTime{0, 0, F}, BlockTime{F, F, F}, BlockTime{2 * F, 2 * F, F},
          BlockTime{3 * F, 3 * F, F}, BlockTime{4 * F, 4 * F, F}}},
        {"subtitles take their stamps however far apart",
         Kind::Subtitle,
         {},
         {{0, 0, 0}, {600 * S, 600 * S, 0}},
         {BlockTime{0, 0, 0}, BlockTime{600 * S, 600 * S, 0}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TrackClock clock(row.kind, row.length);
        const auto times = timed(clock, row.frames);
        ASSERT_EQ(times.size(), row.times.size());
        for (size_t i = 0; i < times.size(); ++i) {
            ASSERT_EQ(times[i].has_value(), row.times[i].has_value()) << "frame " << i;
            if (!times[i]) continue;
            EXPECT_TRUE(*times[i] == *row.times[i]) << "frame " << i << ": " << times[i]->pts << " "
                                                    << times[i]->dts << " " << times[i]->duration;
        }
    }
}

TEST(TrackClock, CountsPicturesInExactFractions) {
    // 1001/24000 s is 3753.75 ticks: four thousand pictures without a stamp end where the
    // exact sum does, not 3 s early (3753 ticks) or late (3754).
    TrackClock clock(Kind::Video, {1001, 24000});
    std::optional<BlockTime> last;
    for (int i = 0; i < 4000; ++i)
        last = clock.next(pic(None), {});
    ASSERT_TRUE(last);
    EXPECT_EQ(last->pts, 3999 * 3753 + 3999 * 3 / 4);
    EXPECT_EQ(last->dts, 3998 * 3753 + 3998 * 3 / 4);
}

TEST(TrackClock, WaitsForTheFramesThatTellDamageFromAJump) {
    TrackClock clock(Kind::Audio, Sample);
    clock.next(ac3(0), {});
    const ClockFrame stray = ac3(Ac3 + 10 * S);
    const std::vector<ClockFrame> following{ac3(None), ac3(Ac3 * 3 + 10 * S)};
    EXPECT_FALSE(clock.strays(ac3(Ac3)));
    EXPECT_TRUE(clock.strays(stray));
    EXPECT_TRUE(clock.undecided(stray, following, false));
    EXPECT_FALSE(clock.undecided(stray, following, true));
    const std::vector<ClockFrame> agreeing{ac3(2 * Ac3)};
    EXPECT_FALSE(clock.undecided(stray, agreeing, false));
}

TEST(TrackClock, SaysWhatItMended) {
    TrackClock video(Kind::Video, Picture);
    timed(video, {pic(0), pic(F), pic(Wild), pic(Wild + S), pic(4 * F), pic(3700 * S)});
    EXPECT_EQ(video.damageLine("VC-1 video stream 0"),
              "VC-1 video stream 0: 3 pictures with damaged time stamps near 0:00:00 retimed");
    EXPECT_EQ(video.jumpLine("VC-1 video stream 0"), "");

    TrackClock audio(Kind::Audio, Sample);
    std::vector<ClockFrame> frames;
    for (int i = 0; i < 2000; ++i)
        frames.push_back(ac3(i < 1000 ? i * Ac3 : (i - 1000) * Ac3));
    timed(audio, frames);
    EXPECT_EQ(audio.damageLine("DD+ audio stream 0"), "");
    EXPECT_EQ(audio.jumpLine("DD+ audio stream 0"),
              "DD+ audio stream 0: its time stamps jump by -32.000 s near 0:00:32; the track "
              "goes on where it was");
}

} // namespace
} // namespace splitwick::testing
