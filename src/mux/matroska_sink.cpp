#include "matroska_sink.h"

#include <algorithm>

#include "engine/job_error.h"
#include "engine/lpcm_wav_file.h"
#include "engine/path_parts.h"
#include "jobs/track_flags.h"

namespace splitwick {

namespace {

// Frames wait in memory for the header at most this much; past it the tracks set up go in
// without the others.
constexpr size_t WaitingLimit = 16 * 1024 * 1024;

// The frames at the end of a part that wait for the next part's first, which may overlap them.
constexpr size_t SeamHold = 64;

// A part whose video stream 0 has carried no PTS by the time its other streams have run this
// long has no picture to start from (its video is not timestamped).
constexpr int64_t NoPictureAfter = 2 * TicksPerSecond;

// A picture's length before the stream tells it: 24000/1001 frames a second, as most discs.
constexpr CountLength GuessedPictureLength{1001, 24000};
// No disc's pictures come faster: a stream's own rate above it is a damaged header's, and
// pictures without timestamps counted by it would crowd into a fraction of their time.
constexpr int FastestPictures = 60;

// The parser hands a frame the timestamps of the packet it began in, which may be a part before
// the one read now (it holds the frame until the next begins): each timestamp goes in tagged
// with its part. The 33-bit PTS is raised clear of the borrow of the parser's own sums.
constexpr int PartShift = 40;
constexpr int64_t Raise = int64_t(1) << 35;

int64_t tagged(int part, int64_t pts) {
    return pts == NoTimestamp ? NoTimestamp : (int64_t(part) << PartShift) + Raise + pts;
}

std::optional<int64_t> untagged(int64_t value) {
    if (value == NoTimestamp) return std::nullopt;
    return (value - Raise) & (PtsModulus - 1);
}

int partOf(int64_t value) {
    return int((value - Raise) >> PartShift);
}

// Tells nothing: the lines of a stream written to a file of its own as well come from there.
class Silent : public JobEvents {
  public:
    void logged(const std::string&) override {}
    void phase(const std::string&) override {}
    void progress(const Progress&) override {}
};

JobEvents& silent() {
    static Silent events;
    return events;
}

} // namespace

struct MatroskaSink::MuxedTrack {
    explicit MuxedTrack(const TrackPlan& plan)
        : plan(plan), name(plan.track.track.name()), codec(*plan.mkvCodec),
          ownFileToo(!plan.file.empty()) {}

    TrackPlan plan;
    TrackName name;
    MuxCodec codec;
    bool ownFileToo;
    std::unique_ptr<FrameCutter> cutter;
    Mpeg2Order order; // of MPEG-2 pictures
    // LPCM
    std::optional<LpcmFormat> lpcm;
    std::optional<LpcmSamples> samples;
    uint64_t sampleFrames = 0;
    std::unique_ptr<FlacTrack> flac; // LPCM as FLAC
    // Subpictures
    std::unique_ptr<PgsDisplaySets> sets;
    std::unique_ptr<PgsStreamFile> units;
    // DTS with its core beside it: the core's track. The core's own track: what keeps the core.
    MuxedTrack* coreTrack = nullptr;
    std::unique_ptr<DtsCore> core;

    std::deque<Frame> waiting;
    std::optional<TrackClock> clock;
    int part = 0;               // of the last frame timed
    std::optional<int> cutPart; // of the last frame cut
    // Frames of the part before left out where they run into this part, and their samples.
    int leftOut = 0;
    int64_t leftOutCounts = 0;
    std::optional<size_t> index; // in the file, once its header is written

