// EVOs the test-file maker builds from streams of ffmpeg's encoders: the project's demux gives the
// streams back byte for byte, ffmpeg reads the same streams at the same times, and the
// timestamps stay whole across the 2^33 wrap and the seam of a split title.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <tuple>

#include <gtest/gtest.h>

#include "evo_maker/es_evo.h"
#include "support/encoded_streams.h"
#include "support/process.h"
#include "support/program_stream.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

constexpr int64_t Wrap = int64_t(1) << 33;

// Every codec, one audio stream starting 100 ms after the picture and one 50 ms before it.
const EncodedTitle EveryCodec = {{
    {Encoded::H264At24000_1001},
    {Encoded::Ac3, 100},
    {Encoded::Eac3, -50},
    {Encoded::Dts, 0},
    {Encoded::TrueHd, 20},
    {Encoded::Lpcm16Stereo, -10},
}};

// The Demux output names of EveryCodec's streams, in recipe order.
const std::vector<std::string> EveryCodecOutputs = {
    ".H.264.stream.0.mpv",  ".DD.stream.00.mpa",  ".DD+.stream.01.mpa",
    ".DTSHD.stream.02.mpa", ".MLP.stream.03.mpa", ".LPCM.stream.04.mpa",
};

std::string demux(const std::string& evo, const std::string& out) {
    const ProcessResult result = runProcess({SPLITWICK_CLI, "demux", evo, "--out", out});
    if (result.exitCode != 0) throw std::runtime_error(result.err);
    return result.out;
}

Bytes slice(const Bytes& bytes, int64_t begin, int64_t end) {
    return Bytes(bytes.begin() + begin, bytes.begin() + end);
}

// What ffmpeg's program stream reader makes of a file, by stream id ("0x1e2", "0x80").
struct Probed {
    std::string codec;
    std::string frameRate;
    double startTime = NAN;
};

std::map<std::string, Probed> probe(const std::string& path) {
    std::istringstream lines(
        runCommand("ffprobe -v error -f mpeg -show_entries "
                   "stream=codec_name,id,r_frame_rate,start_time -of csv=p=0 '" +
                   path + "'"));
    std::map<std::string, Probed> streams;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string codec, id, rate, start;
        std::getline(fields, codec, ',');
        std::getline(fields, id, ',');
        std::getline(fields, rate, ',');
        std::getline(fields, start, ',');
        streams[id] = {codec, rate, start.empty() || start == "N/A" ? NAN : std::stod(start)};
    }
    return streams;
}

// ffprobe's name of a stream: its PES stream_id, or its private-stream-1 sub-stream id.
std::string probedId(const maker::EsStream& s) {
    std::ostringstream id;
    id << "0x" << std::hex
       << (s.codec == maker::Codec::H264 || s.codec == maker::Codec::Mpeg2 ? 0x100 + s.id : s.id);
    return id.str();
}

// ffprobe's start times differ from the video's by the streams' delays, within a millisecond,
// and each is the stream's first PTS.
void expectStartsAtTheirDelays(const maker::EsRecipe& recipe, const maker::MadeEsEvo& made,
                               size_t part) {
    const std::map<std::string, Probed> probed = probe(made.evo.parts.at(part).path);
    const maker::PartTiming& timing = made.parts.at(part);
    const double video = probed.at(probedId(recipe.streams.front())).startTime;
    for (size_t i = 0; i < recipe.streams.size(); ++i) {
        const Probed& p = probed.at(probedId(recipe.streams[i]));
        const maker::StreamTiming& s = timing.streams[i];
        // ffmpeg undoes the wrap, so its times may lie below 0 or above 2^33 ticks.
        const int64_t ticks = std::llround(p.startTime * 90000);
        EXPECT_EQ((ticks % Wrap + Wrap) % Wrap, int64_t(*s.firstPts)) << s.box.jsonName();
        if (i > 0) {
            EXPECT_NEAR((p.startTime - video) * 1000,
                        double(*s.delayMs - *timing.streams.front().delayMs), 1.0)
                << s.box.jsonName();
        }
    }
}

// A PES header's 33-bit PTS or DTS: '001x' [32..30] 1, [29..15] 1, [14..0] 1.
int64_t timestampAt(const uint8_t* p) {
    return int64_t(p[0] >> 1 & 0x07) << 30 | int64_t(p[1]) << 22 | int64_t(p[2] >> 1) << 15 |
           int64_t(p[3]) << 7 | p[4] >> 1;
}

