#include "scan_record.h"

#include <filesystem>
#include <random>
#include <sstream>

#include "engine/frame_counter.h"
#include "engine/stream_finder.h"
#include "engine/stream_writer.h"
#include "recording_session.h"
#include "test_files.h"

namespace splitwick::testing {

namespace {

// Records every event, then hands it on to the stream writer.
class RecordingTee : public ScanSink {
  public:
    RecordingTee(ScanSink& next, std::vector<ScanEvent>& events) : next_(next), events_(events) {}

    void payload(PayloadRun& run) override {
        if (run.continuesPacket && !events_.empty()) {
            events_.back().bytes.insert(events_.back().bytes.end(), run.data,
                                        run.data + run.length);
        } else {
            events_.push_back({"", run.kind, run.videoIndex, run.audioIndex, run.subpictureIndex,
                               run.videoCodec, run.pendingPts,
                               Bytes(run.data, run.data + run.length)});
        }
        next_.payload(run);
    }
    void lpcmHeader(int audioIndex, const LpcmHeader& header) override {
        ScanEvent event;
        event.found = "LPCM header " + hexId(header[0]) + " " + hexId(header[1]) + " " +
                      hexId(header[2]) + " of audio stream " + std::to_string(audioIndex);
        events_.push_back(event);
        next_.lpcmHeader(audioIndex, header);
    }
    void streamFound(const StreamCodec& codec, int index) override {
        ScanEvent event;
        event.found = streamLabel(codec, index);
        events_.push_back(event);
        next_.streamFound(codec, index);
    }
    void streamLeftOut(const StreamCodec& codec, int id, const StreamCodec& kept,
                       int keptId) override {
        ScanEvent event;
        event.found = "left out " + hexId(id);
        events_.push_back(event);
        next_.streamLeftOut(codec, id, kept, keptId);
    }
    void systemHeader(int videoBound, int audioBound) override {
        next_.systemHeader(videoBound, audioBound);
    }

  private:
    ScanSink& next_;
    std::vector<ScanEvent>& events_;
};

// The slot of every stream box whose stream the input holds gets an output in the folder, named
// after its box: every run of the scan goes to one of them. (Outputs for all 34 boxes would
// make the fuzzer's runs ten times slower.)
void createOutputs(OutputSet& outputs, OpenFiles& held, const Bytes& input,
                   const std::string& folder) {
    StreamTable found;
    found.fill(-1);
    ScanSink none; // takes nothing: the scan fills the table
    PackScanner(found, none).feed(input.data(), input.size());
    for (Box box : streamBoxes()) {
        if (found[tableEntry(box)] < 0) continue;
        const std::string name = folder + "/" + boxName(box);
        outputs.add(box, std::make_unique<OutputFile>(name, held),
                    box.kind == TrackKind::Subpicture
                        ? std::make_unique<OutputFile>(name + ".pts", held)
                        : nullptr);
    }
}

std::map<std::string, Bytes> takeOutputs(const std::string& folder) {
    std::map<std::string, Bytes> outputs;
    for (const std::string& name : fileNamesIn(folder)) {
        outputs[name] = readBytes(folder + "/" + name);
        std::filesystem::remove(folder + "/" + name);
    }
    return outputs;
}

std::string describe(const ScanEvent& event) {
    std::ostringstream text;
    if (!event.found.empty()) return "found " + event.found;
    text << "payload of kind " << int(event.kind) << ", indices " << event.videoIndex << "/"
         << event.audioIndex << "/" << event.subpictureIndex << ", codec " << int(event.videoCodec)
         << ", pts " << event.pts << ", " << event.bytes.size() << " bytes";
    return text.str();
}

} // namespace

std::vector<size_t> pieceSizes(Pieces pieces, size_t total, uint32_t seed) {
    std::vector<size_t> sizes;
    std::mt19937 random(seed);
    for (size_t at = 0; at < total;) {
        size_t size = total;
        if (pieces == Pieces::OneByte) size = 1;
        if (pieces == Pieces::Odd2047) size = 2047;
        // Sizes of every order up to 32 KiB, so that small reads cut many packets.
        if (pieces == Pieces::Random) size = 1 + random() % (size_t(2) << random() % 15);
        size = std::min(size, total - at);
        sizes.push_back(size);
        at += size;
    }
    return sizes;
}

ScanRecord scanInPieces(const Bytes& input, const std::vector<size_t>& pieces, bool demuxMode,
                        const std::string& outputFolder) {
    RecordingSession rs;
    JobState& state = rs.state();
    OutputSet outputs;
    if (demuxMode) createOutputs(outputs, rs.session.openFiles, input, outputFolder);
    state.streamTable.fill(-1);

    ScanRecord record;
    StreamWriter writer(outputs, rs.report);
    StreamFinder finder(rs.report);
    FrameTally frames(rs.request().countFrames);
    if (demuxMode)
        frames.countWritten(state.frameCount, outputs);
    else
        frames.countEveryStream(state.frameCount);
    ScanSinks sinks{demuxMode ? static_cast<ScanSink*>(&writer) : &finder, &frames};
    RecordingTee tee(sinks, record.events);
    PackScanner scanner(state.streamTable, tee);
    size_t at = 0;
    for (size_t piece : pieces) {
        scanner.feed(input.data() + at, piece);
        at += piece;
    }
    for (int entry = 1; entry <= StreamTable::Entries; ++entry)
        record.table[entry - 1] = state.streamTable[entry];
    record.frames = {state.frameCount[0], state.frameCount[1]};
    if (demuxMode) {
        outputs.close();
        record.outputs = takeOutputs(outputFolder);
    }
    return record;
}

std::string firstDifference(const ScanRecord& expected, const ScanRecord& actual) {
    const auto& a = expected.events;
    const auto& b = actual.events;
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        if (i < a.size() && i < b.size() && a[i] == b[i]) continue;
        return "event " + std::to_string(i) + ": expected " +
               (i < a.size() ? describe(a[i]) : "none") + ", got " +
               (i < b.size() ? describe(b[i]) : "none");
    }
    if (expected.table != actual.table) return "stream tables differ";
    if (expected.frames != actual.frames)
        return "frame counts " + std::to_string(expected.frames[0]) + "/" +
               std::to_string(expected.frames[1]) + " expected, got " +
               std::to_string(actual.frames[0]) + "/" + std::to_string(actual.frames[1]);
    for (const auto& [name, bytes] : expected.outputs) {
        const auto other = actual.outputs.find(name);
        if (other == actual.outputs.end()) return name + " missing";
        if (other->second != bytes) return name + " differs";
    }
    if (expected.outputs.size() != actual.outputs.size()) return "more outputs than expected";
    return "";
}

} // namespace splitwick::testing
