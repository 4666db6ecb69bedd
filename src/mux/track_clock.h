#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>

namespace splitwick {

// When a block of a track plays and is decoded, in ticks on the title's timeline, and how long
// it lasts.
struct BlockTime {
    int64_t pts;
    int64_t dts;
    int64_t duration;
    bool operator==(const BlockTime&) const = default;
};

// A frame as its track's clock takes it, in decoding order: the timestamps of the packet it
// began in (on the title's timeline), how far it moves the clock, and for an MPEG-2 picture
// how many frames after its decoding it is shown (from its temporal_reference).
struct ClockFrame {
    std::optional<int64_t> pts, dts;
    int64_t counts = 1; // video: 1 picture; audio: its samples; subtitles: 0
    std::optional<int64_t> framesShownAfter = std::nullopt;
};

// Seconds per count as a fraction: a picture's length (1001/24000), a sample's (1/48000).
struct CountLength {
    int64_t numerator = 0;
    int64_t denominator = 1;
};

// One track's clock, from its first frame to the file's end. Frames are counted in exact
// fractions from the last timestamp taken, so a title of any length does not drift. A frame
// takes its timestamps when they agree with the clock; one without goes on from the frame
// before. A track's or part's first timestamp is damage when the stamped frames behind it go
// elsewhere. A timestamp more than a second off the clock is damage when a frame behind it agrees
// with the clock again (that frame takes the clock's time), a jump when those behind it follow
// the new time (the clock goes on where it was and takes the stamps shifted by the jump); a
// picture behind it shown before its decoding, or long after, tells neither.
// Subtitles take their timestamps as they come.
class TrackClock {
  public:
    enum class Kind { Video, Audio, Subtitle };
    // Frames behind a stray one that tell damage from a jump at most: a few frames' worth.
    static constexpr size_t LookAhead = 16;
    // Pictures around one that may be shown before it: how far a free time is looked for.
    static constexpr size_t ReorderSpan = 16;

    TrackClock(Kind kind, CountLength length) : kind_(kind), length_(length) {}

    // True when the frame cannot be timed without the frames behind it: its timestamps are too
    // far off the clock, or its order shows it after pictures still to come.
    bool strays(const ClockFrame& frame) const;
    // True when a frame that strays has too few frames behind it to tell damage from a jump;
    // `ended`: no more will come.
    bool undecided(const ClockFrame& frame, std::span<const ClockFrame> later, bool ended) const;
    // The frame's time; `later` the frames behind it when it strays. None for audio before its
    // first timestamp.
    std::optional<BlockTime> next(const ClockFrame& frame, std::span<const ClockFrame> later);

    // The frames that follow begin a part placed on the title's timeline: their first
    // timestamp is taken as it is.
    void newPart() {
        fresh_ = true;
        shift_ = 0;
    }

    // Where the clock would be after this many counts more; none before its first timestamp.
    std::optional<int64_t> after(int64_t counts) const {
        if (!anchored_) return std::nullopt;
        return anchor_ + ticksOf(counts_ + counts);
    }

    // What was mended, as lines naming the track ("VC-1 video stream 0: 3 pictures with
    // damaged time stamps near 0:12:04 retimed"); none when nothing was.
    std::string damageLine(const std::string& track) const;
    std::string jumpLine(const std::string& track) const;

  private:
    enum class Verdict { Damage, Jump, Holds, Undecided };
    struct Mend {
        int count = 0;
        int64_t firstAt = 0; // title ticks
        int64_t firstBy = 0; // ticks the jump moved the stamps by
    };

    std::optional<int64_t> stamp(const ClockFrame& frame) const; // its decoding time
    // The decoding time of a frame behind a stray one, when it tells damage from a jump.
    std::optional<int64_t> guide(const ClockFrame& behind) const;
    int64_t ticksOf(int64_t counts) const;
    int64_t expected() const { return anchor_ + ticksOf(counts_); }
    Verdict judge(const ClockFrame& frame, std::span<const ClockFrame> later, bool ended) const;
    std::optional<int64_t> shifted(std::optional<int64_t> stamp) const;
    bool stampStrays(const ClockFrame& frame) const;
    bool ptsStrays(const ClockFrame& frame) const;
    // The frame carries the first stamp of the track or of its part: nothing to set it
    // against but the frames behind it.
    bool firstStamp(const ClockFrame& frame) const;
    // A first stamp holds when a stamped frame behind it follows it, and is damage when the
    // first few stamped behind it all go elsewhere, together.
    Verdict judgeFirst(const ClockFrame& frame, std::span<const ClockFrame> later,
                       bool ended) const;
    // A stamp before any time the file can hold.
    bool beforeTitle(const ClockFrame& frame) const;
    // Times the frame decoded at dts and moves the clock past it; `mended`: counted already.
    BlockTime advance(const ClockFrame& frame, std::span<const ClockFrame> later, int64_t dts,
                      bool mended);
    // For a picture whose PTS is damaged: the first picture's time from dts on that none of the
    // pictures around it takes.
    int64_t freeSlot(int64_t dts, std::span<const ClockFrame> later) const;
    int64_t shownAt(const ClockFrame& frame, int64_t dts, std::span<const ClockFrame> later) const;
    // An MPEG-2 picture without timestamps whose order shows it after pictures decoded behind
    // it: those pictures tell whether the order holds.
    bool shownAhead(const ClockFrame& frame) const;
    size_t picturesShownBefore(const ClockFrame& frame) const;
    static void note(Mend& mend, int64_t at, int64_t by);

    Kind kind_;
    CountLength length_;
    bool anchored_ = false;
    int64_t anchor_ = 0;  // the time of the last frame that took its timestamps
    int64_t counts_ = -1; // counts since: video without any is decoded from a frame before 0
    int64_t shift_ = 0;   // added to the stamps since they jumped
    bool fresh_ = false;  // a part begins: no stamp taken in it yet
    std::optional<BlockTime> last_;
    std::deque<int64_t> shown_; // when the last pictures are shown
    Mend damaged_, jumped_;
};

// "1:02:03", hours not padded: a title time for the log.
std::string titleTimeText(int64_t ticks);

} // namespace splitwick