// The 33-bit PTS of each PES packet that has one, in file order, by stream (the PES stream_id,
// or 0xBD00 plus the private-stream-1 sub-stream id).
std::map<int, std::vector<int64_t>> packetTimestamps(const Bytes& file) {
    std::map<int, std::vector<int64_t>> timestamps;
    for (const StreamPacket& packet : streamPackets(file)) {
        const uint8_t id = packet.streamId;
        if ((id & 0xF0) != 0xE0 && id != 0xBD) continue;
        if ((file[packet.start + 7] & 0x80) == 0) continue;
        const int key = id == 0xBD ? 0xBD00 + file[packet.payload(file)] : id;
        timestamps[key].push_back(timestampAt(&file[packet.start + 9]));
    }
    return timestamps;
}

class EsEvo : public ::testing::Test {
  protected:
    maker::MadeEsEvo make(const EncodedTitle& title, const std::string& name = "T.EVO") {
        recipe = recipeOf(title);
        return maker::makeEsEvo(recipe, folder / name);
    }

    TempFolder folder, out;
    maker::EsRecipe recipe;
};

TEST_F(EsEvo, DemuxGivesBackEveryEncodedStream) {
    const maker::MadeEsEvo made = make(EveryCodec);
    // Each picture begins a packet, so the scan counts every access unit delimiter.
    EXPECT_EQ(made.evo.parts[0].frames[0], 72);
    const std::string log = demux(folder / "T.EVO", out.path());
    for (const char* line :
         {"H.264 video stream 0 found!", "DD audio stream 0 found!", "DD+ audio stream 1 found!",
          "DTS HD audio stream 2 found!", "MLP audio stream 3 found!", "LPCM audio stream 4 found!",
          "It contains 1 video stream and 5 audio streams.", "72 frames count in video stream 0."})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    for (size_t i = 0; i < recipe.streams.size(); ++i)
        EXPECT_EQ(readBytes(out / ("T" + EveryCodecOutputs[i])), readBytes(recipe.streams[i].es))
            << EveryCodecOutputs[i];
}

TEST_F(EsEvo, FfmpegReadsTheSameStreamsAtTheirDelays) {
    const maker::MadeEsEvo made = make(EveryCodec);
    const std::map<std::string, Probed> probed = probe(folder / "T.EVO");
    const std::vector<std::string> codecs = {"h264", "ac3", "eac3", "dts", "truehd", "pcm_dvd"};
    for (size_t i = 0; i < recipe.streams.size(); ++i)
        EXPECT_EQ(probed.at(probedId(recipe.streams[i])).codec, codecs[i]);
    expectStartsAtTheirDelays(recipe, made, 0);
    const std::vector<int64_t> delays = {0, 100, -50, 0, 20, -10};
    for (size_t i = 0; i < delays.size(); ++i)
        EXPECT_EQ(made.parts[0].streams[i].delayMs, delays[i]);

    // ffmpeg cuts the same frames out of the packets, and decodes the LPCM samples as they were.
    const std::string evo = "'" + folder / "T.EVO" + "'";
    const std::vector<std::string> formats = {"h264", "ac3", "eac3", "dts", "truehd"};
    for (size_t i = 0; i < formats.size(); ++i) {
        runCommand("ffmpeg -nostdin -v error -y -i " + evo +
                   " -map 0:i:" + probedId(recipe.streams[i]) + " -c copy -f " + formats[i] + " '" +
                   out / "copy" + "'");
        EXPECT_EQ(readBytes(out / "copy"), readBytes(recipe.streams[i].es)) << formats[i];
    }
    runCommand("ffmpeg -nostdin -v error -y -i " + evo +
               " -map 0:i:" + probedId(recipe.streams[5]) + " -f s16be '" + out / "samples" + "'");
    EXPECT_EQ(readBytes(out / "samples"), readBytes(recipe.streams[5].es));
}

// The presentation times ffmpeg gives the frames it cuts out of one stream of the file, in
// presentation order.
std::vector<int64_t> framePts(const std::string& path, const std::string& id) {
    std::istringstream lines(runCommand("ffprobe -v error -f mpeg -select_streams i:" + id +
                                        " -show_entries packet=pts -of csv=p=0 '" + path + "'"));
    std::vector<int64_t> pts;
    for (std::string line; std::getline(lines, line);)
        pts.push_back(std::stoll(line));
    std::sort(pts.begin(), pts.end());
    return pts;
}

