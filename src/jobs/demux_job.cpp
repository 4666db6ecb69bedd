#include "demux_job.h"

#include <algorithm>
#include <bitset>
#include <filesystem>

#include "engine/evo_scan.h"
#include "engine/job_error.h"
#include "engine/path_parts.h"
#include "engine/stream_finder.h"
#include "engine/stream_writer.h"
#include "engine/timing_recorder.h"
#include "file_choice.h"
#include "own_reads.h"
#include "timing_lines.h"
#include "title_mismatch.h"
#include "title_playlist.h"
#include "track_outputs.h"
#include "writer_thread.h"

namespace splitwick {

namespace {

// The first part's system header line, which the Demux's own lines give again when the reads'
// lines came first.
class SystemHeaderSeen : public ScanSink {
  public:
    void systemHeader(int videoBound, int audioBound) override {
        line_ = systemHeaderLine(videoBound, audioBound);
    }
    const std::string& line() const { return line_; }

  private:
    std::string line_;
};

// Hands the job each track as the pass first meets it.
class TracksMet : public ScanSink {
  public:
    explicit TracksMet(std::function<void(const Track&)> met) : met_(std::move(met)) {}
    void trackFound(const Track& track) override { met_(track); }

  private:
    std::function<void(const Track&)> met_;
};

// The runs of a pass go to the Matroska file too, when there is one.
class ToMkv : public ScanSink {
  public:
    explicit ToMkv(PassWriter* mkv) : mkv_(mkv) {}
    void payload(PayloadRun& run) override {
        if (mkv_ != nullptr) mkv_->payload(run);
    }
    void lpcmHeader(const Track& track, const LpcmHeader& header) override {
        if (mkv_ != nullptr) mkv_->lpcmHeader(track, header);
    }
    void scanEnded(StopReason reason) override {
        if (mkv_ != nullptr) mkv_->scanEnded(reason);
    }

  private:
    PassWriter* mkv_;
};

class Demux {
  public:
    Demux(const JobRequest& request, JobEvents& events, const PassWriterMaker& makeMkv);
    DemuxResult run();

  private:
    bool ownReads() const { return !request_.earlier; }
    // Whether the outputs are made as the pass meets their streams: all but those of the window,
    // whose Read EVO knew the streams.
    bool createdInPass() const { return !request_.earlier || !request_.earlier->scan; }
    void openMkv();
    void firstPart();
    // The reads' end, the checks against what they found, and the Demux's own first lines.
    void firstPartEnded(int64_t size, const FrameCounts& readFrames,
                        const std::string& systemHeader);
    void laterParts();
    void finish();
    void tellLeftOut();
    void tellWritten(bool muxed);
    // Plans a track met for the first time; a chosen one gets its outputs (and its place in
    // the .mkv) now, in the first part, or is left out with a line in a later one.
    void met(const Track& track);
    void make(const LabelledTrack& track);
    void makeChapterFile();
    // The "Creating" lines of the files made as the first part met their streams, in track
    // order.
    void logCreated();
    // Ends a part's pass: the .mkv and the PGS outputs go on from its timing.
    void partEnded(TimingRecorder& timing, const std::string& file);
    PassLine passLine();

