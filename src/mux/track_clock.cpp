#include "track_clock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/stream_timing.h"

namespace splitwick {

namespace {

// A timestamp this far off the clock is not taken as it is.
constexpr int64_t StrayTicks = TicksPerSecond;
// Stamped frames behind a stray one that, all following its new time, make it a jump.
constexpr size_t Followers = 3;
// The earliest time a block can have: Matroska stores one at most 32.767 s before its cluster,
// and the first cluster starts at the title's start, 0, or later.
constexpr int64_t EarliestBlock = -32767 * TicksPerSecond / 1000;

int64_t distance(int64_t a, int64_t b) {
    return std::abs(a - b);
}

} // namespace

std::string titleTimeText(int64_t ticks) {
    const int64_t seconds = std::max<int64_t>(ticks, 0) / TicksPerSecond;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

int64_t TrackClock::ticksOf(int64_t counts) const {
    // Rounded down, also below 0, so that every count's length is the same to a tick.
    const int64_t product = counts * TicksPerSecond * length_.numerator;
    const int64_t quotient = product / length_.denominator;
    return quotient * length_.denominator > product ? quotient - 1 : quotient;
}

std::optional<int64_t> TrackClock::stamp(const ClockFrame& frame) const {
    return shifted(kind_ == Kind::Video && frame.dts ? frame.dts : frame.pts);
}

std::optional<int64_t> TrackClock::guide(const ClockFrame& behind) const {
    // A picture shown before its decoding, or long after, has no time to go by: copies of one
    // would follow each other.
    if (ptsStrays(behind)) return std::nullopt;
    return stamp(behind);
}

bool TrackClock::strays(const ClockFrame& frame) const {
    return stampStrays(frame) || ptsStrays(frame) || firstStamp(frame) || shownAhead(frame);
}

bool TrackClock::shownAhead(const ClockFrame& frame) const {
    return kind_ == Kind::Video && !frame.pts && frame.framesShownAfter &&
           *frame.framesShownAfter > 1;
}

size_t TrackClock::picturesShownBefore(const ClockFrame& frame) const {
    // The pictures decoded after it that its order shows first, as far as it can be followed.
    return size_t(std::min<int64_t>(*frame.framesShownAfter - 1, ReorderSpan));
}

bool TrackClock::firstStamp(const ClockFrame& frame) const {
    return kind_ != Kind::Subtitle && (!anchored_ || fresh_) && stamp(frame).has_value();
}

TrackClock::Verdict TrackClock::judgeFirst(const ClockFrame& frame,
                                           std::span<const ClockFrame> later, bool ended) const {
    const int64_t from = *stamp(frame);
    int64_t counts = frame.counts;
    std::optional<int64_t> elsewhere; // where the first stamp behind that does not follow it
                                      // puts the first frame
    size_t followers = 0;
    for (const ClockFrame& behind : later) {
        if (const std::optional<int64_t> at = guide(behind)) {
            if (distance(*at, from + ticksOf(counts)) <= StrayTicks) return Verdict::Holds;
            // A picture shown before its decoding, or long after, has no time to trust: one
            // stamp behind it that goes elsewhere is enough.
            if (ptsStrays(frame)) return Verdict::Damage;
            if (!elsewhere) elsewhere = *at - ticksOf(counts);
            // Stamps that do not follow each other either are no guide.
            if (distance(*at, *elsewhere + ticksOf(counts)) > StrayTicks) return Verdict::Holds;
            if (++followers == Followers) return Verdict::Damage;
        }
        counts += behind.counts;
    }
    // With no stamp behind it to follow, a picture's stamps hold when they agree.
    if (ended || later.size() >= LookAhead)
        return ptsStrays(frame) ? Verdict::Damage : Verdict::Holds;
    return Verdict::Undecided;
}

bool TrackClock::ptsStrays(const ClockFrame& frame) const {
    // A picture is shown from its decoding on, within a second.
    const std::optional<int64_t> pts = shifted(frame.pts), dts = stamp(frame);
    return kind_ == Kind::Video && pts && dts && (*pts < *dts || *pts - *dts > StrayTicks);
}

bool TrackClock::stampStrays(const ClockFrame& frame) const {
    const std::optional<int64_t> at = stamp(frame);
    if (kind_ == Kind::Subtitle || !anchored_ || fresh_ || !at) return false;
    // Pictures are decoded one after another: a DTS behind the last is no time to go on from.
    return distance(*at, expected()) > StrayTicks || (kind_ == Kind::Video && *at <= last_->dts);
}

TrackClock::Verdict TrackClock::judge(const ClockFrame& frame, std::span<const ClockFrame> later,
                                      bool ended) const {
    const int64_t from = *stamp(frame);
    int64_t counts = frame.counts;
    size_t followers = 0;
    for (const ClockFrame& behind : later) {
        if (const std::optional<int64_t> at = guide(behind)) {
            if (distance(*at, anchor_ + ticksOf(counts_ + counts)) <= StrayTicks)
                return Verdict::Damage;
            // Neither the clock nor the new time: the stray stamp is no guide.
            if (distance(*at, from + ticksOf(counts)) > StrayTicks) return Verdict::Damage;
            if (++followers == Followers) return Verdict::Jump;
        }
        counts += behind.counts;
    }
    if (ended || later.size() >= LookAhead) return followers > 0 ? Verdict::Jump : Verdict::Damage;
    return Verdict::Undecided;
}

bool TrackClock::undecided(const ClockFrame& frame, std::span<const ClockFrame> later,
                           bool ended) const {
    if (firstStamp(frame) && judgeFirst(frame, later, ended) == Verdict::Undecided) return true;
    if (stampStrays(frame)) return judge(frame, later, ended) == Verdict::Undecided;
    if (shownAhead(frame)) return !ended && later.size() < picturesShownBefore(frame);
    return ptsStrays(frame) && !ended && later.size() < ReorderSpan;
}

void TrackClock::note(Mend& mend, int64_t at, int64_t by) {
    if (mend.count++ > 0) return;
    mend.firstAt = at;
    mend.firstBy = by;
}

int64_t TrackClock::shownAt(const ClockFrame& frame, int64_t dts,
                            std::span<const ClockFrame> later) const {
    if (kind_ != Kind::Video) return dts;
    // A picture is shown after the pictures decoded behind it that its order shows first: at
    // most a picture buffer's worth, and no more than there are. A farther order is damage.
    if (const std::optional<int64_t> ahead = frame.framesShownAfter) {
        if (*ahead <= 1 ||
            (*ahead <= int64_t(ReorderSpan) && picturesShownBefore(frame) <= later.size()))
            return anchor_ + ticksOf(counts_ + *ahead);
        return freeSlot(dts, later);
    }
    if (last_) return dts + last_->pts - last_->dts;
    return anchor_ + ticksOf(counts_ + 1);
}

bool TrackClock::beforeTitle(const ClockFrame& frame) const {
    // A track may begin a little before the title's picture, but not before any time the file
    // can hold: such a first stamp is damage, with no clock yet to set it against.
    const std::optional<int64_t> at = stamp(frame);
    return at && *at < EarliestBlock;
}

std::optional<BlockTime> TrackClock::next(const ClockFrame& frame,
                                          std::span<const ClockFrame> later) {
    if (firstStamp(frame) &&
        (beforeTitle(frame) || judgeFirst(frame, later, true) == Verdict::Damage)) {
        // Taken, it would time the whole track or part from there; the frame goes as one
        // without.
        const std::optional<BlockTime> time =
            next({std::nullopt, std::nullopt, frame.counts, frame.framesShownAfter}, later);
        if (time) note(damaged_, time->dts, 0);
        return time;
    }
    if (stampStrays(frame)) {
        if (judge(frame, later, true) == Verdict::Damage) {
            note(damaged_, expected(), 0);
            // A damaged DTS may come with a sound PTS.
            return advance(frame, later, expected(), true);
        }
        const int64_t by = expected() - *stamp(frame);
        shift_ += by;
        note(jumped_, expected(), -by);
    }
    if ((!anchored_ || fresh_) && last_ && stamp(frame) && *stamp(frame) <= last_->dts) {
        // The pictures before the first timestamp were placed from 0 on, a guess the stamps
        // contradict, or the part before ran past this one's start: the stamps go on from
        // those pictures.
        shift_ += expected() - *stamp(frame);
    }
    if (stamp(frame)) fresh_ = false;
    const std::optional<int64_t> at = stamp(frame);
    if (!at && !anchored_ && kind_ == Kind::Audio) return std::nullopt;
    if (at) {
        anchor_ = *at;
        counts_ = 0;
        anchored_ = true;
    }
    return advance(frame, later, expected(), false);
}

std::optional<int64_t> TrackClock::shifted(std::optional<int64_t> stamp) const {
    if (!stamp) return std::nullopt;
    return *stamp + shift_;
}

int64_t TrackClock::freeSlot(int64_t dts, std::span<const ClockFrame> later) const {
    // The picture is shown at the first picture's time from its decoding on at which none of
    // the pictures around it is shown.
    std::vector<int64_t> around(shown_.begin(), shown_.end());
    for (const ClockFrame& behind : later.first(std::min(later.size(), ReorderSpan)))
        if (const std::optional<int64_t> pts = shifted(behind.pts))
            if (distance(*pts, dts) <= StrayTicks) around.push_back(*pts);
    const int64_t half = ticksOf(1) / 2;
    const auto taken = [&](int64_t at) {
        return std::any_of(around.begin(), around.end(),
                           [&](int64_t pts) { return distance(pts, at) <= half; });
    };
    for (int64_t k = 0; k < int64_t(ReorderSpan); ++k) {
        const int64_t at = dts + ticksOf(counts_ + k) - ticksOf(counts_);
        if (!taken(at)) return at;
    }
    return dts;
}

BlockTime TrackClock::advance(const ClockFrame& frame, std::span<const ClockFrame> later,
                              int64_t dts, bool mended) {
    std::optional<int64_t> pts = shifted(frame.pts);
    if (kind_ != Kind::Video) {
        pts = dts;
    } else if (pts && (*pts < dts || *pts - dts > StrayTicks)) {
        if (!mended) note(damaged_, dts, 0);
        pts = freeSlot(dts, later);
    }
    BlockTime time{pts ? *pts : shownAt(frame, dts, later), dts, 0};
    // A track goes forward.
    if (last_) time.dts = std::max(time.dts, last_->dts + 1);
    time.pts = std::max(time.pts, time.dts);
    time.duration = ticksOf(counts_ + frame.counts) - ticksOf(counts_);
    counts_ += frame.counts;
    last_ = time;
    if (kind_ != Kind::Video) return time;
    shown_.push_back(time.pts);
    if (shown_.size() > ReorderSpan) shown_.pop_front();
    return time;
}

std::string TrackClock::damageLine(const std::string& track) const {
    if (damaged_.count == 0) return "";
    const std::string unit = kind_ == Kind::Video ? "picture" : "frame";
    return track + ": " + std::to_string(damaged_.count) + " " + unit +
           (damaged_.count > 1 ? "s" : "") + " with damaged time stamps near " +
           titleTimeText(damaged_.firstAt) + " retimed";
}

std::string TrackClock::jumpLine(const std::string& track) const {
    if (jumped_.count == 0) return "";
    char by[32];
    std::snprintf(by, sizeof by, "%+.3f s", double(jumped_.firstBy) / TicksPerSecond);
    const std::string more =
        jumped_.count > 1 ? " (and " + std::to_string(jumped_.count - 1) + " more times)" : "";
    return track + ": its time stamps jump by " + by + " near " + titleTimeText(jumped_.firstAt) +
           more + "; the track goes on where it was";
}

} // namespace splitwick