TEST_F(EsEvo, FfmpegFindsEveryFrameAtItsTime) {
    make(EveryCodec);
    const std::string evo = folder / "T.EVO";
    // Frame k of 24000/1001 at 3753.75 k ticks, rounded.
    const std::vector<int64_t> video = framePts(evo, "0x1e2");
    ASSERT_EQ(video.size(), 72u);
    for (size_t k = 0; k < video.size(); ++k)
        EXPECT_EQ(video[k], 90000 + int64_t(std::floor(k * 3753.75 + 0.5))) << "frame " << k;
    // Audio frames of 1536 (AC-3, E-AC-3), 512 (DTS) and 40 samples (TrueHD) at 48 kHz, from
    // each stream's start.
    const std::vector<std::tuple<std::string, int64_t, int64_t, size_t>> audio = {
        {"0x80", 99000, 2880, 94},
        {"0xc1", 85500, 2880, 94},
        {"0x8a", 90000, 960, 282},
        {"0xb3", 91800, 75, 3600}};
    for (const auto& [id, first, step, frames] : audio) {
        const std::vector<int64_t> pts = framePts(evo, id);
        ASSERT_EQ(pts.size(), frames) << id;
        for (size_t k = 0; k < pts.size(); ++k)
            ASSERT_EQ(pts[k], first + int64_t(k) * step) << id << " frame " << k;
    }
}

TEST_F(EsEvo, PacksArriveBeforeTheirDataIsDecoded) {
    EncodedTitle title = {{{Encoded::H264At25}, {Encoded::Ac3, -100}, {Encoded::Dts, 300}}};
    title.ptsBase = Wrap - 30000; // SCR and timestamps wrap too
    make(title);
    const Bytes file = readBytes(folder / "T.EVO");
    // system_clock_reference_base: '01' [32..30] 1 [29..15] 1 [14..0] 1, extension behind.
    const auto scrAt = [&](size_t at) {
        const uint8_t* p = &file[at];
        return int64_t(p[0] >> 3 & 0x07) << 30 | int64_t(p[0] & 0x03) << 28 | int64_t(p[1]) << 20 |
               int64_t(p[2] >> 3) << 15 | int64_t(p[2] & 0x03) << 13 | int64_t(p[3]) << 5 |
               p[4] >> 3;
    };
    std::optional<int64_t> scr;
    for (const StreamPacket& packet : streamPackets(file)) {
        if (packet.start % 2048 == 14) {
            // The SCR of the pack header in front.
            const int64_t next = scrAt(packet.start - 10);
            if (scr) {
                const int64_t step = (next - *scr + Wrap) % Wrap;
                EXPECT_TRUE(step >= 49 && step < 90000) << "pack at " << packet.start;
            }
            scr = next;
        }
        const uint8_t flags = file[packet.start + 7];
        if ((packet.streamId != 0xBD && (packet.streamId & 0xF0) != 0xE0) || !(flags & 0x80))
            continue;
        // The decoding time: the DTS where there is one, else the PTS.
        const int64_t dts = timestampAt(&file[packet.start + 9 + ((flags & 0x40) ? 5 : 0)]);
        // Never late, and no more than a second early.
        EXPECT_LT((dts - *scr + Wrap) % Wrap, 90000) << "packet at " << packet.start;
    }
}

TEST_F(EsEvo, MkvmergeTakesEveryTrackAtItsDelay) {
    const maker::MadeEsEvo made = make(EveryCodec);
    const std::string identified = runCommand("mkvmerge -J '" + folder / "T.EVO" + "'");
    for (const char* codec : {"AVC/H.264/MPEG-4p10", "AC-3", "E-AC-3", "DTS", "TrueHD", "PCM"})
        EXPECT_NE(identified.find("\"codec\": \"" + std::string(codec) + "\""), std::string::npos)
            << codec;
    runCommand("mkvmerge -q -o '" + out / "T.mkv" + "' '" + folder / "T.EVO" + "'");
    // Tracks in the order mkvmerge found them: video, then audio by sub-stream id.
    std::istringstream lines(
        runCommand("ffprobe -v error -show_entries stream=codec_name,start_time "
                   "-of csv=p=0 '" +
                   out / "T.mkv" + "'"));
    std::map<std::string, double> starts;
    for (std::string line; std::getline(lines, line);)
        starts[line.substr(0, line.find(','))] = std::stod(line.substr(line.find(',') + 1));
    const std::vector<std::pair<std::string, size_t>> tracks = {
        {"ac3", 1}, {"eac3", 2}, {"dts", 3}, {"truehd", 4}, {"pcm_s16le", 5}};
    for (const auto& [codec, stream] : tracks)
        EXPECT_NEAR((starts.at(codec) - starts.at("h264")) * 1000,
                    double(*made.parts[0].streams[stream].delayMs), 1.0)
            << codec;
}