    const JobRequest& request_;
    JobEvents& events_;
    const TitleParts parts_;
    const TitlePlaylist playlist_;
    const Planner planner_;
    const PassWriterMaker& makeMkv_;
    OpenFiles files_;
    OutputSet outputs_;
    std::unique_ptr<PassWriter> mkv_;
    std::optional<FileProgress> mkvProgress_;
    JobProgress progress_; // over all the title's parts
    StreamWriter writer_;
    FrameTally writtenFrames_;
    TitleMismatch mismatch_;
    TrackList tracks_;
    std::bitset<3 * 256> written_; // the tracks the job writes, by key
    bool beforePass_ = true;
    bool inFirstPart_ = true;
    bool mkvReplaces_ = false; // a file of the .mkv's name was there before the job
    std::vector<std::pair<Track, std::string>> created_;
    DemuxResult result_;
};

Demux::Demux(const JobRequest& request, JobEvents& events, const PassWriterMaker& makeMkv)
    : request_(request), events_(events), parts_(titleParts(request)), playlist_(request, events),
      planner_(request, parts_, playlist_.title()), makeMkv_(makeMkv), progress_(partsSize(parts_)),
      writer_(outputs_, events), writtenFrames_(request.countFrames),
      mismatch_(playlist_.labels(), events) {
    writtenFrames_.countWritten(result_.written, written_);
    result_.plan = planner_.titleFiles();
}

DemuxResult Demux::run() {
    firstPart();
    laterParts();
    finish();
    result_.playlist = playlist_.ownRead();
    return std::move(result_);
}

PassLine Demux::passLine() {
    return mkvProgress_ ? PassLine{nullptr, &*mkvProgress_, &progress_}
                        : PassLine{"Demuxing", nullptr, &progress_};
}

void Demux::met(const Track& track) {
    const LabelledTrack labelled = mismatch_.met(track, tracks_.first(track.name()) == &track);
    if (!planner_.chosen(labelled) || written_[size_t(track.id.key())]) return;
    if (!inFirstPart_) {
        // The outputs are the first part's: a stream it lacks has none to go to.
        events_.warning(track.scanName() + " found in " + fileNameOf(parts_.later.front()) +
                        ", not in " + fileNameOf(parts_.first) + ": left out");
        return;
    }
    make(labelled);
}

void Demux::make(const LabelledTrack& track) {
    TrackPlan plan = planner_.track(track);
    const bool muxed = mkv_ && plan.mkvCodec;
    if (muxed && !mkv_->addTrack(plan)) {
        // The file's tracks are written: the stream keeps a file of its own instead.
        JobRequest kept = request_;
        kept.keepStreams = true;
        plan = Planner(kept, parts_, playlist_.title()).track(track);
        events_.warning("Not in " + fileNameOf(result_.plan.mkv) +
                        " (met after its tracks were written), kept beside it: " + track.label);
    }
    createTrackOutputs(outputs_, files_, parts_, plan);
    written_[size_t(track.track.id.key())] = true;
    if (!plan.file.empty()) {
        // Files made before the pass are told at once; those made as the pass meets their
        // streams, at the first part's end.
        if (beforePass_)
            events_.outputCreated(plan.file);
        else
            created_.emplace_back(track.track, plan.file);
    }
    result_.plan.tracks.push_back(std::move(plan));
}

void Demux::makeChapterFile() {
    const std::string& name = result_.plan.chapters;
    if (!name.empty())
        createChapterFile(outputs_, files_, parts_, name, planner_.chapters(), events_);
}

void Demux::logCreated() {
    std::stable_sort(created_.begin(), created_.end(),
                     [](const auto& a, const auto& b) { return inTrackOrder(a.first, b.first); });
    for (const auto& [track, file] : created_)
        events_.outputCreated(file);
    created_.clear();
}

void Demux::partEnded(TimingRecorder& timing, const std::string& file) {
    if (mkv_) mkv_->partEnded();
    writer_.endPart(keepTiming(result_.timing, timing, file, result_.stop));
}

void Demux::openMkv() {
    if (!request_.mkv || !makeMkv_) return;
    const std::string& output = result_.plan.mkv;
    refuseLaterParts(parts_, output);
    mkvProgress_.emplace(fileNameOf(output));
    std::error_code error;
    mkvReplaces_ = std::filesystem::exists(output, error);
    mkv_ = makeMkv_({output, result_.plan.mkvTitle, planner_.defaultTracks(), request_.flacLevel,
                     parts_.placesNs, parts_.later, parts_.lengthNs, request_.clusterCrc, files_,
                     events_});
}

void Demux::firstPart() {
    std::unique_ptr<SourceFile> source =
        openEvo(events_, files_, parts_.first, ownReads() ? "Reading" : "Writing stream(s)");
    requireLaterParts(parts_);
    const int64_t size = source->size();
    openMkv();
    // The window's Read EVO knew the streams: their outputs are made before the pass.
    if (!createdInPass()) {
        const TrackList& known = *request_.earlier->scan;
        for (const Track* track : known.inOrder()) {
            const LabelledTrack labelled =
                labelTrack(*track, playlist_.labels(), known.first(track->name()) == track);
            if (planner_.chosen(labelled)) make(labelled);
        }
    }
    // The chapters follow the streams' files: here, when they were made before the pass.
    if (!createdInPass()) makeChapterFile();
    beforePass_ = false;

    StreamFinder finder(events_);
    ScanLines lines(events_);
    SystemHeaderSeen header;
    TracksMet tracksMet([this](const Track& track) { met(track); });
    FrameCounts readFrames{};
    FrameTally frames(request_.countFrames);
    if (ownReads()) frames.countEveryStream(readFrames);
    TimingRecorder timing;
    ToMkv mkv(mkv_.get());
    ScanSinks sinks{ownReads() ? static_cast<ScanSink*>(&finder) : &lines,
                    &header,
                    &tracksMet,
                    &writer_,
                    &mkv,
                    &frames,
                    &writtenFrames_,
                    &timing};
    writer_.timeBy(timing);
    result_.stop = scanEvo(events_, std::move(source), sinks, tracks_, {true, false, passLine()});
    partEnded(timing, fileNameOf(parts_.first));
    if (ownReads()) {
        result_.read.timing = result_.timing;
        if (result_.stop != StopReason::EndOfFile) readFrames = {0, 0};
        firstPartEnded(size, readFrames, header.line());
    } else {
        logCreated();
        if (createdInPass()) makeChapterFile();
    }
    inFirstPart_ = false;
}

void Demux::firstPartEnded(int64_t size, const FrameCounts& readFrames,
                           const std::string& systemHeader) {
    result_.read.tracks = tracks_;
    result_.read.frames = readFrames;
    result_.read.stop = result_.stop;
    ownReadsEnded(events_, request_, result_.read, playlist_, parts_.first, size);
    logCreated();
    makeChapterFile();
    if (!systemHeader.empty()) events_.logged(systemHeader);
}

void Demux::laterParts() {
    for (size_t part = 0; auto later = openLaterPart(events_, files_, parts_, part, result_.stop);
         ++part) {
        ScanLines lines(events_);
        TracksMet tracksMet([this](const Track& track) { met(track); });
        TimingRecorder timing;
        ToMkv mkv(mkv_.get());
        ScanSinks sinks{&lines, &tracksMet, &writer_, &mkv, &writtenFrames_, &timing};
        writer_.timeBy(timing);
        result_.stop =
            scanEvo(events_, std::move(later), sinks, tracks_, {true, false, passLine()});
        partEnded(timing, fileNameOf(parts_.later[part]));
    }
}

// After the pass, where a reader of the log's end sees it.
void Demux::tellLeftOut() {
    std::string labels;
    for (const TrackPlan& plan : result_.mkvLeftOut)
        labels += (labels.empty() ? "" : ", ") + plan.track.label;
    if (!labels.empty())
        events_.warning("Not in " + fileNameOf(result_.plan.mkv) +
                        " (no frame found in its stream): " + labels);
}

// The last lines say where the outputs went, by their full paths.
void Demux::tellWritten(bool muxed) {
    const std::vector<std::string> files = result_.plan.files();
    const size_t streamFiles = files.size() - (muxed ? 1 : 0);
    if (streamFiles > 0)
        events_.outputsPlaced("Wrote " + std::to_string(streamFiles) +
                              (streamFiles == 1 ? " file in " : " files in ") +
                              fullPath(splitPath(files.back()).folder));
    if (!muxed) return;
    const std::string mkv = fullPath(result_.plan.mkv);
    if (mkvReplaces_) events_.logged("Replaced " + mkv);
    events_.logged("Muxed " + mkv);
}

void Demux::finish() {
    // A pass that was stopped wrote part of the title only: it reports no frame counts.
    if (result_.stop != StopReason::EndOfFile) result_.written = {0, 0};
    const bool muxed = mkv_ && result_.stop == StopReason::EndOfFile;
    if (muxed) {
        mkv_->finish(planner_.chapters());
        result_.mkvTracks = mkv_->tracks();
        // The line of the file made reaches its end, however small the title.
        events_.progress({mkvProgress_->text(1, 1), progress_.total(), progress_.total(), ""});
    }
    outputs_.close();
    if (result_.stop == StopReason::EndOfFile) mismatch_.neverMet(planner_);
    // A .mkv stopped half-way is not kept: nothing was done.
    if (mkv_ && result_.stop == StopReason::Cancelled)
        events_.stopped(fileNameOf(result_.plan.mkv) + " not written: stopped");
    else
        events_.done();
    logFrameCounts(events_, result_.written);
    if (muxed) {
        result_.mkvLeftOut = mkv_->leftOut();
        tellLeftOut();
    }
    if (result_.stop == StopReason::EndOfFile) tellWritten(muxed);
    std::stable_sort(
        result_.plan.tracks.begin(), result_.plan.tracks.end(),
        [](const auto& a, const auto& b) { return inTrackOrder(a.track.track, b.track.track); });
}

} // namespace

DemuxResult demux(const JobRequest& request, JobEvents& events, const PassWriterMaker& makeMkv) {
    if (!request.mkv || !makeMkv || !request.mkvThread)
        return Demux(request, events, makeMkv).run();
    OrderedEvents scanSide(events);
    return Demux(request, scanSide, writerBesidePass(makeMkv, scanSide)).run();
}

} // namespace splitwick
