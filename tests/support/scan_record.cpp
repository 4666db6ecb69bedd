#include "scan_record.h"

#include <bitset>
#include <filesystem>
#include <random>
#include <sstream>

#include "engine/frame_counter.h"
#include "engine/output_set.h"
#include "engine/stream_finder.h"
#include "engine/stream_writer.h"
#include "recording_events.h"
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
            events_.push_back({"", run.kind, run.track->id, run.pendingPts,
                               Bytes(run.data, run.data + run.length)});
        }
        next_.payload(run);
    }
    void lpcmHeader(const Track& track, const LpcmHeader& header) override {
        ScanEvent event;
        event.found = "LPCM header " + hexId(header[0]) + " " + hexId(header[1]) + " " +
                      hexId(header[2]) + " of " + hexId(track.id.id);
        events_.push_back(event);
        next_.lpcmHeader(track, header);
    }
    void trackFound(const Track& track) override {
        ScanEvent event;
        event.found = track.scanName();
        events_.push_back(event);
        next_.trackFound(track);
    }
    void systemHeader(int videoBound, int audioBound) override {
        next_.systemHeader(videoBound, audioBound);
    }

  private:
    ScanSink& next_;
    std::vector<ScanEvent>& events_;
};

// Every track the input holds gets an output in the folder, named after its identifier: every
// run of the scan goes to one of them.
void createOutputs(OutputSet& outputs, OpenFiles& held, const Bytes& input,
                   const std::string& folder) {
    TrackList found;
    ScanSink none; // takes nothing: the scan fills the list
    PackScanner(found, none).feed(input.data(), input.size());
    for (const Track& track : found) {
        const std::string name =
            folder + "/" + std::to_string(int(track.id.field)) + hexId(track.id.id);
        outputs.add(track.id, std::make_unique<OutputFile>(name, held),
                    track.kind() == TrackKind::Subpicture
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
    text << "payload of kind " << int(event.kind) << ", track " << int(event.track.field) << "/"
         << hexId(event.track.id) << ", pts " << event.pts << ", " << event.bytes.size()
         << " bytes";
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
    RecordingEvents events;
    OpenFiles files;
    OutputSet outputs;
    if (demuxMode) createOutputs(outputs, files, input, outputFolder);
    // Every track is written.
    std::bitset<3 * 256> written;
    written.set();

    ScanRecord record;
    StreamWriter writer(outputs, events);
    StreamFinder finder(events);
    FrameCounts frameCounts{};
    FrameTally frames(true);
    if (demuxMode)
        frames.countWritten(frameCounts, written);
    else
        frames.countEveryStream(frameCounts);
    ScanSinks sinks{demuxMode ? static_cast<ScanSink*>(&writer) : &finder, &frames};
    RecordingTee tee(sinks, record.events);
    TrackList tracks;
    PackScanner scanner(tracks, tee);
    size_t at = 0;
    for (size_t piece : pieces) {
        scanner.feed(input.data() + at, piece);
        at += piece;
    }
    for (const Track& track : tracks)
        record.tracks.push_back(track.id);
    record.frames = frameCounts;
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
    if (expected.tracks != actual.tracks) return "the tracks met differ";
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