TEST_F(EsEvo, AudioPacketsPointAtTheirFirstFrame) {
    make({{{Encoded::H264At25}, {Encoded::Ac3}, {Encoded::Dts}}});
    const Bytes file = readBytes(folder / "T.EVO");
    // The sync words of an AC-3 and a DTS frame.
    const std::map<uint8_t, Bytes> syncWords = {{0x80, {0x0B, 0x77}},
                                                {0x89, {0x7F, 0xFE, 0x80, 0x01}}};
    std::map<uint8_t, int> frames;
    for (const StreamPacket& packet : streamPackets(file)) {
        if (packet.streamId != 0xBD) continue;
        // Sub-stream id, number_of_frame_headers, first_access_unit_pointer (from its own last
        // byte), payload.
        const size_t sub = packet.payload(file);
        const uint8_t id = file[sub];
        frames[id] += file[sub + 1];
        if (file[sub + 1] == 0) continue;
        const size_t first = sub + 3 + (size_t(file[sub + 2]) << 8 | file[sub + 3]);
        const Bytes& sync = syncWords.at(id);
        EXPECT_EQ(slice(file, int64_t(first), int64_t(first + sync.size())), sync)
            << "packet at " << packet.start;
    }
    // Three seconds: 1536 and 512 samples a frame at 48 kHz.
    EXPECT_EQ(frames[0x80], 94);
    EXPECT_EQ(frames[0x89], 282);
}

TEST_F(EsEvo, TimestampsCrossThe33BitWrapWithoutAJump) {
    EncodedTitle title = {
        {{Encoded::H264At24000_1001}, {Encoded::Ac3, 100}, {Encoded::Lpcm16Stereo, -50}}};
    title.ptsBase = Wrap - 90000; // one second before the wrap
    const maker::MadeEsEvo made = make(title);
    const maker::PartTiming& timing = made.parts.at(0);
    EXPECT_EQ(timing.referencePts, uint64_t(Wrap - 90000));
    EXPECT_EQ(timing.streams[1].firstPts, uint64_t(Wrap - 81000));
    EXPECT_EQ(timing.streams[1].delayMs, 100);
    EXPECT_EQ(timing.streams[2].delayMs, -50);
    EXPECT_LT(*timing.lastVideoPts, uint64_t(90000 * 2)); // past the wrap

    // Each AC-3 packet's PTS follows the one before by whole frames of 2880 ticks, modulo 2^33.
    const std::vector<int64_t> ac3 = packetTimestamps(readBytes(folder / "T.EVO")).at(0xBD80);
    bool wrapped = false;
    for (size_t i = 1; i < ac3.size(); ++i) {
        const int64_t step = ((ac3[i] - ac3[i - 1]) % Wrap + Wrap) % Wrap;
        EXPECT_TRUE(step > 0 && step % 2880 == 0) << "packet " << i << ": " << step;
        wrapped |= ac3[i] < ac3[i - 1];
    }
    EXPECT_TRUE(wrapped);
    expectStartsAtTheirDelays(recipe, made, 0);
    demux(folder / "T.EVO", out.path());
    EXPECT_EQ(readBytes(out / "T.DD.stream.00.mpa"), readBytes(recipe.streams[1].es));
}