    bool ready() const {
        if (cutter) return cutter->ready();
        if (core) return core->hasCore().value_or(false);
        return codec == MuxCodec::Pgs || lpcm.has_value();
    }
    // Whether the file's header can be written as far as the track goes: a core track is known
    // to be there or not from the DTS stream's first frame on.
    bool decided() const { return core ? core->hasCore().has_value() : ready(); }
    bool fromLpcm() const { return codec == MuxCodec::LpcmWav || codec == MuxCodec::Flac; }
    int sampleBytes() const { return samples ? samples->wavSampleBytes() : 0; }
    StreamParameters parameters() const {
        if (cutter) return cutter->parameters();
        if (core) return core->parameters();
        if (flac) return flac->parameters();
        StreamParameters parameters;
        if (lpcm) {
            parameters.sampleRate = lpcm->sampleRate;
            parameters.channels = lpcm->channels;
        }
        return parameters;
    }
};

MatroskaSink::MatroskaSink(const MkvSetup& setup)
    : setup_(setup), file_(std::make_unique<OutputFile>(setup.output, setup.openFiles)) {
    byKey_.fill(-1);
    // libav's messages (a damaged frame the parser passes over, the decoder that tells the
    // channels) would reach the terminal past the job's log, which says what matters.
    av_log_set_level(AV_LOG_QUIET);
}

MatroskaSink::~MatroskaSink() {
    for (const auto& track : tracks_)
        for (Frame& frame : track->waiting)
            av_packet_free(&frame.packet);
}

bool MatroskaSink::addTrack(const TrackPlan& plan) {
    // The file's tracks are set: a stream met after that cannot go in.
    if (writer_) return false;
    byKey_[size_t(plan.track.track.id.key())] = int16_t(tracks_.size());
    tracks_.push_back(std::make_unique<MuxedTrack>(plan));
    MuxedTrack& made = *tracks_.back();
    if (made.codec == MuxCodec::Pgs) {
        made.sets = std::make_unique<PgsDisplaySets>([this, &made](int64_t pts,
                                                                   std::span<const uint8_t> set) {
            add(made,
                {packets_.packetOf(set.data(), set.size()), -1, pts, pts, 0, true, std::nullopt});
        });
        made.units = std::make_unique<PgsStreamFile>(*made.sets, plan.track.label);
    } else if (!made.fromLpcm()) {
        made.cutter = std::make_unique<FrameCutter>(avCodecOf(made.codec, 0),
                                                    [this, &made](const CutFrame& frame) {
                                                        // The core filter copies what it keeps.
                                                        if (made.coreTrack)
                                                            made.coreTrack->core->frame(frame);
                                                        cutFrame(made, frame);
                                                    });
    }
    if (plan.mkvCore) addCore(made);
    return true;
}

void MatroskaSink::addCore(MuxedTrack& dts) {
    tracks_.push_back(std::make_unique<MuxedTrack>(corePlan(dts.plan)));
    MuxedTrack& core = *tracks_.back();
    core.core =
        std::make_unique<DtsCore>([this, &core](const CutFrame& frame) { cutFrame(core, frame); });
    dts.coreTrack = &core;
}

MatroskaSink::MuxedTrack* MatroskaSink::track(TrackId id) const {
    const int at = byKey_[size_t(id.key())];
    return at < 0 ? nullptr : tracks_[size_t(at)].get();
}

void MatroskaSink::payload(PayloadRun& run) {
    timing_.payload(run);
    const bool stamped = !run.continuesPacket && run.pts != NoTimestamp;
    pictureStamped_ =
        pictureStamped_ || (stamped && run.track->name() == TrackName{TrackKind::Video, 0});
    if (!clock().settled())
        if (const auto reference = timing_.settledReference()) settlePart(*reference);
    MuxedTrack* track = this->track(run.track->id);
    if (track == nullptr) return;
    if (stamped) {
        if (!partEarliest_ || ptsDifference(run.pts, *partEarliest_) < 0) partEarliest_ = run.pts;
        if (!pictureStamped_ && ptsDifference(run.pts, *partEarliest_) > NoPictureAfter)
            settleWithoutPicture();
    }
    const int part = int(clocks_.size()) - 1;
    if (track->units) {
        subpicture(*track, run);
    } else if (track->fromLpcm()) {
        lpcmSamples(*track, run);
    } else {
        const bool firstRun = !run.continuesPacket;
        track->cutter->feed(run.data, run.length, firstRun ? tagged(part, run.pts) : NoTimestamp,
                            firstRun ? tagged(part, run.dts) : NoTimestamp);
    }
    // Without the picture's start, memory would hold the whole part.
    if (waitingBytes_ > WaitingLimit) settleWithoutPicture();
    startWhenReady();
}

void MatroskaSink::settleWithoutPicture() {
    // A part none of whose streams carries a timestamp is timed by its tracks' clocks alone.
    if (!clock().settled()) settlePart(partEarliest_.value_or(0));
}

void MatroskaSink::cutFrame(MuxedTrack& track, const CutFrame& frame) {
    const int64_t counts = track.name.kind == TrackKind::Video ? 1 : frame.samples;
    // A frame without timestamps is timed by the part of the one before, which may have been
    // written already: the parser hands over a part's last frames after the part has ended.
    const int part = frame.pts != NoTimestamp ? partOf(frame.pts)
                                              : track.cutPart.value_or(int(clocks_.size()) - 1);
    track.cutPart = part;
    const std::optional<int64_t> shownAfter =
        track.codec == MuxCodec::Mpeg2
            ? track.order.framesShownAfter(frame.packet->data, size_t(frame.packet->size))
            : std::nullopt;
    add(track, {frame.packet, part, untagged(frame.pts), untagged(frame.dts), counts, frame.key,
                shownAfter});
}

void MatroskaSink::lpcmHeader(const Track& lpcm, const LpcmHeader& header) {
    MuxedTrack* track = this->track(lpcm.id);
    if (track == nullptr) return;
    const LpcmFormat format =
        checkedLpcmFormat(header, track->lpcm, track->sampleFrames, lpcm.number());
    if (track->lpcm) return;
    track->lpcm = format;
    track->samples.emplace(format);
    if (track->codec == MuxCodec::Flac)
        track->flac = std::make_unique<FlacTrack>(
            format, setup_.flacLevel, [this, track](const FlacTrack::Frame& frame) {
                add(*track, {frame.packet, frame.part, frame.pts, frame.pts, frame.samples, true,
                             std::nullopt});
            });
}

void MatroskaSink::lpcmSamples(MuxedTrack& track, const PayloadRun& run) {
    if (!track.samples) return;
    const std::span<const uint8_t> samples = track.samples->convert(run.data, run.length);
    if (samples.empty()) return;
    const int64_t frames = int64_t(samples.size()) / (track.lpcm->channels * track.sampleBytes());
    track.sampleFrames += uint64_t(frames);
    const std::optional<int64_t> pts =
        run.continuesPacket || run.pts == NoTimestamp ? std::nullopt : std::optional(run.pts);
    if (track.flac) return track.flac->samples(samples, int(clocks_.size()) - 1, pts);
    add(track, {packets_.packetOf(samples.data(), samples.size()), int(clocks_.size()) - 1, pts,
                pts, frames, true, std::nullopt});
}

void MatroskaSink::subpicture(MuxedTrack& track, PayloadRun& run) {
    track.units->payload(run, clock(), unitLines(track));
}

JobEvents& MatroskaSink::unitLines(const MuxedTrack& track) {
    return track.ownFileToo ? silent() : setup_.events;
}

void MatroskaSink::add(MuxedTrack& track, Frame frame) {
    waitingBytes_ += size_t(frame.packet->size);
    track.waiting.push_back(frame);
    if (writer_) drain(track);
}

bool MatroskaSink::anyReady() const {
    return std::any_of(tracks_.begin(), tracks_.end(),
                       [](const auto& track) { return track->ready(); });
}

void MatroskaSink::startWhenReady() {
    if (writer_ || !anyReady()) return;
    const bool allReady = std::all_of(tracks_.begin(), tracks_.end(),
                                      [](const auto& track) { return track->decided(); });
    if (waitingBytes_ > WaitingLimit || (allReady && clocks_.front().settled())) start();
}

void MatroskaSink::start() {
    for (const auto& track : tracks_) {
        if (track->ready())
            written_.push_back(track.get());
        else if (!track->core) // a DTS stream without a core track is told by its own
            leftOut_.push_back(track->plan);
    }
    // A film without its picture is no film: the file is not kept.
    for (const TrackPlan& plan : leftOut_)
        if (plan.track.track.name().kind == TrackKind::Video)
            throw JobError(JobErrorKind::Input, splitPath(setup_.output).name +
                                                    " not written: no frame found in " +
                                                    plan.track.label + ", its chosen video");
    if (written_.empty())
        throw JobError(JobErrorKind::Refused, "None of the chosen streams can go into Matroska");
    std::stable_sort(written_.begin(), written_.end(),
                     [](const MuxedTrack* a, const MuxedTrack* b) {
                         return inTrackOrder(a->plan.track.track, b->plan.track.track);
                     });
    std::vector<TrackPlan*> plans;
    for (MuxedTrack* track : written_)
        if (!track->core) plans.push_back(&track->plan);
    setTrackFlags(plans, setup_.defaults);
    const std::optional<FrameRate> measured = timing_.settledFrameRate();
    std::vector<MatroskaTrack> tracks;
    for (size_t i = 0; i < written_.size(); ++i) {
        MuxedTrack& track = *written_[i];
        track.index = i;
        const bool video = track.name.kind == TrackKind::Video;
        MatroskaTrack made{track.codec,         track.plan.mkvLabel,     track.plan.mkvDefault,
                           track.parameters(),  track.sampleBytes() * 8, std::nullopt,
                           track.plan.mkvForced};
        if (video) {
            const AVRational own = made.stream.frameRate;
            const bool measuredHere = track.name == TrackName{TrackKind::Video, 0} && measured;
            if (const std::string line = measuredHere ? ownTimingLine(track.codec, *measured) : "";
                !line.empty())
                setup_.events.warning(line);
            if (measuredHere && takesMeasuredRate(track.codec) && isDiscRate(*measured))
                made.defaultRate = measured;
            else if (own.num > 0 && own.den > 0 && own.num <= int64_t(FastestPictures) * own.den)
                made.defaultRate = FrameRate{own.num, own.den};
        }
        track.clock.emplace(clockOf(track, made));
        tracks.push_back(made);
    }
    writer_ = std::make_unique<MatroskaWriter>(*file_);
    writer_->start(tracks, setup_.title, setup_.clusterCrc);
    for (const auto& track : tracks_)
        drain(*track);
}

std::optional<int64_t> MatroskaSink::titleTicks(const Frame& frame,
                                                std::optional<int64_t> stamp) const {
    if (!stamp || frame.part < 0) return stamp;
    return clocks_[size_t(frame.part)].ticks(*stamp);
}

TrackClock MatroskaSink::clockOf(const MuxedTrack& track, const MatroskaTrack& made) const {
    if (track.codec == MuxCodec::Pgs) return TrackClock(TrackClock::Kind::Subtitle, {});
    if (track.name.kind != TrackKind::Video) {
        const int rate = made.stream.sampleRate;
        return TrackClock(TrackClock::Kind::Audio, rate > 0 ? CountLength{1, rate} : CountLength{});
    }
    const CountLength picture =
        made.defaultRate ? CountLength{made.defaultRate->denominator, made.defaultRate->numerator}
                         : GuessedPictureLength;
    return TrackClock(TrackClock::Kind::Video, picture);
}

std::optional<ClockFrame> MatroskaSink::clockFrame(const Frame& frame) const {
    // At the end, a part whose timeline never settled has no timestamp to go by.
    if (frame.part >= 0 && !clocks_[size_t(frame.part)].settled() && !finishing_)
        return std::nullopt;
    return ClockFrame{titleTicks(frame, frame.pts), titleTicks(frame, frame.dts), frame.counts,
                      frame.framesShownAfter};
}

std::vector<ClockFrame> MatroskaSink::laterFrames(const MuxedTrack& track) const {
    std::vector<ClockFrame> later;
    for (size_t i = 1; i < track.waiting.size() && later.size() < TrackClock::LookAhead; ++i) {
        const std::optional<ClockFrame> frame = clockFrame(track.waiting[i]);
        if (!frame) break;
        later.push_back(*frame);
    }
    return later;
}

void MatroskaSink::drain(MuxedTrack& track) {
    while (!track.waiting.empty()) {
        Frame& frame = track.waiting.front();
        const std::optional<ClockFrame> timed = clockFrame(frame);
        if (!timed) return;
        if (track.index && track.name.kind == TrackKind::Audio) {
            const AtSeam seam = atSeam(track);
            if (seam == AtSeam::Waits) return;
            if (seam == AtSeam::LeftOut) {
                leaveOutAtSeam(track);
                continue;
            }
        }
        if (track.index && frame.part > track.part) {
            track.part = frame.part;
            sayWhatSeamLeftOut(track);
            track.clock->newPart();
        }
        std::vector<ClockFrame> later;
        if (track.index && track.clock->strays(*timed)) {
            later = laterFrames(track);
            if (track.clock->undecided(*timed, later, finishing_)) return;
        }
        waitingBytes_ -= size_t(frame.packet->size);
        const std::optional<BlockTime> time =
            track.index ? track.clock->next(*timed, later) : std::nullopt;
        // What comes before the picture's start is left out whole, as is all of a track left
        // out: a Matroska cluster begins at no negative time (a second video stream, a
        // subpicture shown before the picture, sound).
        if (!time || time->pts < 0) {
            av_packet_free(&frame.packet);
            track.waiting.pop_front();
            continue;
        }
        endTicks_ = std::max(endTicks_, time->pts + time->duration);
        const MatroskaBlock block{*track.index, frame.packet,   time->pts,
                                  time->dts,    time->duration, frame.key};
        track.waiting.pop_front();
        writer_->write(block);
    }
}

void MatroskaSink::partEnded() {
    const PartTiming part = timing_.endPart("");
    if (clocks_.size() == 1) firstPart_ = part;
    if (!clock().settled() && part.referencePts) settlePart(*part.referencePts);
    settleWithoutPicture();
    partEarliest_.reset();
    pictureStamped_ = false;
    for (const auto& track : tracks_)
        if (track->units) track->units->endPart(clock(), unitLines(*track));
    // The header waits no longer than the first part.
    if (!writer_ && clocks_.size() == 1 && anyReady()) start();
    for (const auto& track : tracks_)
        if (writer_) drain(*track);
    seam_ = seamFacts(part, clocks_.size());
    TitleClock next = clock();
    next.endPart(part);
    clocks_.push_back(next);
}

SeamFacts MatroskaSink::seamFacts(const PartTiming& part, size_t later) const {
    SeamFacts facts;
    if (later - 1 < setup_.laterParts.size())
        facts.file = splitPath(setup_.laterParts[later - 1]).name;
    facts.beforeBegan = clock().start();
    if (part.videoEndPts) {
        facts.beforeEnded = clock().ticks(*part.videoEndPts);
        facts.beforeEndPts = part.videoEndPts;
    }
    facts.placed = placedPart(later);
    if (setup_.titleLengthNs) facts.titleLength = *setup_.titleLengthNs * 9 / 100000;
    const FrameRate rate = part.videoFrameRate.value_or(FrameRate{24000, 1001});
    facts.pictureTicks = TicksPerSecond * rate.denominator / rate.numerator;
    return facts;
}

void MatroskaSink::settlePart(int64_t referencePts) {
    clocks_.back().settle(referencePts);
    if (seam_) {
        const SeamStart start = seamStart(*seam_, referencePts);
        clocks_.back().startAt(start.ticks);
        if (!start.line.empty()) setup_.events.warning(start.line);
        partStarts_.emplace_back(start.ticks, seam_->file);
        seam_.reset();
    }
    // Subpictures that waited for the part's timeline go into the file among the frames that
    // waited with them, not after them at the next subpicture, which may come minutes later.
    for (const auto& track : tracks_)
        if (track->units) track->units->clockSettled(clock(), unitLines(*track));
}

MatroskaSink::AtSeam MatroskaSink::atSeam(const MuxedTrack& track) const {
    const Frame& front = track.waiting.front();
    if (finishing_ || front.part < 0 || size_t(front.part) >= setup_.laterParts.size())
        return AtSeam::Goes;
    const auto next =
        std::find_if(track.waiting.begin(), track.waiting.end(), [&](const Frame& behind) {
            return behind.part > front.part && behind.pts.has_value();
        });
    if (next == track.waiting.end())
        return track.waiting.size() < SeamHold ? AtSeam::Waits : AtSeam::Goes;
    // The next part's first frame, once its part's place is known.
    const std::optional<ClockFrame> first = clockFrame(*next);
    if (!first) return AtSeam::Waits;
    const std::optional<int64_t> end = track.clock->after(front.counts);
    return end && first->pts && *end > *first->pts ? AtSeam::LeftOut : AtSeam::Goes;
}

void MatroskaSink::leaveOutAtSeam(MuxedTrack& track) {
    Frame& frame = track.waiting.front();
    ++track.leftOut;
    track.leftOutCounts += frame.counts;
    waitingBytes_ -= size_t(frame.packet->size);
    av_packet_free(&frame.packet);
    track.waiting.pop_front();
}

void MatroskaSink::sayWhatSeamLeftOut(MuxedTrack& track) {
    if (track.leftOut == 0 || size_t(track.part) > partStarts_.size()) return;
    const auto& [start, file] = partStarts_[size_t(track.part) - 1];
    const int64_t overlapMs = (*track.clock->after(track.leftOutCounts) - start) / 90;
    setup_.events.warning(seamLine(start, file,
                                   track.plan.track.track.scanName() + " overlaps by " +
                                       std::to_string(overlapMs) + " ms, " +
                                       std::to_string(track.leftOut) + " frame" +
                                       (track.leftOut > 1 ? "s" : "") + " left out"));
    track.leftOut = 0;
    track.leftOutCounts = 0;
}

std::optional<int64_t> MatroskaSink::placedPart(size_t part) const {
    if (part == 0 || part > setup_.placesNs.size()) return std::nullopt;
    // 90 kHz ticks from the first clip's place, to the nearest.
    return (setup_.placesNs[part - 1] * 9 + 50000) / 100000;
}

void MatroskaSink::finish(const TitleChapters& chapters) {
    // The part that ended last times what its streams still hold.
    clocks_.pop_back();
    for (const auto& track : tracks_) {
        if (track->cutter) track->cutter->finish();
        if (track->units) track->units->store();
        if (track->flac) track->flac->finish();
    }
    // Only now has every frame come: a frame judged by those behind it before would miss the
    // last ones the parsers held.
    finishing_ = true;
    if (!writer_) start();
    for (const auto& track : tracks_)
        drain(*track);
    for (const MuxedTrack* track : written_)
        for (const std::string& line :
             {track->clock->damageLine(track->plan.track.track.scanName()),
              track->clock->jumpLine(track->plan.track.track.scanName())})
            if (!line.empty()) setup_.events.warning(line);
    writer_->finish(chapters, endTicks_);
    file_->close();
    for (const MuxedTrack* track : written_)
        if (track->flac) setup_.events.logged(track->flac->sizeLine(track->name.number));
}

std::vector<TrackPlan> MatroskaSink::tracks() const {
    std::vector<TrackPlan> made;
    for (const MuxedTrack* track : written_) {
        if (track->core) continue; // told by its DTS track's plan
        made.push_back(track->plan);
        if (track->coreTrack && !track->coreTrack->index) made.back().mkvCore.reset();
        // Subpictures converted to PGS are timed on the title's timeline already.
        if (track->codec == MuxCodec::Pgs) continue;
        for (const StreamStart& start : firstPart_.streams)
            if (start.track.id == track->plan.track.track.id) made.back().delayMs = start.delayMs;
    }
    return made;
}

} // namespace splitwick
