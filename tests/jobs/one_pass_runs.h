#pragma once
// The command line's jobs run in one pass, and as the reads and the job one after another, as
// the window runs them, on one file and one request: what each leaves, to be compared.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/boxes.h"
#include "engine/frame_counter.h"
#include "support/test_files.h"

namespace splitwick::testing {

enum class Job { Demux, Rebuild };

// What the command line asks for.
struct Ask {
    std::optional<std::vector<Box>> boxes; // none: every box the reads enable
    std::string playlist;                  // the XPL's path; empty for none
    bool continueSplit = true;
    bool lpcmWav = false;    // LPCM as WAV
    bool extByCodec = false; // extensions by codec
};

// What a run leaves: its lines, the files in the output folder, the counts and the boxes.
struct Outcome {
    std::vector<std::string> lines;
    std::map<std::string, Bytes> files;
    FrameCounts frames{};
    std::vector<std::string> boxes; // "cbAudio00 enabled ticked DD.stream.00"
    // The timing left in the job state, a line a part and a stream:
    // "FEATURE_1.EVO 24000/1001 90000 seam none", "cbAudio00 93330 37 seam none"
    std::vector<std::string> timing;
    std::string error; // the failure's text; empty when the job ended normally
};

// The outcome in words, for a failure's message.
std::string describe(const Outcome& outcome);

// Where the one-pass run departs from the two steps, in words; empty where it does not. It
// must not: the same lines, files, counts, boxes and timing. A request that the reads find wrong
// fails with the same error after the same lines of the reads; in one pass the job has begun by
// then, and its lines and the files it made for the first part follow.
std::string departure(const Outcome& twoSteps, const Outcome& onePass);

class Runs {
  public:
    Runs(std::string evo, Ask ask) : evo_(std::move(evo)), ask_(std::move(ask)) {}

    // Cancel, answered Yes, at the first point where a pass that writes output lets the
    // window's events through.
    void cancelWhileWriting() { cancel_ = true; }

    Outcome twoSteps(Job job);
    Outcome onePass(Job job);

  private:
    template <typename Steps> Outcome run(const Steps& steps);

    const std::string evo_;
    const Ask ask_;
    TempFolder out_;
    bool cancel_ = false;
};

} // namespace splitwick::testing
