#pragma once
#include <array>
#include <string>
#include <vector>

#include "boxes.h"

namespace splitwick {

// Where what is known of a stream was learnt.
enum class LearntFrom { Nothing, Scan, Playlist };

// One stream slot of a file or title: whether a scan or the playlist knows it, whether it is
// chosen for the next job, the label its outputs are named by and the playlist's words on it.
// The codec is the scan's, by the identifier in the job state's stream table.
struct StreamEntry {
    LearntFrom learnt = LearntFrom::Nothing;
    bool chosen = false;
    std::string label;
    std::string description;
    bool known() const { return learnt != LearntFrom::Nothing; }
};

// The 40 stream slots in window order, keyed by kind and index: what Read EVO and Read XPL give
// and what Demux and Rebuild take.
class StreamChoice {
  public:
    StreamEntry& operator[](Box box) { return entries_[boxPosition(box)]; }
    const StreamEntry& operator[](Box box) const { return entries_[boxPosition(box)]; }

    // Every slot unknown and labelled as no stream; the choices and descriptions stay.
    void forget();
    std::vector<Box> known() const;
    // The slots that stand for a stream a job can write and are chosen, in window order.
    std::vector<Box> chosenStreams() const;

  private:
    std::array<StreamEntry, BoxCount> entries_;
};

} // namespace splitwick
