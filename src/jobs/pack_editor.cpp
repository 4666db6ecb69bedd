#include "pack_editor.h"

#include <algorithm>
#include <array>
#include <optional>

#include "engine/job_error.h"

namespace splitwick {

namespace {

// The pack header is taken to be 14 bytes (its pack_stuffing_length is not read), so the first
// packet's fields lie at the fixed offsets of pack_layout.h.

const char* kindName(BoxKind kind) {
    static constexpr const char* Names[] = {"video", "audio", "subpicture"};
    return Names[static_cast<int>(kind)];
}

// The codec whose drop test covers a packet: by its sub-stream or extension id x where its
// stream_id names such a field, by the stream_id itself otherwise. A packet matches at most one.
// Every audio and subpicture sub-stream that Read EVO finds is covered: one that no test
// covered could not be left out, and would be written with no identifier of its kind (0xFF).
const StreamCodec* droppedCodec(uint8_t sid, std::optional<uint8_t> x) {
    const IdField field = sid == PrivateStream1   ? IdField::SubStream
                          : sid == ExtendedStream ? IdField::Extension
                                                  : IdField::StreamId;
    if (field != IdField::StreamId && !x) return nullptr;
    const int id = field == IdField::StreamId ? sid : *x;
    const auto codec =
        std::find_if(StreamCodecs.begin(), StreamCodecs.end(),
                     [&](const StreamCodec& c) { return c.field == field && c.dropped.holds(id); });
    return codec == StreamCodecs.end() ? nullptr : &*codec;
}

} // namespace

PackEditor::PackEditor(const StreamTable& table, BoxChoice kept, RebuildState& rebuild)
    : table_(table), kept_(std::move(kept)), rebuild_(rebuild) {}

bool PackEditor::edit(uint8_t* pack, size_t n) {
    if (n < PackStartCode.size() || !std::equal(PackStartCode.begin(), PackStartCode.end(), pack))
        return false;
    // The read ended before the first packet's stream_id: nothing tells whose the pack is.
    if (n <= StreamIdOffset) return true;
    const uint8_t sid = pack[StreamIdOffset];
    if (sid == SystemHeaderId) writeBounds(pack, n, bounds());

    // x: the payload begins right after the H bytes behind PES_header_data_length; a private
    // stream 1 packet's sub-stream id is its first byte, an extended stream's
    // stream_id_extension the last header byte before it, which a header without data (H = 0)
    // does not have: that would be PES_header_data_length itself.
    std::optional<size_t> xOffset;
    if (n > HeaderLengthOffset) {
        const size_t headerLength = pack[HeaderLengthOffset];
        const size_t offset = HeaderLengthOffset + headerLength + (sid == PrivateStream1 ? 1 : 0);
        if (offset < n && (sid == PrivateStream1 || headerLength >= 1)) xOffset = offset;
    }
    const std::optional<uint8_t> x =
        xOffset ? std::optional<uint8_t>(pack[*xOffset]) : std::nullopt;
    const StreamCodec* codec = droppedCodec(sid, x);
    const bool testsStreamId = codec != nullptr && codec->field == IdField::StreamId;
    if (codec != nullptr && drop(*codec, testsStreamId ? sid : *x)) return false;

    // Every sub-stream and extension id is rewritten, also those no drop test covers (ids of no
    // known codec): theirs have no new identifier and become 0xFF.
    if ((sid == PrivateStream1 || sid == ExtendedStream) && xOffset)
        pack[*xOffset] = rebuild_.IdMap[*x];
    else if (testsStreamId)
        pack[StreamIdOffset] = rebuild_.IdMap[sid];
    return true;
}

bool PackEditor::isSystemHeader(const uint8_t* pack, size_t n) {
    return n > StreamIdOffset && std::equal(PackStartCode.begin(), PackStartCode.end(), pack) &&
           pack[StreamIdOffset] == SystemHeaderId;
}

bool PackEditor::drop(const StreamCodec& codec, uint8_t id) {
    // The first entry of the kind's group that holds the identifier decides, by its box.
    for (Box box : streamBoxes()) {
        if (box.kind != codec.kind || table_[tableEntry(box)] != id) continue;
        if (!kept_(box)) return true;
        break;
    }
    if (rebuild_.IdMap[id] == RebuildState::Unassigned) number(codec, id);
    return false;
}

void PackEditor::number(const StreamCodec& codec, uint8_t id) {
    const Numbering& rule = codec.numbering;
    const BoxKind kind = codec.kind;
    uint8_t& kept = rebuild_.kept(kind);
    // A count beyond the low bits would run into the fixed bits: the stream would take another
    // stream's identifier or one of another kind.
    if (kept >= rule.capacity)
        throw JobError(JobErrorKind::Refused,
                       std::string("Too many ") + kindName(kind) +
                           " streams are kept: there is no free identifier for stream " +
                           hexId(id));
    rebuild_.IdMap[id] = static_cast<uint8_t>((id & rule.fixedBits) + rule.base + kept);
    ++kept;
}

void PackEditor::writeBounds(uint8_t* pack, size_t n, SystemBounds bounds) {
    if (n > VideoBoundOffset)
        pack[VideoBoundOffset] =
            static_cast<uint8_t>((pack[VideoBoundOffset] & ~VideoBoundMask) + bounds.video);
    if (n > AudioBoundOffset)
        pack[AudioBoundOffset] =
            static_cast<uint8_t>((pack[AudioBoundOffset] & ~(AudioBoundMask << AudioBoundShift)) +
                                 (bounds.audio << AudioBoundShift));
}

SystemBounds PackEditor::bounds() const {
    // cbVideo0 and cbVideo1 count, the other video boxes stand for no stream.
    const auto kept = [&](BoxKind kind) {
        const auto& boxes = streamBoxes();
        return static_cast<int>(std::count_if(
            boxes.begin(), boxes.end(), [&](Box box) { return box.kind == kind && kept_(box); }));
    };
    return {kept(BoxKind::Video), kept(BoxKind::Audio)};
}

} // namespace splitwick
