#include "one_pass.h"

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

// Whether a box stands for a stream a job can write: cbVideo0 and cbVideo1, the audio and the
// subpicture boxes (subpictures 16 to 31 have none).
bool isStreamBox(Box box) {
    return box.kind == BoxKind::Video ? box.index < 2 : box.index < boxesOfKind(box.kind);
}

std::vector<Box> enabledBoxes(const Controls& controls) {
    std::vector<Box> boxes;
    for (Box box : allBoxes())
        if (controls.boxEnabled(box)) boxes.push_back(box);
    return boxes;
}

// What the reads and the job share in a one-pass run: the sections of its log, the source until
// the pass takes it, the streams the pass finds (Read EVO's table), Read EVO's frame counts and
// the first part's timing.
class Reads {
  public:
    Reads(Session& session, const JobAfterReads& request)
        : session_(session), request_(request), log_(session.report(), Sections) {
        Resetcbs(session.controls);
        {
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
    std::unique_ptr<SourceFile> source() { return std::move(source_); }
    StreamTable& found() { return found_; }
    FrameCounts& frames() { return frames_; }
    TimingRecorder& timing() { return timing_; }
    const TitleChapters& chapters() const { return chapters_; }
    bool withPlaylist() const { return bool(request_.readPlaylist); }

    // Whether a box's stream is chosen, while the pass runs: the boxes asked for, else those the
    // playlist labelled, else those whose stream has been found.
    BoxChoice chosen() const {
        if (request_.boxes)
            return [boxes = *request_.boxes](Box box) {
                return std::find(boxes.begin(), boxes.end(), box) != boxes.end();
            };
        if (withPlaylist())
            return [&controls = session_.controls](Box box) { return controls.boxEnabled(box); };
        return [&found = found_](Box box) { return found[tableEntry(box)] >= 0; };
    }

    // The caption that names a box's outputs: the playlist's, or the one Read EVO gives the
    // stream found for it.
    std::string caption(Box box) const {
        if (withPlaylist()) return session_.controls.caption(box);
        return streamName(box.kind, found_[tableEntry(box)]) + captionSuffix(box);
    }

    // Read EVO's end, once the first part is read: the boxes labelled, "Done.", the frame counts
    // and the timing, the streams, the counts and the timing left in the job state as the reads
    // left them. Then, unless the pass was cancelled, the file must have streams, and the boxes
    // asked for are ticked, as they were after the reads, and given back; each must have a stream.
    std::vector<Box> finish(StopReason firstPart, StreamWriter* writer = nullptr) {
        dropCountsOfStoppedPass(frames_, firstPart);
        session_.state.StreamTable = found_;
        session_.state.FrameCount = frames_;
        // The pass writes, so it stopped at the first scrambled pack: none was met.
        session_.state.ScrambledPacks = 0;
        session_.state.Timing = {};
        keepTiming(session_.state.Timing, timing_, session_.state.EVOfile, firstPart, writer);
        Controls& controls = session_.controls;
        if (!withPlaylist()) labelBoxes(controls, found_);
        {
            ReportRoute route(session_, log_[ReadEvoLines]);
            finishJob(session_);
            logFrameCounts(session_.report(), frames_);
            logTiming(session_.report(), session_.state.Timing, found_);
        }
        log_.close(ReadEvoLines);
        if (firstPart == StopReason::Cancelled) return {};
        requireStreams(found_, controls.field(Field::EVOfile));
        const std::vector<Box> wanted = request_.boxes.value_or(enabledBoxes(controls));
        // A box whose stream the file lacks cannot be ticked in the window either.
        for (Box box : wanted)
            if (!controls.boxEnabled(box))
                throw JobError("No stream for " + boxName(box) + " in " + session_.state.EVOfile);
        for (Box box : allBoxes())
            controls.setTicked(box, std::find(wanted.begin(), wanted.end(), box) != wanted.end());
        return wanted;
    }

  private:
    Session& session_;
    const JobAfterReads& request_;
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

StopReason demuxInOnePass(Session& session, const JobAfterReads& request, DemuxedFiles* written) {
    Controls& controls = session.controls;
    Reads reads(session, request);
    LogSections& log = reads.log();
    const SplitTitle title = splitTitle(session);
    DemuxedFiles files{outputPrefix(session, title), {}, {}};
    const std::string& prefix = files.prefix;
    std::unique_ptr<SourceFile> source = reads.source();
    log[JobHead].log("Opening file " + session.state.EVOfile);
    log[JobHead].log(fileSizeLine(*source));

    OutputSet outputs;
    FrameCounts frames{};
    CreatingLines creating(log[JobHead]);
    AlsoWrites also(request.alsoWrites);
    const auto create = [&](Box box) {
        const std::string caption = reads.caption(box);
        const int32_t streamId = reads.found()[tableEntry(box)];
        if (!also.ownFiles(outputs, box, caption, streamId)) return;
        files.streams.push_back(
            createBoxOutputs(outputs, controls, title, prefix, box, caption, streamId));
        creating.add(box, files.streams.back().path);
    };
    const BoxChoice chosen = reads.chosen();
    StreamFinder finder(log[ReadEvoLines]);
    OutputsAsFound made([&](Box box) {
        if (isStreamBox(box) && chosen(box)) create(box);
    });
    StreamWriter writer(outputs, log[JobLines]);
    ScanSinks writers{&writer, &also.sink()};
    WriterUntilFormatError firstPartWriter(writers, frames);
    FrameTally frameTally(controls);
    frameTally.countEveryStream(reads.frames());
    frameTally.countWritten(frames, outputs);
    TitleMismatch mismatch(log[JobLines], controls, reads.withPlaylist());
    ScanSinks firstPart{&finder, &made, &firstPartWriter, &frameTally, &reads.timing(), &mismatch};
    writer.timeBy(reads.timing());
    StopReason stop = demux(session, std::move(source), firstPart, reads.found(), true);
    also.partEnded();

    // The chosen boxes whose stream the first part lacks, and the chapters, as Demux would have
    // opened them at its start.
    std::vector<Box> rest;
    for (Box box : reads.finish(stop, &writer))
        if (isStreamBox(box) && !outputs.has(box)) rest.push_back(box);
    for (Box box : rest)
        create(box);
    creating.log();
    {
        ReportRoute route(session, log[JobHead]);
        if (also.chapterFile())
            files.chapters = createChapterFile(outputs, session, title, reads.chapters(), prefix);
    }
    firstPartWriter.raise(session.state.FrameCount);
    log.close(JobHead);
    // From here the job counts as the window's Demux does, in the job state: a failure leaves
    // the counts of what was written until it.
    FrameCounts& counts = session.state.FrameCount;
    counts = frames;

    ReportRoute route(session, log[JobLines]);
    for (size_t part = 0; auto later = openLaterPart(session, title, part, stop); ++part) {
        // The boxes stand for the first part's streams: a later part's own are not written.
        FrameTally writtenFrames(controls);
        writtenFrames.countWritten(counts, outputs);
        TimingRecorder timing;
        ScanSinks laterPart{&writers, &writtenFrames, &timing, &mismatch};
        StreamTable laterPartStreams = reads.found();
        writer.timeBy(timing);
        stop = demux(session, std::move(later), laterPart, laterPartStreams, true,
                     ScanStart::AfterFirstPart);
        also.partEnded();
        keepTiming(session.state.Timing, timing, splitPath(title.laterParts[part]).name, stop,
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

StopReason rebuildInOnePass(Session& session, RebuildState& rebuild, const JobAfterReads& request) {
    Controls& controls = session.controls;
    Reads reads(session, request);
    LogSections& log = reads.log();
    rebuild.reset();
    const SplitTitle title = splitTitle(session);
    const std::string outputName = outputPrefix(session, title) + ".rebuilt.EVO";
    std::unique_ptr<SourceFile> source = reads.source();
    log[JobHead].log("Opening file " + session.state.EVOfile);
    log[JobHead].log(fileSizeLine(*source));

    OutputSet outputs;
    OutputFile& output = outputs.add(createOutput(title, outputName));
    log[JobHead].log("Creating " + outputName);
    log.close(JobHead);
    // After Read XPL the table marks the playlist's streams, by no identifier: nothing is left
    // out by it.
    const StreamTable marks = session.state.StreamTable;
    PackEditor editor(reads.withPlaylist() ? marks : reads.found(), reads.chosen(), rebuild);
    StreamFinder finder(log[ReadEvoLines]);
    FrameTally frames(controls);
    frames.countEveryStream(reads.frames());
    ScanSinks sinks{&finder, &frames, &reads.timing()};
    EvoScan scan(reads.found(), sinks);
    PendingBounds pending;
    StopReason stop = Rebuild(session, std::move(source), editor, output, &scan, &pending);
    reads.finish(stop);
    pending.settle(output, editor.bounds());

    ReportRoute route(session, log[JobLines]);
    for (size_t part = 0; auto later = openLaterPart(session, title, part, stop); ++part)
        stop = Rebuild(session, std::move(later), editor, output);
    outputs.close();
    finishJob(session);
    return stop;
}

} // namespace splitwick
