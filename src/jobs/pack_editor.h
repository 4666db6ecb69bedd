#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "engine/pack_view.h"
#include "engine/stream_codecs.h"
#include "engine/track.h"

namespace splitwick {

// Decides, pack by pack, what a rebuilt EVO keeps: packs of streams not kept go, the kept
// streams get new identifiers in the order they are met, numbered per kind from 0 (one counter
// for all audio codecs, one for video stream ids and extensions alike), and system headers get
// the numbers of kept video and audio streams as their bounds. Which stream a pack is comes from
// the tracks a scan met, looked up as each pack comes: a stream the scan has not met (an id of no
// known codec) is never left out. The numbering carries on over a title's parts.
class PackEditor {
  public:
    using Kept = std::function<bool(const Track&)>;
    using Bounds = std::function<SystemBounds()>;

    PackEditor(const TrackList& tracks, Kept kept, Bounds bounds)
        : tracks_(tracks), kept_(std::move(kept)), bounds_(std::move(bounds)) {
        idMap_.fill(Unassigned);
    }

    // Edits the n bytes read of one pack in place; true when they are to be written. Nothing
    // outside those n bytes is read or written: a field the read did not reach is absent. A
    // kept stream without a new identifier gets the next one of its kind; when its kind has
    // none left, a JobError.
    bool edit(uint8_t* pack, size_t n);

    // The bounds that system headers get now.
    SystemBounds bounds() const { return bounds_(); }

  private:
    static constexpr uint8_t Unassigned = 255;

    // True when the stream of this identifier, of the codec whose drop test covers it, is to be
    // left out.
    bool drop(const StreamCodec& codec, IdField field, uint8_t id);
    void number(const StreamCodec& codec, uint8_t id);

    const TrackList& tracks_;
    const Kept kept_;
    const Bounds bounds_;
    // The new identifier of an old one, by the old one's value: a stream_id and a sub-stream or
    // extension id of the same value share an entry.
    std::array<uint8_t, 256> idMap_;
    // Streams of each kind given a new identifier so far: the low bits of the next one.
    std::array<uint8_t, 3> keptByKind_{};
};

} // namespace splitwick
