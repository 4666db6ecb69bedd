#include "pack_editor.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "engine/job_error.h"

namespace splitwick {

namespace {

constexpr std::array<uint8_t, 4> PackStartCode = {0x00, 0x00, 0x01, 0xBA};

// The pack header is taken to be 14 bytes (its pack_stuffing_length is not read), so the first
// packet's fields lie at fixed offsets.
constexpr size_t StreamIdOffset = 17;     // stream_id
constexpr size_t HeaderLengthOffset = 22; // PES_header_data_length, H
constexpr size_t AudioBoundOffset = 23;   // system header: audio_bound, fixed_flag, CSPS_flag
constexpr size_t VideoBoundOffset = 24;   // system header: lock flags, marker, video_bound

constexpr uint8_t SystemHeader = 0xBB;
constexpr uint8_t PrivateStream1 = 0xBD;
constexpr uint8_t ExtendedStream = 0xFD;

// The packets a drop test covers. A row either names the stream_id and tests the packet's
// sub-stream or extension id, or tests the stream_id itself. A packet matches at most one row.
// Every audio and subpicture sub-stream that Read EVO finds is covered: one that no row covered
// could not be left out, and would be written with no identifier of its kind (0xFF).
constexpr int TestsStreamId = -1;
struct DropRow {
    int streamId;
    uint8_t low, high; // the tested identifier, both ends included
    BoxKind kind;
};

constexpr std::array<DropRow, 10> DropRows = {{
    {PrivateStream1, 0xC0, 0xCF, BoxKind::Audio},      // DD+
    {PrivateStream1, 0x88, 0x8F, BoxKind::Audio},      // DTS-HD
    {PrivateStream1, 0x80, 0x87, BoxKind::Audio},      // DD
    {PrivateStream1, 0xA0, 0xA7, BoxKind::Audio},      // LPCM
    {PrivateStream1, 0xB0, 0xB7, BoxKind::Audio},      // MLP
    {PrivateStream1, 0x20, 0x3F, BoxKind::Subpicture}, // subpicture
    {PrivateStream1, 0x60, 0x7F, BoxKind::Subpicture}, // extended subpicture
    {ExtendedStream, 0x55, 0x56, BoxKind::Video},      // VC-1 stream_id_extension
    {TestsStreamId, 0xE0, 0xE3, BoxKind::Video},       // MPEG-2, H.264
    {TestsStreamId, 0xC0, 0xDF, BoxKind::Audio},       // MPEG audio
}};

// How a kept stream's new identifier is formed: the old one's fixed bits or a base, plus the count
// of its kind kept before it in the low bits. Capacity is what the low bits can number; within it
// the sum is the same as an OR into them. One counter serves every identifier of a kind, so the
// numbers stay unique across codecs.
struct NumberingRule {
    BoxKind kind;
    uint8_t low, high; // old identifiers the rule is for, both ends included
    uint8_t fixedBits;
    uint8_t base;
    int capacity;
};

constexpr std::array<NumberingRule, 5> NumberingRules = {{
    {BoxKind::Video, 0x55, 0x56, 0x00, 0x55, 2},       // VC-1: 0x55 and 0x56 only
    {BoxKind::Video, 0x00, 0xFF, 0xFE, 0x00, 2},       // 0xE0 to 0xE3: bit 1 tells the codec
    {BoxKind::Audio, 0xC0, 0xCF, 0x00, 0xC0, 16},      // 0xC0 to 0xCF
    {BoxKind::Audio, 0x00, 0xFF, 0xF8, 0x00, 8},       // DD, DTS-HD, LPCM, MLP, 0xD0 to 0xDF
    {BoxKind::Subpicture, 0x00, 0xFF, 0xE0, 0x00, 32}, // 0x20 to 0x3F, 0x60 to 0x7F
}};

const char* kindName(BoxKind kind) {
    static constexpr const char* Names[] = {"video", "audio", "subpicture"};
    return Names[static_cast<int>(kind)];
}

std::string hexId(uint8_t id) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", id);
    return text;
}

} // namespace

bool InRange(int value, int low, int high) {
    return low <= value && value <= high;
}

PackEditor::PackEditor(const Session& session, RebuildState& rebuild)
    : table_(session.state.StreamTable), controls_(session.controls), rebuild_(rebuild) {}