TEST_F(EsEvo, SplitTitlePartsJoinIntoTheirInputsAtAVobu) {
    EncodedTitle title = {
        {{Encoded::H264At24000_1001}, {Encoded::Ac3, 100}, {Encoded::Lpcm16Stereo, -50}}};
    title.parts = 2;
    const maker::MadeEsEvo made = make(title, "T_1.EVO");
    ASSERT_EQ(made.parts.size(), 2u);
    const std::vector<std::string> outputs = {".H.264.stream.0.mpv", ".DD.stream.00.mpa",
                                              ".LPCM.stream.01.mpa"};
    demux(folder / "T_1.EVO", out.path());
    for (size_t i = 0; i < outputs.size(); ++i)
        EXPECT_EQ(readBytes(out / ("T_1_2" + outputs[i])), readBytes(recipe.streams[i].es));

    // The second part alone: it opens with a navigation pack and the system header, and its
    // streams from where the first part left them.
    const std::string log = demux(folder / "T_2.EVO", out.path());
    EXPECT_NE(log.find("It contains 1 video stream and 2 audio streams."), std::string::npos);
    for (size_t i = 0; i < outputs.size(); ++i) {
        const maker::StreamTiming& s = made.parts[1].streams[i];
        EXPECT_EQ(s.esBegin, made.parts[0].streams[i].esEnd);
        const Bytes es = readBytes(recipe.streams[i].es);
        EXPECT_EQ(int64_t(es.size()), s.esEnd);
        EXPECT_EQ(readBytes(out / ("T_2" + outputs[i])), slice(es, s.esBegin, s.esEnd));
    }
    // An open GOP: the frames behind the second part's first key frame are presented before it.
    const maker::PartTiming& second = made.parts[1];
    EXPECT_LT(*second.referencePts, *second.streams[0].firstPts);
    EXPECT_GT(*second.referencePts, *made.parts[0].lastVideoPts);
    // The timeline goes on over the seam: AC-3 frames 2880 ticks apart.
    const auto ac3 = [&](const std::string& name) {
        return packetTimestamps(readBytes(folder / name)).at(0xBD80);
    };
    EXPECT_EQ((ac3("T_2.EVO").front() - ac3("T_1.EVO").back()) % 2880, 0);
    EXPECT_GT(ac3("T_2.EVO").front(), ac3("T_1.EVO").back());
    for (size_t i = 1; i < outputs.size(); ++i)
        EXPECT_EQ(made.parts[0].streams[i].delayMs, i == 1 ? 100 : -50);
}

TEST_F(EsEvo, FrameRatesAndPictureCodecsComeThrough) {
    const std::vector<std::pair<Encoded, std::string>> pictures = {
        {Encoded::H264At24000_1001, "24000/1001"},
        {Encoded::H264At25, "25"},
        {Encoded::Mpeg2At25, "25"},
    };
    for (const auto& [picture, rate] : pictures) {
        const maker::MadeEsEvo made = make({{{picture}, {Encoded::Ac3, 100}}});
        EXPECT_EQ(made.videoFrameRate, rate);
        const Probed video = probe(folder / "T.EVO").at(probedId(recipe.streams[0]));
        EXPECT_EQ(video.frameRate, rate.find('/') == std::string::npos ? rate + "/1" : rate);
        EXPECT_EQ(made.parts[0].streams[1].delayMs, 100);
        expectStartsAtTheirDelays(recipe, made, 0);
        TempFolder demuxed;
        demux(folder / "T.EVO", demuxed.path());
        const std::string name =
            picture == Encoded::Mpeg2At25 ? "T.MPEG-2.stream.0.mpv" : "T.H.264.stream.0.mpv";
        EXPECT_EQ(readBytes(demuxed / name), readBytes(recipe.streams[0].es)) << rate;
    }
}

