#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/session.h"
#include "rebuild_state.h"

namespace splitwick {

// The rebuild reads and writes one pack at a time.
constexpr size_t PackSize = 2048;

// low <= value <= high.
bool InRange(int value, int low, int high);

// Decides, pack by pack, what the rebuilt EVO keeps: packs of unticked streams go, the kept
// streams get new identifiers in the order they are met, and system headers get the numbers
// of ticked boxes as their bounds. Which box belongs to a stream comes from the stream table of
// the last scan.
class PackEditor {
  public:
    PackEditor(const Session& session, RebuildState& rebuild);

    // Edits the n bytes read of one pack in place; true when they are to be written. Nothing
    // outside those n bytes is read or written: a field the read did not reach is absent.
    bool edit(uint8_t* pack, size_t n);

    // True when the stream of this identifier is to be left out. A kept stream without a new
    // identifier gets the next one of its kind; when its kind has none left, a JobError.
    bool DropVideo(uint8_t id) { return drop(BoxKind::Video, id); }
    bool DropAudio(uint8_t id) { return drop(BoxKind::Audio, id); }
    bool DropSubpicture(uint8_t id) { return drop(BoxKind::Subpicture, id); }

  private:
    bool drop(BoxKind kind, uint8_t id);
    void number(BoxKind kind, uint8_t id);
    void rewriteBounds(uint8_t* pack, size_t n) const;
    int tickedBoxes(BoxKind kind) const;

    const StreamTable& table_;
    const Controls& controls_;
    RebuildState& rebuild_;
};

} // namespace splitwick
