#include "pack_editor.h"

#include <algorithm>

#include "engine/job_error.h"

namespace splitwick {

namespace {

const char* kindName(TrackKind kind) {
    static constexpr const char* Names[] = {"video", "audio", "subpicture"};
    return Names[static_cast<int>(kind)];
}

// The field that names a packet's stream, by its stream_id.
IdField namingField(uint8_t streamId) {
    return streamId == PrivateStream1   ? IdField::SubStream
           : streamId == ExtendedStream ? IdField::Extension
                                        : IdField::StreamId;
}

// The codec whose drop test covers an identifier of this field. A packet matches at most one.
// Every audio and subpicture sub-stream that Read EVO finds is covered: one that no test covered
// could not be left out, and would be written with no identifier of its kind (0xFF).
const StreamCodec* droppedCodec(IdField field, uint8_t id) {
    const auto codec =
        std::find_if(StreamCodecs.begin(), StreamCodecs.end(),
                     [&](const StreamCodec& c) { return c.field == field && c.dropped.holds(id); });
    return codec == StreamCodecs.end() ? nullptr : &*codec;
}

} // namespace

bool PackEditor::edit(uint8_t* pack, size_t n) {
    const PackView view({pack, n});
    if (!view.isPack()) return false;
    // The read ended before the first packet's stream_id: nothing tells whose the pack is.
    if (!view.streamId()) return true;
    const uint8_t sid = *view.streamId();
    if (const auto at = view.boundsAt()) PackView::writeBounds({pack + *at, n - *at}, bounds());

    const IdField field = namingField(sid);
    const std::optional<size_t> namedAt = view.namingByteAt();
    if (field != IdField::StreamId && !namedAt) return true;
    const uint8_t id = field == IdField::StreamId ? sid : pack[*namedAt];
    const StreamCodec* codec = droppedCodec(field, id);
    if (codec != nullptr && drop(*codec, field, id)) return false;

    // Every sub-stream and extension id is rewritten, also those no drop test covers (ids of no
    // known codec): theirs have no new identifier and become 0xFF.
    if (field != IdField::StreamId)
        pack[*namedAt] = idMap_[id];
    else if (codec != nullptr)
        pack[*view.packetAt() + PacketStreamId] = idMap_[sid];
    return true;
}

bool PackEditor::drop(const StreamCodec& codec, IdField field, uint8_t id) {
    if (const Track* track = tracks_.find({field, id}); track != nullptr && !kept_(*track))
        return true;
    if (idMap_[id] == Unassigned) number(codec, id);
    return false;
}

void PackEditor::number(const StreamCodec& codec, uint8_t id) {
    const Numbering& rule = codec.numbering;
    uint8_t& kept = keptByKind_[size_t(codec.kind)];
    // A count beyond the low bits would run into the fixed bits: the stream would take another
    // stream's identifier or one of another kind.
    if (kept >= rule.capacity)
        throw JobError(JobErrorKind::Refused,
                       std::string("Too many ") + kindName(codec.kind) +
                           " streams are kept: there is no free identifier for stream " +
                           hexId(id));
    idMap_[id] = static_cast<uint8_t>((id & rule.fixedBits) + rule.base + kept);
    ++kept;
}

} // namespace splitwick