// A VC-1 stream needs no unit list: the maker finds its pictures and their order in the stream
// and stamps each packet where one begins with its PTS and DTS, one frame apart at the sequence
// header's 30000/1001. ffmpeg decodes the EVO's pictures one frame apart in the order they are
// shown (I I BI I BI is shown as I BI I BI I; B pictures are shown before the P in front of
// them), the demux gives the stream back, and the .mkv shows the stream's pictures.
TEST_F(EsEvo, Vc1PicturesAreFoundInTheStreamInTheOrderTheyAreShown) {
    struct Case {
        std::string file;
        size_t pictures;
        std::string firstStamps; // PTS,DTS of the first pictures, in frames from the first PTS
    };
    const std::vector<Case> cases = {
        {"vc1_ends_sequence.vc1", 5, "0,-1 2,0 1,1 4,2 3,3"},
        {"vc1_b_pictures.vc1", 16, "0,-1 2,0 1,1 4,2 3,3 6,4 5,5 8,6 7,7"},
    };
    const EncodedStream& ac3 = encoded(Encoded::Ac3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string vc1 = std::string(SPLITWICK_TEST_DATA) + "/" + c.file;
        recipe.streams = {{maker::Codec::Vc1, 0x55, vc1, ""}, {ac3.codec, 0x80, ac3.es, ac3.units}};
        const maker::MadeEsEvo made = maker::makeEsEvo(recipe, folder / "T.EVO");
        EXPECT_EQ(made.videoFrameRate, "30000/1001");
        EXPECT_EQ(made.evo.parts[0].frames[0], int64_t(c.pictures));

        std::istringstream stamps(runCommand("ffprobe -v error -f mpeg -select_streams v "
                                             "-show_entries packet=pts,dts -of csv=p=0 '" +
                                             folder / "T.EVO" + "' | tr , ' '"));
        std::vector<std::string> frames;
        std::optional<int64_t> first;
        for (int64_t pts, dts; stamps >> pts >> dts && frames.size() < 9;) {
            first = first.value_or(pts);
            frames.push_back(std::to_string((pts - *first) / 3003) + "," +
                             std::to_string((dts - *first) / 3003));
        }
        std::ostringstream joined;
        for (size_t i = 0; i < std::min<size_t>(frames.size(), c.pictures); ++i)
            joined << (i ? " " : "") << frames[i];
        EXPECT_EQ(joined.str(), c.firstStamps);
        // The decoded pictures' times, in frames from the first: 0, 1, 2, ...
        std::istringstream decoded(runCommand("ffprobe -v error -f mpeg -select_streams v "
                                              "-show_entries frame=pts -of csv=p=0 '" +
                                              folder / "T.EVO" + "'"));
        std::vector<int64_t> shown{std::istream_iterator<int64_t>(decoded),
                                   std::istream_iterator<int64_t>()};
        ASSERT_EQ(shown.size(), c.pictures);
        for (size_t i = 0; i < shown.size(); ++i)
            EXPECT_EQ(shown[i] - shown[0], int64_t(i) * 3003) << "picture " << i;

        TempFolder demuxed;
        const std::string log = demux(folder / "T.EVO", demuxed.path());
        EXPECT_NE(log.find("VC-1 video stream 0 found!"), std::string::npos) << log;
        EXPECT_EQ(readBytes(demuxed / "T.VC-1.stream.0.mpv"), readBytes(vc1));
        const ProcessResult muxed =
            runProcess({SPLITWICK_CLI, "mkv", folder / "T.EVO", "--out", demuxed.path()});
        ASSERT_EQ(muxed.exitCode, 0) << muxed.err;
        EXPECT_EQ(frameHashes("-i '" + demuxed / "T.mkv" + "' -map 0:v"),
                  frameHashes("-f vc1 -i '" + vc1 + "'"));
    }
}

TEST_F(EsEvo, ExpectedOutputsAreTheInputsBytes) {
    EncodedTitle title = {{{Encoded::Mpeg2At25}, {Encoded::Eac3, 30}}};
    title.parts = 2;
    TempFolder expect;
    recipe = recipeOf(title);
    const maker::MadeEsEvo made = maker::makeEsEvo(recipe, folder / "T_1.EVO", expect.path());
    EXPECT_EQ(made.evo.expectedFiles.size(), 6u);
    EXPECT_EQ(fileNamesIn(expect.path()),
              (std::vector<std::string>{"T_1.DD+.stream.00.mpa", "T_1.MPEG-2.stream.0.mpv",
                                        "T_1_2.DD+.stream.00.mpa", "T_1_2.MPEG-2.stream.0.mpv",
                                        "T_2.DD+.stream.00.mpa", "T_2.MPEG-2.stream.0.mpv"}));
    EXPECT_EQ(readBytes(expect / "T_1_2.MPEG-2.stream.0.mpv"), readBytes(recipe.streams[0].es));
    EXPECT_EQ(readBytes(expect / "T_1_2.DD+.stream.00.mpa"), readBytes(recipe.streams[1].es));
    EXPECT_EQ(made.evo.parts[0].frames[0] + made.evo.parts[1].frames[0], 75);
}

TEST_F(EsEvo, RecipesItCannotMakeAreRefused) {
    const auto refused = [&](EncodedTitle title, const std::string& name = "X_1.EVO") {
        EXPECT_THROW(maker::makeEsEvo(recipeOf(title), folder / name), std::invalid_argument);
    };
    refused({{{Encoded::Ac3}}}); // no video stream 0
    EncodedTitle wrap = {{{Encoded::H264At25}}};
    wrap.ptsBase = Wrap;
    refused(wrap);
    EncodedTitle split = {{{Encoded::H264At25}}};
    split.parts = 2;
    refused(split, "X.EVO"); // a split title's first part ends in _1.EVO
    maker::EsRecipe sameBox = recipeOf({{{Encoded::H264At25}, {Encoded::Ac3}, {Encoded::Dts}}});
    sameBox.streams[2].id = 0x88; // DTS 0x88 and DD 0x80 are both audio stream 0
    EXPECT_THROW(maker::makeEsEvo(sameBox, folder / "X.EVO"), std::invalid_argument);
}

} // namespace
} // namespace splitwick::testing
