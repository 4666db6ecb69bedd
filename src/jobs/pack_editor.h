#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

#include "engine/boxes.h"
#include "engine/pack_layout.h"
#include "engine/stream_codecs.h"
#include "engine/stream_table.h"
#include "rebuild_state.h"

namespace splitwick {

// Whether the stream a box stands for is kept: in the window, whether the box is ticked.
using BoxChoice = std::function<bool(Box)>;

// The numbers of kept video and audio boxes, which the system headers carry as their bounds.
struct SystemBounds {
    int video = 0;
    int audio = 0;
    bool operator==(const SystemBounds&) const = default;
};

// Decides, pack by pack, what the rebuilt EVO keeps: packs of streams not kept go, the kept
// streams get new identifiers in the order they are met, and system headers get the numbers
// of kept boxes as their bounds. Which box belongs to a stream comes from the stream table of
// a scan, looked up as each pack comes.
class PackEditor {
  public:
    PackEditor(const StreamTable& table, BoxChoice kept, RebuildState& rebuild);

    // Edits the n bytes read of one pack in place; true when they are to be written. Nothing
    // outside those n bytes is read or written: a field the read did not reach is absent. A
    // kept stream without a new identifier gets the next one of its kind; when its kind has
    // none left, a JobError.
    bool edit(uint8_t* pack, size_t n);

    // The bounds that system headers get now.
    SystemBounds bounds() const;
    // Sets the bounds of the system header in the pack's n bytes.
    static void writeBounds(uint8_t* pack, size_t n, SystemBounds bounds);
    static bool isSystemHeader(const uint8_t* pack, size_t n);

  private:
    // True when the stream of this identifier, of the codec whose drop test covers it, is to be
    // left out.
    bool drop(const StreamCodec& codec, uint8_t id);
    void number(const StreamCodec& codec, uint8_t id);

    const StreamTable& table_;
    const BoxChoice kept_;
    RebuildState& rebuild_;
};

} // namespace splitwick
