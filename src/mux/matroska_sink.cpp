#include "matroska_sink.h"

#include <algorithm>

#include "engine/job_error.h"
#include "engine/lpcm_wav_file.h"
#include "jobs/file_choice.h"

namespace splitwick {

namespace {

// Frames wait in memory for the header at most this much; past it the tracks set up go in
// without the others.
constexpr size_t WaitingLimit = 16 * 1024 * 1024;

// A part whose video stream 0 has carried no PTS by the time its other streams have run this
// long has no picture to start from (its video is not timestamped).
constexpr int64_t NoPictureAfter = 2 * TicksPerSecond;

// A frame's length before the stream tells it: 24000/1001 frames a second, as most discs.
constexpr int64_t GuessedFrameTicks = 3754;

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

// Reports nothing: the lines of a stream written to a file of its own as well come from there.
class Silent : public Report {
  public:
    void log(const std::string&) override {}
    void slog(const std::string&, uint8_t) override {}
};

Report& silent() {
    static Silent report;
    return report;
}

} // namespace

struct MatroskaSink::Track {
    Track(Box box, std::string label, MuxCodec codec, bool ownFileToo)
        : box(box), label(std::move(label)), codec(codec), ownFileToo(ownFileToo) {}

    Box box;
    std::string label;
    MuxCodec codec;
    bool ownFileToo;
    std::unique_ptr<FrameCutter> cutter;
    Mpeg2Order order; // of MPEG-2 pictures
    // LPCM
    std::optional<LpcmFormat> lpcm;
    std::optional<LpcmSamples> samples;
    uint64_t sampleFrames = 0;
    // Subpictures
    std::unique_ptr<PgsDisplaySets> sets;
    std::unique_ptr<PgsStreamFile> units;

    std::deque<Frame> waiting;
    std::optional<BlockTimes> times;
    std::optional<size_t> index; // in the file, once its header is written

