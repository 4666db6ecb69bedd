#include "stream_jobs.h"

#include <algorithm>
#include <exception>
#include <map>

#include "demux_outputs.h"
#include "engine/demux.h"
#include "engine/frame_counter.h"
#include "engine/job_error.h"
#include "engine/lpcm_wav_file.h"
#include "engine/stream_finder.h"
#include "engine/stream_writer.h"
#include "file_choice.h"
#include "job_steps.h"
#include "log_sections.h"
#include "pack_editor.h"
#include "read_evo.h"
#include "rebuild_pass.h"
#include "timing_lines.h"
#include "title_mismatch.h"

namespace splitwick {

namespace {

// The jobs whose lines a one-pass job logs, in their order.
enum Section : size_t { ReadEvoLines, PlaylistLines, JobHead, JobLines, Sections };

// What the reads and the job share in a one-pass run: the sections of its log, the source until
// the pass takes it, the streams the pass finds (Read EVO's table), Read EVO's frame counts and
// the first part's timing.
class Reads {
  public:
    // phase: the job's own phase word, shown after opening when the reads ran before.
    Reads(Session& session, const StreamJob& request, const char* phase)
        : session_(session), request_(request), log_(session.report(), Sections) {
        if (request.readsLogged) {
            // The job's own lines go out as they come, the source's opening first.
            for (Section section : {ReadEvoLines, PlaylistLines}) {
                log_.drop(section);
                log_.close(section);
            }
            ReportRoute route(session, log_[JobHead]);
            source_ = openEvo(session, phase);
        } else {
            session.streams.forget();
            ReportRoute route(session, log_[ReadEvoLines]);
            source_ = openEvo(session, "Reading");
        }
        if (request.readPlaylist) {
            ReportRoute route(session, log_[PlaylistLines]);
            chapters_ = request.readPlaylist();
        }
        log_.close(PlaylistLines);
    }

    LogSections& log() { return log_; }
    // The identifier of a stream: as the window's Read EVO found it, or the pass so far.
    int32_t streamId(Box box) const {
        return (request_.readsLogged ? session_.state.streamTable : found_)[tableEntry(box)];
    }
    // The job's own "Opening file" lines, unless opening the source logged them.
    void logOpening(const SourceFile& source) {
        if (request_.readsLogged) return;
        log_[JobHead].log("Opening file " + session_.state.evoFile);
        log_[JobHead].log(fileSizeLine(source));
    }
    std::unique_ptr<SourceFile> source() { return std::move(source_); }
    StreamTable& found() { return found_; }
    FrameCounts& frames() { return frames_; }
    TimingRecorder& timing() { return timing_; }
    const TitleChapters& chapters() const { return chapters_; }
    bool withPlaylist() const {
        return request_.readsLogged ? request_.labelsFromPlaylist : bool(request_.readPlaylist);
    }

    // Whether a stream is chosen, while the pass runs: the streams asked for, else those the
    // playlist labelled, else those found.
    BoxChoice chosen() const {
        if (request_.boxes)
            return [boxes = *request_.boxes](Box box) {
                return std::find(boxes.begin(), boxes.end(), box) != boxes.end();
            };
        if (withPlaylist())
            return [&streams = session_.streams](Box box) { return streams[box].known(); };
        return [&found = found_](Box box) { return found[tableEntry(box)] >= 0; };
    }

    // The label that names a stream's outputs: the reads' (the playlist's, or the window's), or
    // the one Read EVO gives the stream found for it.
    std::string label(Box box) const {
        if (withPlaylist() || request_.readsLogged) return session_.streams[box].label;
        return scannedLabel(box, found_[tableEntry(box)]);
    }

    // Read EVO's end, once the first part is read: the streams labelled, "Done.", the frame
    // counts and the timing, the streams, the counts and the timing left in the job state as the
    // reads left them. Then, unless the pass was cancelled, the file must have streams, and the
    // streams asked for are chosen, as they were after the reads, and given back; each must be
    // known.
    std::vector<Box> finish(StopReason firstPart, StreamWriter* writer = nullptr) {
        dropCountsOfStoppedPass(frames_, firstPart);
        session_.state.streamTable = found_;
        session_.state.frameCount = frames_;
        // The pass writes, so it stopped at the first scrambled pack: none was met.
        session_.state.scrambledPacks = 0;
        session_.state.timing = {};
        keepTiming(session_.state.timing, timing_, session_.state.evoFile, firstPart, writer);
        // The window read the file before: its streams, labels and choices stay as they are.
        if (request_.readsLogged)
            return firstPart == StopReason::Cancelled ? std::vector<Box>{} : *request_.boxes;
        StreamChoice& streams = session_.streams;
        if (!withPlaylist()) labelStreams(streams, found_);
        {
            ReportRoute route(session_, log_[ReadEvoLines]);
            finishJob(session_);
            logFrameCounts(session_.report(), frames_);
            logTiming(session_.report(), session_.state.timing, found_);
        }
        log_.close(ReadEvoLines);
        if (firstPart == StopReason::Cancelled) return {};
        requireStreams(found_, session_.request.evoPath);
        const std::vector<Box> wanted = request_.boxes.value_or(streams.known());
        // A stream the file lacks cannot be chosen in the window either.
        for (Box box : wanted)
            if (!streams[box].known())
                throw JobError(JobErrorKind::Input,
                               "No stream for " + boxName(box) + " in " + session_.state.evoFile);
        for (Box box : allBoxes())
            streams[box].chosen = std::find(wanted.begin(), wanted.end(), box) != wanted.end();
        return wanted;
    }

