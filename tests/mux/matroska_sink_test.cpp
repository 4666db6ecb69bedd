// The sink's frames of a title of two parts, fed as the pass's payload runs: each part's
// pictures timed by that part's timeline.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "engine/open_files.h"
#include "engine/stream_codecs.h"
#include "evo_maker/unit_list.h"
#include "jobs/job_request.h"
#include "mux/matroska_sink.h"
#include "support/encoded_streams.h"
#include "support/matroska_file.h"
#include "support/recording_events.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

constexpr int64_t Base = 90000; // added to the stream's own stamps

const StreamCodec& h264() {
    return *std::find_if(StreamCodecs.begin(), StreamCodecs.end(),
                         [](const StreamCodec& codec) { return codec.codec == Codec::H264; });
}

// Hands the units [first, last) to the sink as one packet stamped as its first unit, or with
// `dts` in place of that unit's DTS.
void packet(MatroskaSink& sink, const Track& track, const std::vector<uint8_t>& es,
            const std::vector<maker::Unit>& units, size_t first, size_t last,
            std::optional<int64_t> dts = std::nullopt) {
    const auto begin = es.begin() + units[first].offset;
    const auto end = es.begin() + units[last - 1].offset + units[last - 1].size;
    // The parser reads past the run into zeroed room.
    std::vector<uint8_t> bytes(begin, end);
    bytes.resize(bytes.size() + AV_INPUT_BUFFER_PADDING_SIZE);
    uint32_t pending = 0;
    PayloadRun run{PacketKind::Video,
                   bytes.data(),
                   size_t(end - begin),
                   &track,
                   pending,
                   Base + units[first].pts,
                   Base + dts.value_or(units[first].dts),
                   false};
    sink.payload(run);
}

TEST(MatroskaSink, TimesAPartsLastPicturesByThatPart) {
    // The parser hands a frame over once the next two have begun: those at a part's end come
    // in the next part. The unstamped picture that shares the first part's last packet but one,
    // and the picture behind it whose DTS damage sent back half a second, are the first part's:
    // taken for the next part's, the damaged DTS began that part and timed it half a second
    // late.
    const EncodedStream& stream = encoded(Encoded::H264At25);
    std::ifstream in(stream.es, std::ios::binary);
    const std::vector<uint8_t> es{std::istreambuf_iterator<char>(in), {}};
    const std::vector<maker::Unit> units =
        maker::readUnitList(stream.units, int64_t(es.size())).units;
    ASSERT_GE(units.size(), 60u);

    const TempFolder folder;
    OpenFiles openFiles;
    RecordingEvents events;
    const DefaultTracks defaults{"", std::nullopt};
    const std::vector<std::string> laterParts{"SECOND.EVO"};
    const MkvSetup setup{folder / "title.mkv", "", defaults, DefaultFlacLevel, {},
                         laterParts,           {}, false,    openFiles,        events};
    const Track track{{IdField::StreamId, 0xE2}, &h264()};
    TrackPlan plan;
    plan.track = {track, "H.264.stream.0", "", true};
    plan.mkvCodec = MuxCodec::H264;
    MatroskaSink sink(setup);
    ASSERT_TRUE(sink.addTrack(plan));

    const size_t seam = 40;
    for (size_t i = 0; i + 3 < seam; ++i)
        packet(sink, track, es, units, i, i + 1);
    packet(sink, track, es, units, seam - 3, seam - 1);
    packet(sink, track, es, units, seam - 1, seam, units[seam - 1].dts - Base / 2);
    sink.partEnded();
    for (size_t i = seam; i < units.size(); ++i)
        packet(sink, track, es, units, i, i + 1);
    sink.finish({});

    const std::vector<double> times = packetTimesMs(folder / "title.mkv", "v:0");
    ASSERT_EQ(times.size(), units.size());
    const auto [first, last] = std::minmax_element(
        units.begin(), units.end(), [](const auto& a, const auto& b) { return a.pts < b.pts; });
    EXPECT_NEAR(*std::max_element(times.begin(), times.end()), double(last->pts - first->pts) / 90,
                1);
}

} // namespace
} // namespace splitwick::testing
