// What goes into a mux, made from any bytes, each with a property that must hold:
// - the WAV writer, fed packet headers and samples: a stored file is a WAV whose data chunk
//   holds whole frames and ends the file (with its pad byte);
// - the timing recorder, fed video timestamps: a rate it measures is positive, and only one a
//   disc plays at is taken without a line saying so;
// - the chapter XML, of chapter names: UTF-8 that holds no code point XML refuses;
// - the block times, fed timestamps present or missing, stepping any way: decoding times that
//   go forward, and no block presented before it is decoded.
//
// Input: the bytes are read as a stream of small numbers and runs; every part takes from it in
// turn, so that each input drives all four.
#include <algorithm>
#include <filesystem>
#include <string_view>

#include "engine/job_error.h"
#include "engine/lpcm_wav_file.h"
#include "engine/timing_recorder.h"
#include "fuzz_check.h"
#include "jobs/chapter_file.h"
#include "jobs/mux_plan.h"
#include "mux/track_clock.h"
#include "support/test_files.h"

using namespace splitwick;
using splitwick::fuzz::require;
using splitwick::testing::Bytes;
using splitwick::testing::readBytes;
using splitwick::testing::TempFolder;

namespace {

class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    // Up to `most` bytes, as many as the next byte says.
    std::string text(size_t most) {
        const size_t length = std::min<size_t>({byte(), most, size_ - at_});
        const std::string taken(reinterpret_cast<const char*>(data_ + at_), length);
        at_ += length;
        return taken;
    }
    bool empty() const { return at_ >= size_; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

uint32_t le32(const Bytes& bytes, size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

// Where a chunk's tag first stands in the file.
size_t chunk(const Bytes& file, std::string_view tag) {
    return size_t(std::search(file.begin(), file.end(), tag.begin(), tag.end()) - file.begin());
}

// A stored WAV: its data chunk holds whole frames (block align) and ends the file.
void checkWav(const Bytes& file) {
    if (file.empty()) return; // no packet gave a format
    const size_t fmt = chunk(file, "fmt ");
    const size_t data = chunk(file, "data");
    require(fmt + 24 <= file.size() && data + 8 <= file.size(), "a WAV header");
    const uint32_t blockAlign = uint32_t(file[fmt + 20]) | uint32_t(file[fmt + 21]) << 8;
    const uint64_t size = le32(file, data + 4);
    require(blockAlign > 0 && size % blockAlign == 0, "whole frames in the data chunk");
    require(data + 8 + size + size % 2 == file.size(), "a data chunk that ends the file");
}

void wavWriter(Input& in, const std::string& path) {
    {
        OpenFiles files;
        LpcmWavFile wav(path, 0, files);
        try {
            for (int packets = in.byte() % 8; packets > 0; --packets) {
                wav.packetHeader({in.byte(), in.byte(), in.byte()});
                const std::string samples = in.text(255);
                wav.write(reinterpret_cast<const uint8_t*>(samples.data()), samples.size());
            }
        } catch (const JobError&) {
            // A format the WAV cannot hold: the file keeps what came before.
        }
        wav.close();
    }
    checkWav(readBytes(path));
}

void timingRecorder(Input& in) {
    TimingRecorder recorder;
    uint32_t pending = 0;
    int64_t pts = 90000;
    const Track video{{IdField::StreamId, 0xE2}, &StreamCodecs[1]};
    for (int packets = in.byte() % 32; packets > 0; --packets) {
        // Steps of any size, repeats and jumps back among them.
        const auto step = int64_t(int8_t(in.byte()));
        pts = ptsPlus(pts, step * in.byte() * 16);
        PayloadRun run{PacketKind::Video, nullptr, 0, &video, pending, pts, pts, false};
        recorder.payload(run);
    }
    const PartTiming part = recorder.endPart("A.EVO");
    if (!part.videoFrameRate) return;
    const FrameRate rate = *part.videoFrameRate;
    require(rate.numerator > 0 && rate.denominator > 0, "a positive rate");
    require(ownTimingLine(MuxCodec::H264, rate).empty() == isDiscRate(rate),
            "one line for a rate not used");
}

// Whether the text is UTF-8 of code points XML takes.
bool xmlCharacters(const std::string& text) {
    for (size_t at = 0; at < text.size();) {
        const auto lead = static_cast<uint8_t>(text[at]);
        const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (lead >= 0x80 && (lead < 0xC2 || lead > 0xF4)) return false;
        if (at + length > text.size()) return false;
        uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t i = 1; i < length; ++i) {
            const auto next = static_cast<uint8_t>(text[at + i]);
            if ((next & 0xC0) != 0x80) return false;
            code = code << 6 | (next & 0x3F);
        }
        const bool allowed =
            code == '\n' || (code >= 0x20 && code < 0x7F) || (code >= 0xA0 && code <= 0xD7FF) ||
            (code >= 0xE000 && code <= 0xFFFD && !(code >= 0xFDD0 && code <= 0xFDEF)) ||
            (code >= 0x10000 && code <= 0x10FFFF && (code & 0xFFFE) != 0xFFFE);
        if (!allowed) return false;
        at += length;
    }
    return true;
}

void chapterXml(Input& in) {
    TitleChapters chapters{in.text(8), {}};
    for (int marks = in.byte() % 4; marks > 0; --marks)
        chapters.marks.push_back({int64_t(in.byte()) * 1'000'000'007, in.text(64)});
    require(xmlCharacters(matroskaChapterXml(chapters)), "chapter XML of XML's characters");
}

void trackClock(Input& in) {
    const bool video = in.byte() % 2 == 0;
    TrackClock times(video ? TrackClock::Kind::Video : TrackClock::Kind::Audio,
                     video ? CountLength{1001, 24000} : CountLength{1, 48000});
    int64_t stamp = 0;
    std::optional<BlockTime> last;
    for (int frames = in.byte() % 64; frames > 0; --frames) {
        stamp += int64_t(int8_t(in.byte())) * in.byte();
        const uint8_t kind = in.byte() % 3; // no timestamp, the PTS only, PTS and DTS
        const auto pts = kind > 0 ? std::optional(stamp) : std::nullopt;
        const auto dts = kind > 1 ? std::optional(stamp - in.byte() * 100) : std::nullopt;
        const std::optional<BlockTime> time =
            times.next({pts, dts, video ? 1 : int64_t(in.byte()) * 10}, {});
        if (!time) continue;
        require(time->pts >= time->dts, "no block presented before it is decoded");
        require(!last || time->dts > last->dts, "decoding times that go forward");
        last = time;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const TempFolder folder;
    Input in(data, size);
    wavWriter(in, folder / "out.wav");
    timingRecorder(in);
    chapterXml(in);
    trackClock(in);
    return 0;
}