  private:
    Session& session_;
    const StreamJob& request_;
    LogSections log_;
    std::unique_ptr<SourceFile> source_;
    StreamTable found_;
    FrameCounts frames_{};
    TimingRecorder timing_;
    TitleChapters chapters_;
};

// Makes the outputs of a chosen box as its stream is first met.
class OutputsAsFound : public ScanSink {
  public:
    explicit OutputsAsFound(std::function<void(Box)> met) : met_(std::move(met)) {}
    void streamFound(const StreamCodec& codec, int index) override { met_({codec.kind, index}); }

  private:
    const std::function<void(Box)> met_;
};

// The names of the outputs a one-pass demux made, logged as Demux logs them: "Creating NAME" in
// box order, behind Demux's first lines; also when the job fails on its way.
class CreatingLines {
  public:
    explicit CreatingLines(Report& jobHead) : jobHead_(jobHead) {}
    ~CreatingLines() { log(); }
    void add(Box box, std::string name) { names_[boxPosition(box)] = std::move(name); }
    void log() {
        for (const auto& [position, name] : names_)
            jobHead_.log("Creating " + name);
        names_.clear();
    }

  private:
    Report& jobHead_;
    std::map<int, std::string> names_;
};

// The writer of the first part's pass. A stream that its WAV file cannot hold ends the job, as
// in the window's Demux; but the window's Read EVO has found every stream of the file before
// that, so here the pass goes on finding them, writing nothing more, and the error is raised
// once the reads' lines are out, with the frame counts the job had written until the change, as
// the window's Demux leaves them.
class WriterUntilFormatError : public ScanSink {
  public:
    WriterUntilFormatError(ScanSink& writer, const FrameCounts& written)
        : writer_(writer), written_(written) {}
    void payload(PayloadRun& run) override {
        guarded([&] { writer_.payload(run); });
    }
    void lpcmHeader(int audioIndex, const LpcmHeader& header) override {
        guarded([&] { writer_.lpcmHeader(audioIndex, header); });
    }
    void streamLeftOut(const StreamCodec& codec, int id, const StreamCodec& kept,
                       int keptId) override {
        guarded([&] { writer_.streamLeftOut(codec, id, kept, keptId); });
    }
    void systemHeader(int videoBound, int audioBound) override {
        guarded([&] { writer_.systemHeader(videoBound, audioBound); });
    }
    void raise(FrameCounts& counts) const {
        if (!failure_) return;
        counts = writtenAtFailure_;
        std::rethrow_exception(failure_);
    }

  private:
    template <typename Write> void guarded(const Write& write) {
        if (failure_) return;
        try {
            write();
        } catch (const LpcmFormatError&) {
            failure_ = std::current_exception();
            writtenAtFailure_ = written_;
        }
    }

