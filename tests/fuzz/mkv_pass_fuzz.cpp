// The mkv pass over a made EVO that damage changed: Demux with its Matroska writer, as `mkv` and
// the window's mkv run it. A run that ends normally leaves one .mkv that libavformat reads, whose
// every track's blocks go forward in decoding order and end no later than the source's span of
// timestamps and the track's own frames; a run that fails (JobError) leaves no .mkv and no
// temporary file.
//
// Input: a flags byte, then the EVO.
//   bit 0   a split title: the EVO's first half is FEATURE_1.EVO, the rest FEATURE_2.EVO
//   bit 1   LPCM as FLAC
//   bit 2   each DTS-HD track's core as a track of its own
//   bit 3   every stream kept as a file of its own too
//   bit 4   clusters with a CRC-32
extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>
#include <map>
#include <optional>

#include "engine/job_error.h"
#include "engine/pack_layout.h"
#include "engine/stream_codecs.h"
#include "fuzz_check.h"
#include "jobs/demux_job.h"
#include "mux/matroska_sink.h"
#include "support/recording_events.h"
#include "support/test_files.h"

namespace fs = std::filesystem;
using namespace splitwick;
using splitwick::fuzz::require;
using splitwick::testing::Bytes;

namespace {

constexpr size_t PackBytes = 2048;

// How long a file's timestamps run, read from its PES packets pack by pack as a demuxer would,
// apart from the code under test: from the earliest to the latest of all, or, when longer, for
// one stream in file order from the earliest to where its track's clock may reach. Sound and
// subpictures begin at their first stamp and add up the spans of their pieces between jumps back
// of more than a second (a track goes on after such a jump where it was). A video stream's clock
// takes no picture decoded before the one before (it goes on where it was) and moves on by a
// later DTS at most a second past where it was, damage between or not: it reaches the latest DTS
// of a picture whose stamps agree or where such steps took it, and shows a picture up to a second
// after its decoding. Each timestamp is taken the nearest way round the 33-bit clock.
class PtsLength {
  public:
    // A packet without a DTS is decoded at its PTS.
    void add(int stream, bool video, int64_t pts, int64_t dts) {
        if (!first_) first_ = pts;
        const int64_t fromFirst = nearest(pts - *first_);
        earliest_ = std::min(earliest_, fromFirst);
        latest_ = std::max(latest_, fromFirst);
        Stream& s = streams_[stream];
        if (video) {
            const int64_t shownAfter = nearest(pts - dts);
            if (s.reach) *s.reach += std::clamp<int64_t>(nearest(dts - *s.last), 0, OneSecond);
            // A picture shown before its decoding or long after is damage, its stamps no
            // place to be.
            if (shownAfter >= 0 && shownAfter <= OneSecond) {
                s.reach = std::max(s.reach.value_or(std::numeric_limits<int64_t>::min()),
                                   fromFirst - shownAfter);
                s.shownAfter = std::max(s.shownAfter, shownAfter);
            }
            s.last = dts;
            return;
        }
        if (!s.last) s.first = fromFirst;
        if (s.last) {
            const int64_t step = nearest(pts - *s.last);
            s.at += step;
            if (step < -OneSecond) {
                s.done += s.high - s.low;
                s.low = s.high = s.at;
            }
            s.low = std::min(s.low, s.at);
            s.high = std::max(s.high, s.at);
        }
        s.last = pts;
    }
    int64_t ticks() const {
        int64_t longest = latest_ - earliest_;
        for (const auto& [id, s] : streams_)
            longest = std::max(longest, s.reach ? *s.reach + s.shownAfter - earliest_
                                                : s.first - earliest_ + s.done + s.high - s.low);
        return longest;
    }

  private:
    static int64_t nearest(int64_t difference) {
        constexpr int64_t Wrap = int64_t(1) << 33;
        const int64_t ahead = (difference % Wrap + Wrap) % Wrap;
        return ahead >= Wrap / 2 ? ahead - Wrap : ahead;
    }

