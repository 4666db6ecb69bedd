// Rebuild on a file made from the input, after Read EVO, with the boxes ticked as the input says.
// The rebuilt file holds source packs in their order, each whole, beginning with a pack start
// code, and changed only where the rebuild may change it: a stream's identifier (to another of
// the same kind and codec) and a system header's bounds. The source stays as it was.
//
// Input: seven bytes whose bits 0 to 49 tick the streams by name in track order (video0,
// video1, audio00 to audio15, sub00 to sub31), then the EVO.
#include <algorithm>
#include <array>
#include <filesystem>

#include "engine/job_error.h"
#include "fuzz_check.h"
#include "jobs/read_evo.h"
#include "jobs/rebuild_job.h"
#include "support/recording_events.h"
#include "support/test_files.h"

namespace fs = std::filesystem;
using namespace splitwick;
using namespace splitwick::testing;
using splitwick::fuzz::require;

namespace {

constexpr size_t PackSize = 2048;
constexpr size_t TickBytes = 7;

// Identifiers that are renumbered within their range: the new one lies in the old one's range.
struct IdRange {
    uint8_t low, high;
};
// Private stream 1 sub-streams: DD+, DTS-HD, DD, LPCM, MLP, subpicture, extended subpicture.
constexpr std::array<IdRange, 7> SubStreams = {{{0xC0, 0xCF},
                                                {0x88, 0x8F},
                                                {0x80, 0x87},
                                                {0xA0, 0xA7},
                                                {0xB0, 0xB7},
                                                {0x20, 0x3F},
                                                {0x60, 0x7F}}};
// stream_ids: MPEG-2, H.264, MPEG audio 0xC0 to 0xCF, and 0xD0 to 0xD7, 0xD8 to 0xDF.
constexpr std::array<IdRange, 5> StreamIds = {
    {{0xE0, 0xE1}, {0xE2, 0xE3}, {0xC0, 0xCF}, {0xD0, 0xD7}, {0xD8, 0xDF}}};
constexpr std::array<IdRange, 1> Extensions = {{{0x55, 0x56}}};

// Whether an identifier may become this one. One of no range (no drop test covers it) has no
// identifier of its own kind to keep.
template <size_t N>
bool sameKind(const std::array<IdRange, N>& ranges, uint8_t old, uint8_t now, bool covered) {
    for (const IdRange& range : ranges)
        if (old >= range.low && old <= range.high) return now >= range.low && now <= range.high;
    return !covered;
}

// Whether the byte at offset k of the pack may differ from the source's: read on its own from
// the pack header (14 bytes and pack_stuffing_length) and the first packet's header.
bool mayChange(const uint8_t* source, size_t n, size_t k, uint8_t now) {
    const size_t p = 14 + (n > 13 ? source[13] & 0x07 : 0); // the first packet
    if (n <= p + 3 || source[p] != 0 || source[p + 1] != 0 || source[p + 2] != 1) return false;
    const uint8_t sid = source[p + 3];
    const size_t h = n > p + 8 ? source[p + 8] : 0;
    const uint8_t old = source[k];
    if (sid == 0xBB && k == p + 9) return (old & 0x03) == (now & 0x03);  // audio_bound
    if (sid == 0xBB && k == p + 10) return (old & 0xE0) == (now & 0xE0); // video_bound
    if (k == p + 3 && sid >= 0xC0 && sid <= 0xE3) return sameKind(StreamIds, old, now, true);
    if (sid == 0xBD && n > p + 8 && k == p + 9 + h) return sameKind(SubStreams, old, now, false);
    // The stream_id_extension lies in the header, behind the fields its flags announce.
    if (sid == 0xFD && n > p + 8 && k >= p + 9 && k < p + 9 + h)
        return sameKind(Extensions, old, now, false);
    return false;
}

bool isEditOf(const uint8_t* source, const uint8_t* rebuilt, size_t n) {
    static const uint8_t PackStart[] = {0x00, 0x00, 0x01, 0xBA};
    if (n < 4 || !std::equal(PackStart, PackStart + 4, rebuilt)) return false;
    for (size_t k = 0; k < n; ++k)
        if (rebuilt[k] != source[k] && !mayChange(source, n, k, rebuilt[k])) return false;
    return true;
}

// Matches each pack of the rebuilt file to the next source pack it can be an edit of.
void expectSourcePacksInOrder(const Bytes& source, const Bytes& rebuilt) {
    size_t at = 0;
    for (size_t offset = 0; offset < source.size() && at < rebuilt.size(); offset += PackSize) {
        const size_t n = std::min(PackSize, source.size() - offset);
        if (at + n <= rebuilt.size() && isEditOf(&source[offset], &rebuilt[at], n)) at += n;
    }
    require(at == rebuilt.size(),
            "rebuilt bytes from " + std::to_string(at) + " are no edit of a source pack");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const TempFolder folder;
    const std::string evo = folder / "A.EVO";
    const std::string rebuilt = folder / "A.rebuilt.EVO";
    fs::remove(rebuilt);
    const size_t ticks = std::min(size, TickBytes);
    const Bytes source(data + ticks, data + size);
    writeBytes(evo, source);

    RecordingEvents events;
    JobRequest request;
    request.evoPath = evo;
    request.outputFolder = folder.path();
    request.writes = Writes::Rebuilt;
    const size_t filesOpen = openFileDescriptors();
    try {
        const ReadResult read = readEvo(request, events);
        std::vector<TrackName> ticked;
        size_t i = 0;
        for (TrackKind kind : {TrackKind::Video, TrackKind::Audio, TrackKind::Subpicture})
            for (int number = 0; number < numbersOfKind(kind); ++number, ++i)
                if (i / 8 < ticks && (data[i / 8] >> (i % 8)) & 1) ticked.push_back({kind, number});
        request.choice.names = ticked;
        request.earlier = EarlierReads{read.tracks, std::nullopt, false};
        rebuild(request, events);
    } catch (const JobError&) {
        // Too many kept streams for their identifiers: what was written so far is checked.
    }
    require(openFileDescriptors() == filesOpen, "a file was left open");
    require(readBytes(evo) == source, "the source changed");
    if (fs::exists(rebuilt)) expectSourcePacksInOrder(source, readBytes(rebuilt));
    return 0;
}