    ScanSink& writer_;
    const FrameCounts& written_;
    FrameCounts writtenAtFailure_{};
    std::exception_ptr failure_;
};

} // namespace

StreamJob afterReads(const StreamChoice& streams, TitleChapters chapters, bool labelsFromPlaylist) {
    return {streams.chosenStreams(), [chapters = std::move(chapters)] { return chapters; }, true,
            labelsFromPlaylist};
}

StopReason demux(Session& session, const StreamJob& request, DemuxedFiles* written) {
    const JobRequest& asked = session.request;
    Reads reads(session, request, "Writing stream(s)");
    LogSections& log = reads.log();
    const SplitTitle title = splitTitle(session);
    DemuxedFiles files{outputPrefix(session, title), {}, {}};
    const std::string& prefix = files.prefix;
    std::unique_ptr<SourceFile> source = reads.source();
    reads.logOpening(*source);

    OutputSet outputs;
    FrameCounts frames{};
    CreatingLines creating(log[JobHead]);
    AlsoWrites also(request.alsoWrites);
    const auto create = [&](Box box) {
        const std::string label = reads.label(box);
        const int32_t streamId = reads.streamId(box);
        if (!also.ownFiles(outputs, box, label, streamId)) return;
        files.streams.push_back(
            createBoxOutputs(outputs, session, title, prefix, box, label, streamId));
        creating.add(box, files.streams.back().path);
    };
    const auto createRest = [&](const std::vector<Box>& boxes) {
        for (Box box : boxes)
            if (isStreamBox(box) && !outputs.has(box)) create(box);
        creating.log();
        ReportRoute route(session, log[JobHead]);
        if (also.chapterFile())
            files.chapters = createChapterFile(outputs, session, title, reads.chapters(), prefix);
    };
    // The window's reads knew the streams: their outputs are made before the pass.
    if (request.readsLogged) createRest(*request.boxes);
    const BoxChoice chosen = reads.chosen();
    StreamFinder finder(log[ReadEvoLines]);
    OutputsAsFound made([&](Box box) {
        if (isStreamBox(box) && chosen(box) && !outputs.has(box)) create(box);
    });
    StreamWriter writer(outputs, log[JobLines]);
    ScanSinks writers{&writer, &also.sink()};
    WriterUntilFormatError firstPartWriter(writers, frames);
    FrameTally frameTally(asked.countFrames);
    frameTally.countEveryStream(reads.frames());
    frameTally.countWritten(frames, outputs);
    TitleMismatch mismatch(log[JobLines], session.streams, reads.withPlaylist());
    ScanSinks firstPart{&finder, &made, &firstPartWriter, &frameTally, &reads.timing(), &mismatch};
    writer.timeBy(reads.timing());
    StopReason stop =
        scanEvo(session, std::move(source), firstPart, reads.found(), ScanMode::Demux);
    also.partEnded();

    // The chosen boxes whose stream the first part lacks, and the chapters, as Demux would have
    // opened them at its start.
    const std::vector<Box> wanted = reads.finish(stop, &writer);
    if (!request.readsLogged) createRest(wanted);
    firstPartWriter.raise(session.state.frameCount);
    log.close(JobHead);
    // From here the job counts as the window's Demux does, in the job state: a failure leaves
    // the counts of what was written until it.
    FrameCounts& counts = session.state.frameCount;
    counts = frames;

    ReportRoute route(session, log[JobLines]);
    for (size_t part = 0; auto later = openLaterPart(session, title, part, stop); ++part) {
        // The boxes stand for the first part's streams: a later part's own are not written.
        FrameTally writtenFrames(asked.countFrames);
        writtenFrames.countWritten(counts, outputs);
        TimingRecorder timing;
        ScanSinks laterPart{&writers, &writtenFrames, &timing, &mismatch};
        StreamTable laterPartStreams = reads.found();
        writer.timeBy(timing);
        stop = scanEvo(session, std::move(later), laterPart, laterPartStreams, ScanMode::Demux,
                       ScanStart::AfterFirstPart);
        also.partEnded();
        keepTiming(session.state.timing, timing, splitPath(title.laterParts[part]).name, stop,
                   &writer);
    }
    dropCountsOfStoppedPass(counts, stop);
    outputs.close();
    if (stop == StopReason::EndOfFile) mismatch.dropStreamsNeverMet(files);
    finishJob(session);
    logFrameCounts(session.report(), counts);
    if (written != nullptr) {
        // Made as their streams were met; handed out in box order, as Demux makes them.
        std::sort(files.streams.begin(), files.streams.end(), [](const auto& a, const auto& b) {
            return boxPosition(a.box) < boxPosition(b.box);
        });
        *written = std::move(files);
    }
    return stop;
}

StopReason rebuild(Session& session, RebuildState& rebuild, const StreamJob& request) {
    Reads reads(session, request, "Writing EVO...");
    LogSections& log = reads.log();
    rebuild.reset();
    const SplitTitle title = splitTitle(session);
    const std::string outputName = outputPrefix(session, title) + ".rebuilt.EVO";
    std::unique_ptr<SourceFile> source = reads.source();
    reads.logOpening(*source);

    OutputSet outputs;
    OutputFile& output = outputs.add(createOutput(session, title, outputName));
    log[JobHead].log("Creating " + outputName);
    log.close(JobHead);
    // After Read XPL the table marks the playlist's streams, by no identifier: nothing is left
    // out by it.
    const StreamTable marks = session.state.streamTable;
    PackEditor editor(reads.withPlaylist() || request.readsLogged ? marks : reads.found(),
                      reads.chosen(), rebuild);
    StreamFinder finder(log[ReadEvoLines]);
    FrameTally frames(session.request.countFrames);
    frames.countEveryStream(reads.frames());
    ScanSinks sinks{&finder, &frames, &reads.timing()};
    EvoScan scan(reads.found(), sinks);
    PendingBounds pending;
    StopReason stop = rebuildPass(session, std::move(source), editor, output, &scan, &pending);
    reads.finish(stop);
    pending.settle(output, editor.bounds());

    ReportRoute route(session, log[JobLines]);
    for (size_t part = 0; auto later = openLaterPart(session, title, part, stop); ++part)
        stop = rebuildPass(session, std::move(later), editor, output);
    outputs.close();
    finishJob(session);
    return stop;
}

} // namespace splitwick