    static constexpr int64_t OneSecond = 90000;
    std::optional<int64_t> first_;
    int64_t earliest_ = 0, latest_ = 0;
    struct Stream {
        std::optional<int64_t> last; // its last stamp: a picture's DTS
        // Sound and subpictures
        int64_t first = 0;                           // ticks from the file's first
        int64_t at = 0, low = 0, high = 0, done = 0; // ticks from the stream's first
        // Video, in ticks from the file's first
        std::optional<int64_t> reach;
        int64_t shownAfter = 0; // the longest a picture is shown after its decoding
    };
    std::map<int, Stream> streams_;
};

int64_t ptsAt(const uint8_t* b) {
    return int64_t(b[0] >> 1 & 7) << 30 | int64_t(b[1]) << 22 | int64_t(b[2] >> 1) << 15 |
           int64_t(b[3]) << 7 | int64_t(b[4] >> 1);
}

// Whether 00 00 01 id begins a packet to the scanner: a stream's or one it skips (program stream
// map, padding, navigation). Pack and system headers are bytes between packets to it.
bool beginsPacket(uint8_t id) {
    if (id == PrivateStream1 || id == ExtendedStream || (id >= 0xBC && id <= 0xBF)) return true;
    return std::any_of(StreamCodecs.begin(), StreamCodecs.end(), [id](const StreamCodec& codec) {
        return codec.field == IdField::StreamId && id >= codec.scanned.first &&
               id <= codec.scanned.last;
    });
}

// Packets are read as the scanner reads them, pack boundaries aside: at the start codes between
// packets, each packet then passed over by its length (a start code may begin in its last three
// bytes), so that damage that shifts or drops a pack header hides none of the timestamps the mux
// sees.
PtsLength ptsLengthOf(const Bytes& evo) {
    PtsLength length;
    const uint8_t* p = evo.data();
    size_t at = 0;
    while (at + 14 <= evo.size()) {
        if (p[at] != 0 || p[at + 1] != 0 || p[at + 2] != 1 || !beginsPacket(p[at + 3])) {
            ++at;
            continue;
        }
        const uint8_t id = p[at + 3];
        const size_t size = size_t(p[at + 4]) << 8 | p[at + 5];
        const bool timed = id == PrivateStream1 || id == ExtendedStream || id >= 0xC0;
        // Private streams carry many: the sub-stream's id follows the header.
        const size_t subId = at + 9 + p[at + 8];
        const int stream =
            id == PrivateStream1 && subId < evo.size() ? id << 8 | p[subId] : id << 8;
        const bool video = (id >= 0xE0 && id <= 0xEF) || id == ExtendedStream;
        if (timed && (p[at + 7] & 0x80)) {
            const int64_t pts = ptsAt(p + at + 9);
            const bool dts = (p[at + 7] & 0xC0) == 0xC0 && at + 19 <= evo.size();
            length.add(stream, video, pts, dts ? ptsAt(p + at + 14) : pts);
        }
        // As the scanner, which keeps the last bytes of what it passed over, a start code whose
        // prefix ends the packet begins the next.
        at += 6 + size - 3;
    }
    return length;
}

std::map<std::string, Bytes> writeSources(uint8_t flags, const Bytes& evo, const fs::path& disc) {
    std::map<std::string, Bytes> sources;
    if (flags & 1) {
        const auto half = evo.begin() + long(evo.size() / PackBytes / 2 * PackBytes);
        sources[disc / "FEATURE_1.EVO"] = Bytes(evo.begin(), half);
        sources[disc / "FEATURE_2.EVO"] = Bytes(half, evo.end());
    } else {
        sources[disc / "FEATURE_1.EVO"] = evo;
    }
    for (const auto& [path, bytes] : sources)
        testing::writeBytes(path, bytes);
    return sources;
}

// A packet's PTS is that of the first frame beginning in it; those after it in the packet add up
// to at most the time a pack's payload takes at the slowest rate disc audio has (64 kbit/s).
constexpr double PackPayloadMs = 2048 * 8 / 64.0;

// Matroska stores no decoding times: a block is decoded in the order stored. Sound and
// subpictures are shown in that order; a picture may be shown after pictures stored up to the
// most a decoder reorders (16, H.264's largest picture buffer) after it, never before those
// stored earlier.
constexpr size_t MostReordered = 16;

// The longest a subpicture unit shows: its stop's delay, 16 bits of 1024 ticks.
constexpr double LongestShownMs = 65535 * 1024 / 90.0;

// Each track's blocks go forward in decoding order, and the last ends within the source's span,
// its own frames end to end (damaged timestamps retimed), a pack's payload and a block (the
// longest of the file): far less than a timestamp's wrap or a subpicture's stray end.
void checkMkv(const std::string& mkv, double lengthMs) {
    // A title whose streams gave no frame leaves a file of tracks without a block, as `mkv`
    // keeps it; libavformat opens no Matroska file without a cluster.
    const Bytes bytes = testing::readBytes(mkv);
    constexpr std::array<uint8_t, 4> Cluster{0x1F, 0x43, 0xB6, 0x75};
    if (std::search(bytes.begin(), bytes.end(), Cluster.begin(), Cluster.end()) == bytes.end())
        return;
    AVFormatContext* format = nullptr;
    require(avformat_open_input(&format, mkv.c_str(), nullptr, nullptr) == 0, "an .mkv read");
    std::vector<std::vector<int64_t>> stored(format->nb_streams); // each track's PTS so far
    std::vector<double> endMs(format->nb_streams, 0), trackLongestMs(format->nb_streams, 0);
    std::vector<bool> subtitles;
    for (unsigned i = 0; i < format->nb_streams; ++i)
        subtitles.push_back(format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE);
    double longestMs = 0;
    AVPacket* packet = av_packet_alloc();
    int read = 0;
    while ((read = av_read_frame(format, packet)) == 0) {
        const auto track = size_t(packet->stream_index);
        const double tickMs = av_q2d(format->streams[track]->time_base) * 1000;
        const bool video = format->streams[track]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
        std::vector<int64_t>& before = stored[track];
        if (packet->pts != AV_NOPTS_VALUE) {
            const size_t reordered = video ? MostReordered : 0;
            if (before.size() > reordered) {
                const int64_t latest =
                    *std::max_element(before.begin(), before.end() - long(reordered));
                require(packet->pts >= latest,
                        "track " + std::to_string(track) + " goes back in time to " +
                            std::to_string(packet->pts) + " after " + std::to_string(latest));
            }
            before.push_back(packet->pts);
            longestMs = std::max(longestMs, double(packet->duration) * tickMs);
            trackLongestMs[track] =
                std::max(trackLongestMs[track], double(packet->duration) * tickMs);
            endMs[track] = std::max(endMs[track], double(packet->pts + packet->duration) * tickMs);
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    avformat_close_input(&format);
    require(read == AVERROR_EOF, "an .mkv read to its end");
    // Frames whose timestamps damage took are retimed one after another from the last timestamp
    // that held: the most they add is the track's frames end to end. A subpicture ends where
    // its unit says, at most a 16-bit delay after its timestamp.
    double othersEndMs = 0;
    for (size_t i = 0; i < endMs.size(); ++i) {
        if (subtitles[i]) continue;
        const double framesMs = double(stored[i].size()) * trackLongestMs[i];
        const double allowedMs = lengthMs + framesMs + PackPayloadMs + longestMs + 1;
        require(endMs[i] <= allowedMs, "track " + std::to_string(i) + " ends at " +
                                           std::to_string(endMs[i]) + " ms, past the source's " +
                                           std::to_string(lengthMs) + " ms, its frames' " +
                                           std::to_string(framesMs) + " ms and a block");
        othersEndMs = std::max(othersEndMs, endMs[i]);
    }
    for (size_t i = 0; i < endMs.size(); ++i)
        require(!subtitles[i] ||
                    endMs[i] <= std::max(othersEndMs, lengthMs) + LongestShownMs + longestMs + 1,
                "subpicture track " + std::to_string(i) + " ends at " + std::to_string(endMs[i]) +
                    " ms, after the others' " + std::to_string(othersEndMs) +
                    " ms and the source's " + std::to_string(lengthMs) +
                    " ms and a unit's longest showing");
}

// The outputs whose names end so.
std::vector<fs::path> outputsEnding(const fs::path& out, const std::string& ending) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(out))
        if (entry.path().string().ends_with(ending)) found.push_back(entry.path());
    return found;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const testing::TempFolder root;
    av_log_set_level(AV_LOG_QUIET);
    const fs::path work = fs::path(root.path()) / "work";
    fs::remove_all(work);
    fs::create_directories(work / "disc");
    fs::create_directories(work / "out");
    const uint8_t flags = size > 0 ? data[0] : 0;
    const Bytes evo(data + std::min<size_t>(size, 1), data + size);
    const std::map<std::string, Bytes> sources = writeSources(flags, evo, work / "disc");

    JobRequest request;
    request.evoPath = sources.begin()->first;
    request.outputFolder = (work / "out").string();
    request.mkv = true;
    request.lpcmFlac = flags & 2;
    request.dtsCore = flags & 4;
    request.keepStreams = flags & 8;
    request.clusterCrc = flags & 16;
    testing::RecordingEvents events;
    bool failed = false;
    DemuxResult result;
    try {
        result = demux(request, events,
                       [](const MkvSetup& setup) { return std::make_unique<MatroskaSink>(setup); });
    } catch (const JobError&) {
        failed = true;
    }

    require(outputsEnding(work / "out", ".part").empty(), "a temporary file left");
    const std::vector<fs::path> mkvs = outputsEnding(work / "out", ".mkv");
    if (failed) {
        require(mkvs.empty(), "a failed run left an .mkv");
        return 0;
    }
    require(result.stop == StopReason::EndOfFile, "a pass that ran to its end");
    require(mkvs.size() == 1, "one .mkv");
    // The parts of a split title are the halves of one EVO, read as one; where damage sends a
    // part's timestamps back, the part goes on after the one before instead.
    int64_t partsTicks = 0;
    for (const auto& [path, bytes] : sources)
        partsTicks += ptsLengthOf(bytes).ticks();
    checkMkv(mkvs.front().string(), double(std::max(ptsLengthOf(evo).ticks(), partsTicks)) / 90);
    return 0;
}
