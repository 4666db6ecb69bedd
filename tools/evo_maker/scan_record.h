#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "evo_maker.h"
#include "expected_outputs.h"
#include "frame_tally.h"

namespace splitwick::maker {

// What scans of a made title meet, fed by a maker in file order, part by part: each part's
// stream-table entries and counted frames, and, with an expect folder, the outputs a Demux of
// each part alone and of the whole title writes.
class ScanRecord {
  public:
    // An empty expectFolder: no outputs.
    ScanRecord(const std::string& expectFolder, const std::vector<std::string>& partPaths);

    // The part that the next calls belong to; parts come in order.
    void beginPart(MadePart& part);
    // A packet's stream (its kind, number and identifier) is identified; the first packet of
    // each identifier is recorded.
    void streamMet(TrackKind kind, int index, int id);
    // A packet's payload. Video frames are counted as a scan counts them, by the stream's
    // number, when frameStartCode is not 0.
    void payload(TrackKind kind, int index, int id, uint32_t frameStartCode, const uint8_t* data,
                 size_t length);
    // The low 32 bits of a subpicture packet's own PTS, not 0.
    void timestamp(int subpictureId, uint32_t pts);
    void endPart();

    // Closes the outputs; every file made, those of the parts first, then the whole title's.
    std::vector<std::string> close();

  private:
    std::string folder_;
    std::vector<std::string> stems_;
    std::unique_ptr<ExpectedOutputs> whole_;
    std::vector<std::unique_ptr<ExpectedOutputs>> partOutputs_;
    std::vector<ExpectedOutputs*> sinks_;
    MadePart* part_ = nullptr;
    FrameTally tally_;
};

// The output stem of an EVO: its file name less the ".EVO".
std::string stemOf(const std::string& path);

} // namespace splitwick::maker