bool PackEditor::edit(uint8_t* pack, size_t n) {
    if (n < PackStartCode.size() || !std::equal(PackStartCode.begin(), PackStartCode.end(), pack))
        return false;
    // The read ended before the first packet's stream_id: nothing tells whose the pack is.
    if (n <= StreamIdOffset) return true;
    const uint8_t sid = pack[StreamIdOffset];
    if (sid == SystemHeader) rewriteBounds(pack, n);

    // x: the payload begins at 23 + H; a private stream 1 packet's sub-stream id is its first
    // byte, an extended stream's stream_id_extension the last header byte before it, which a
    // header without data (H = 0) does not have: 22 + 0 is PES_header_data_length itself.
    std::optional<size_t> xOffset;
    if (n > HeaderLengthOffset) {
        const size_t headerLength = pack[HeaderLengthOffset];
        const size_t offset = 22 + headerLength + (sid == PrivateStream1 ? 1 : 0);
        if (offset < n && (sid == PrivateStream1 || headerLength >= 1)) xOffset = offset;
    }
    const auto row = std::find_if(DropRows.begin(), DropRows.end(), [&](const DropRow& r) {
        if (r.streamId == TestsStreamId) return InRange(sid, r.low, r.high);
        return sid == r.streamId && xOffset && InRange(pack[*xOffset], r.low, r.high);
    });
    const bool testsStreamId = row != DropRows.end() && row->streamId == TestsStreamId;
    if (row != DropRows.end() && drop(row->kind, testsStreamId ? sid : pack[*xOffset]))
        return false;

    // Every sub-stream and extension id is rewritten, also those no drop test covers (ids of no
    // known codec): theirs have no new identifier and become 0xFF.
    if ((sid == PrivateStream1 || sid == ExtendedStream) && xOffset)
        pack[*xOffset] = rebuild_.IdMap[pack[*xOffset]];
    else if (testsStreamId)
        pack[StreamIdOffset] = rebuild_.IdMap[sid];
    return true;
}

bool PackEditor::drop(BoxKind kind, uint8_t id) {
    // The first entry of the kind's group that holds the identifier decides, by its box.
    for (Box box : streamBoxes()) {
        if (box.kind != kind || table_[tableEntry(box)] != id) continue;
        if (!controls_.ticked(box)) return true;
        break;
    }
    if (rebuild_.IdMap[id] == RebuildState::Unassigned) number(kind, id);
    return false;
}

void PackEditor::number(BoxKind kind, uint8_t id) {
    const NumberingRule& rule =
        *std::find_if(NumberingRules.begin(), NumberingRules.end(), [&](const NumberingRule& r) {
            return r.kind == kind && InRange(id, r.low, r.high);
        });
    uint8_t& kept = rebuild_.kept(kind);
    // A count beyond the low bits would run into the fixed bits: the stream would take another
    // stream's identifier or one of another kind.
    if (kept >= rule.capacity)
        throw JobError(std::string("Too many ") + kindName(kind) +
                       " streams are kept: there is no free identifier for stream " + hexId(id));
    rebuild_.IdMap[id] = static_cast<uint8_t>((id & rule.fixedBits) + rule.base + kept);
    ++kept;
}

void PackEditor::rewriteBounds(uint8_t* pack, size_t n) const {
    // video_bound is the lower 5 bits of its byte, audio_bound the upper 6 bits of its own.
    if (n > VideoBoundOffset)
        pack[VideoBoundOffset] =
            static_cast<uint8_t>((pack[VideoBoundOffset] & 0xE0) + tickedBoxes(BoxKind::Video));
    if (n > AudioBoundOffset)
        pack[AudioBoundOffset] =
            static_cast<uint8_t>((pack[AudioBoundOffset] & 0x03) + 4 * tickedBoxes(BoxKind::Audio));
}

int PackEditor::tickedBoxes(BoxKind kind) const {
    // cbVideo0 and cbVideo1 count, the other video boxes stand for no stream; enabled or not.
    const auto& boxes = streamBoxes();
    return static_cast<int>(std::count_if(boxes.begin(), boxes.end(), [&](Box box) {
        return box.kind == kind && controls_.ticked(box);
    }));
}

} // namespace splitwick