    bool ready() const {
        if (cutter) return cutter->ready();
        return codec == MuxCodec::Pgs || lpcm.has_value();
    }
    int sampleBytes() const { return samples ? samples->wavSampleBytes() : 0; }
    StreamParameters parameters() const {
        if (cutter) return cutter->parameters();
        StreamParameters parameters;
        if (lpcm) {
            parameters.sampleRate = lpcm->sampleRate;
            parameters.channels = lpcm->channels;
        }
        return parameters;
    }
};

MatroskaSink::MatroskaSink(MatroskaSetup setup, Report& report)
    : setup_(std::move(setup)), report_(report) {
    // libav's messages (a damaged frame the parser passes over, the decoder that tells the
    // channels) would reach the terminal past the job's log, which says what matters.
    av_log_set_level(AV_LOG_QUIET);
}

MatroskaSink::~MatroskaSink() {
    for (const auto& track : tracks_)
        for (Frame& frame : track->waiting)
            av_packet_free(&frame.packet);
}

bool MatroskaSink::chosen(Box box, const std::string& label, int32_t streamId) {
    const std::optional<MuxCodec> codec =
        box.kind == TrackKind::Subpicture
            ? (setup_.subpicturesAsPgs ? std::optional(MuxCodec::Pgs) : std::nullopt)
            : muxCodec(box, label, streamId);
    // No Matroska track takes the stream as it is: it stays a file of its own.
    if (!codec) return true;
    // The file's tracks are set: a stream met after that keeps a file of its own instead.
    if (writer_) {
        report_.log("Not in " + splitPath(setup_.output).name +
                    " (met after its tracks were written), kept beside it: " + label);
        late_.push_back(box);
        return true;
    }
    // Created with the first stream, once the source is open: it must not name it.
    if (!file_) file_ = std::make_unique<OutputFile>(setup_.output, setup_.openFiles);
    auto track = std::make_unique<Track>(box, label, *codec, setup_.streamFilesToo);
    Track& made = *track;
    if (*codec == MuxCodec::Pgs) {
        made.sets = std::make_unique<PgsDisplaySets>(
            [this, &made](int64_t pts, std::span<const uint8_t> set) {
                add(made, {packetOf(set.data(), set.size()), -1, pts, pts, 0, true, std::nullopt});
            });
        made.units = std::make_unique<PgsStreamFile>(*made.sets, label);
    } else if (*codec != MuxCodec::LpcmWav) {
        made.cutter = std::make_unique<FrameCutter>(
            avCodecOf(*codec, 0), [this, &made](const CutFrame& frame) { cutFrame(made, frame); });
    }
    tracks_.push_back(std::move(track));
    return setup_.streamFilesToo;
}

MatroskaSink::Track* MatroskaSink::track(Box box) const {
    for (const auto& track : tracks_)
        if (track->box == box) return track.get();
    return nullptr;
}

MatroskaSink::Track* MatroskaSink::trackOf(const PayloadRun& run) const {
    const Box box = payloadBox(run);
    return box.index < 0 ? nullptr : track(box);
}

void MatroskaSink::payload(PayloadRun& run) {
    timing_.payload(run);
    const bool stamped = !run.continuesPacket && run.pts != NoTimestamp;
    pictureStamped_ = pictureStamped_ || (stamped && payloadBox(run) == Box{TrackKind::Video, 0});
    if (!clock().settled())
        if (const auto reference = timing_.settledReference()) clocks_.back().settle(*reference);
    Track* track = trackOf(run);
    if (track == nullptr) return;
    if (stamped) {
        if (!partEarliest_ || ptsDifference(run.pts, *partEarliest_) < 0) partEarliest_ = run.pts;
        if (!pictureStamped_ && ptsDifference(run.pts, *partEarliest_) > NoPictureAfter)
            settleWithoutPicture();
    }
    const int part = int(clocks_.size()) - 1;
    if (track->units) {
        subpicture(*track, run);
    } else if (track->codec == MuxCodec::LpcmWav) {
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
    if (!clock().settled() && partEarliest_) clocks_.back().settle(*partEarliest_);
}

void MatroskaSink::cutFrame(Track& track, const CutFrame& frame) {
    const StreamParameters& parameters = track.cutter->parameters();
    const int64_t samplesTicks =
        parameters.sampleRate > 0 ? frame.samples * TicksPerSecond / parameters.sampleRate : 0;
    // A frame without timestamps is timed by the part of the one before.
    const int part = frame.pts != NoTimestamp ? partOf(frame.pts)
                     : track.waiting.empty()  ? int(clocks_.size()) - 1
                                              : track.waiting.back().part;
    const std::optional<int64_t> shownAfter =
        track.codec == MuxCodec::Mpeg2
            ? track.order.framesShownAfter(frame.packet->data, size_t(frame.packet->size))
            : std::nullopt;
    add(track, {frame.packet, part, untagged(frame.pts), untagged(frame.dts), samplesTicks,
                frame.key, shownAfter});
}

void MatroskaSink::lpcmHeader(int audioIndex, const LpcmHeader& header) {
    Track* track = this->track({TrackKind::Audio, audioIndex});
    if (track == nullptr || track->codec != MuxCodec::LpcmWav) return;
    const LpcmFormat format =
        checkedLpcmFormat(header, track->lpcm, track->sampleFrames, audioIndex);
    if (track->lpcm) return;
    track->lpcm = format;
    track->samples.emplace(format);
}

void MatroskaSink::lpcmSamples(Track& track, const PayloadRun& run) {
    // Another codec on the index, as a split title's second part may bring, is no LPCM.
    if (!isLpcm(run.audioCodec) || !track.samples) return;
    const std::span<const uint8_t> samples = track.samples->convert(run.data, run.length);
    if (samples.empty()) return;
    const int64_t frames = int64_t(samples.size()) / (track.lpcm->channels * track.sampleBytes());
    track.sampleFrames += uint64_t(frames);
    const std::optional<int64_t> pts =
        run.continuesPacket || run.pts == NoTimestamp ? std::nullopt : std::optional(run.pts);
    add(track, {packetOf(samples.data(), samples.size()), int(clocks_.size()) - 1, pts, pts,
                frames * TicksPerSecond / track.lpcm->sampleRate, true, std::nullopt});
}

void MatroskaSink::subpicture(Track& track, PayloadRun& run) {
    track.units->payload(run, clock(), unitLines(track));
}

Report& MatroskaSink::unitLines(const Track& track) {
    return track.ownFileToo ? silent() : report_;
}

void MatroskaSink::add(Track& track, Frame frame) {
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
                                      [](const auto& track) { return track->ready(); });
    if (waitingBytes_ > WaitingLimit || (allReady && clocks_.front().settled())) start();
}

void MatroskaSink::start() {
    std::string leftOut;
    for (const auto& track : tracks_) {
        if (track->ready())
            written_.push_back(track.get());
        else
            leftOut += (leftOut.empty() ? "" : ", ") + track->label;
    }
    if (!leftOut.empty())
        report_.log("Not in " + splitPath(setup_.output).name +
                    " (no frame found in its stream): " + leftOut);
    if (written_.empty())
        throw JobError(JobErrorKind::Refused, "None of the chosen streams can go into Matroska");
    std::sort(written_.begin(), written_.end(), [](const Track* a, const Track* b) {
        return boxPosition(a->box) < boxPosition(b->box);
    });
    MuxPlan described = plan();
    const std::optional<size_t> defaultAudio = defaultAudioTrack(described);
    const std::optional<FrameRate> measured = timing_.settledFrameRate();
    std::vector<MatroskaTrack> tracks;
    bool videoSeen = false;
    for (size_t i = 0; i < written_.size(); ++i) {
        Track& track = *written_[i];
        track.index = i;
        // The first picture and the chosen sound play; another video stream is an alternative.
        const bool firstVideo = track.box.kind == TrackKind::Video && !videoSeen;
        videoSeen = videoSeen || track.box.kind == TrackKind::Video;
        MatroskaTrack made{
            track.codec,        described.tracks[i].label, firstVideo || i == defaultAudio,
            track.parameters(), track.sampleBytes() * 8,   std::nullopt};
        int64_t frameTicks = 0;
        if (track.box.kind == TrackKind::Video) {
            const AVRational own = made.stream.frameRate;
            if (takesMeasuredRate(track.codec) && track.box == Box{TrackKind::Video, 0} && measured &&
                isDiscRate(*measured))
                made.defaultRate = measured;
            else if (own.num > 0 && own.den > 0)
                made.defaultRate = FrameRate{own.num, own.den};
            frameTicks = made.defaultRate ? TicksPerSecond * made.defaultRate->denominator /
                                                made.defaultRate->numerator
                                          : GuessedFrameTicks;
        }
        track.times.emplace(frameTicks);
        if (track.box == Box{TrackKind::Video, 0}) described.tracks[i].frameRate = measured;
        tracks.push_back(made);
    }
    if (const std::string line = ownTimingLine(described); !line.empty()) report_.log(line);
    writer_ = std::make_unique<MatroskaWriter>(*file_);
    writer_->start(tracks, described.title);
    for (const auto& track : tracks_)
        drain(*track);
}

std::optional<int64_t> MatroskaSink::titleTicks(const Frame& frame,
                                                std::optional<int64_t> stamp) const {
    if (!stamp || frame.part < 0) return stamp;
    return clocks_[size_t(frame.part)].ticks(*stamp);
}

void MatroskaSink::drain(Track& track) {
    while (!track.waiting.empty()) {
        Frame& frame = track.waiting.front();
        if (frame.part >= 0 && !clocks_[size_t(frame.part)].settled()) return;
        waitingBytes_ -= size_t(frame.packet->size);
        const std::optional<BlockTime> time =
            track.index
                ? track.times->next(titleTicks(frame, frame.pts), titleTicks(frame, frame.dts),
                                    frame.samplesTicks, frame.framesShownAfter)
                : std::nullopt;
        // Sound before the picture's start is left out whole, as is all of a track left out.
        if (!time || (track.box.kind == TrackKind::Audio && time->pts < 0)) {
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
    if (!clock().settled() && part.referencePts) clocks_.back().settle(*part.referencePts);
    settleWithoutPicture();
    partEarliest_.reset();
    pictureStamped_ = false;
    for (const auto& track : tracks_)
        if (track->units) track->units->endPart(clock(), unitLines(*track));
    // The header waits no longer than the first part.
    if (!writer_ && clocks_.size() == 1 && anyReady()) start();
    for (const auto& track : tracks_)
        if (writer_) drain(*track);
    TitleClock next = clock();
    next.endPart(part, placedPart(clocks_.size()));
    clocks_.push_back(next);
}

std::optional<int64_t> MatroskaSink::placedPart(size_t part) const {
    const std::vector<TitleClipFile>& clips = setup_.state.titleClips;
    if (part >= clips.size()) return std::nullopt;
    // 90 kHz ticks from the first clip's place, to the nearest.
    return ((clips[part].beginNs - clips.front().beginNs) * 9 + 50000) / 100000;
}

void MatroskaSink::finish() {
    // The part that ended last times what its streams still hold.
    clocks_.pop_back();
    for (const auto& track : tracks_) {
        if (track->cutter) track->cutter->finish();
        if (track->units) track->units->store();
    }
    if (!writer_) start();
    for (const auto& track : tracks_)
        drain(*track);
    writer_->finish(setup_.title.chaptersFor(setup_.state.evoName), endTicks_);
    file_->close();
}

MuxPlan MatroskaSink::plan() const {
    const std::string& evoName = setup_.state.evoName;
    MuxPlan plan;
    plan.output = setup_.output;
    if (isTitleOf(setup_.title, evoName)) {
        plan.title = setup_.title.name;
        plan.playlistFirstAudio = setup_.title.firstAudio;
    }
    for (const Track* track : written_)
        plan.tracks.push_back(
            {track->box, track->codec, trackLabel(setup_.title, evoName, track->box, track->label),
             track->codec == MuxCodec::Pgs ? 0 : firstPartDelay(setup_.state, track->box),
             std::nullopt});
    return plan;
}

MkvOfDemux MatroskaSink::made(const DemuxedFiles& files) const {
    MkvOfDemux made{plan(), {}};
    for (const DemuxedStream& stream : files.streams)
        if (track(stream.box) == nullptr &&
            std::find(late_.begin(), late_.end(), stream.box) == late_.end())
            made.besides.push_back(stream);
    return made;
}

} // namespace splitwick
