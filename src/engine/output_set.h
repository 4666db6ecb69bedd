#pragma once
#include <array>
#include <memory>
#include <vector>

#include "boxes.h"
#include "lpcm_wav_file.h"
#include "output_file.h"
#include "pgs_stream_file.h"

namespace splitwick {

// The files a job writes, owned for the job's length: the stream output of each box that has
// one, in the slot the box names (a subpicture's .pts side file beside it), and the job's other
// files. close() stores them all and, when every one was stored, moves them into place; what
// is not in place when the set goes (a job that failed) goes with it, leaving the files of an
// earlier run as they were.
class OutputSet {
  public:
    using Slot = std::unique_ptr<StreamOutput>;

    void add(Box box, Slot stream, std::unique_ptr<OutputFile> timestamps = nullptr);
    // An audio box's LPCM stream written as WAV: its slot takes only LPCM samples, and their
    // packets' headers.
    void add(int audioIndex, std::unique_ptr<LpcmWavFile> wav);
    // A subpicture box's stream converted to PGS: its slot takes whole payload runs.
    void add(int subpictureIndex, std::unique_ptr<PgsStreamFile> pgs);
    // A file that belongs to no box, such as the chapters or the rebuilt EVO.
    OutputFile& add(std::unique_ptr<OutputFile> file);

    // The box's stream output; nullptr when it has none, also for an index beyond the slots.
    StreamOutput* stream(BoxKind kind, int index) const;
    OutputFile* timestamps(int subpictureIndex) const;
    // The audio box's stream output when it is a WAV file; nullptr otherwise.
    LpcmWavFile* wav(int audioIndex) const;
    // The subpicture box's stream output when it is converted to PGS; nullptr otherwise.
    PgsStreamFile* pgs(int subpictureIndex) const;
    bool has(Box box) const { return stream(box.kind, box.index) != nullptr; }

    // Stores the files in slot order (video, audio, subpicture, timestamps, then the others),
    // then gives each its name. Throws the first one's "Stream write error" after storing them
    // all, and then moves none into place.
    void close();

  private:
    // The box's slot in the set; nullptr for an index beyond the kind's slots.
    template <typename Set> static auto slot(Set& set, BoxKind kind, int index);
    template <typename Each> void forEach(Each each);

    std::array<Slot, 2> VideoOut;
    std::array<Slot, 16> AudioOut;
    std::array<Slot, 16> SubOut;
    std::array<std::unique_ptr<OutputFile>, 16> PtsOut;
    std::array<LpcmWavFile*, 16> wavOut_{};   // owned by AudioOut
    std::array<PgsStreamFile*, 16> pgsOut_{}; // owned by SubOut
    std::vector<std::unique_ptr<OutputFile>> others_;
};

} // namespace splitwick
