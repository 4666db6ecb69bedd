#pragma once
#include <array>
#include <memory>
#include <vector>

#include "lpcm_wav_file.h"
#include "output_file.h"
#include "pgs_stream_file.h"
#include "track.h"

namespace splitwick {

// The files a job writes, owned for the job's length: the stream output of each track that has
// one (a subpicture's .pts side file beside it), and the job's other files. close() stores them
// all and, when every one was stored, moves them into place; what is not in place when the set
// goes (a job that failed) goes with it, leaving the files of an earlier run as they were.
class OutputSet {
  public:
    // A track's raw stream, with a subpicture's .pts file.
    void add(TrackId track, std::unique_ptr<StreamOutput> stream,
             std::unique_ptr<OutputFile> timestamps = nullptr);
    // An LPCM track written as WAV: it takes the samples and their packets' headers.
    void add(TrackId track, std::unique_ptr<LpcmWavFile> wav);
    // A subpicture track converted to PGS: it takes whole payload runs.
    void add(TrackId track, std::unique_ptr<PgsStreamFile> pgs);
    // A file that belongs to no track, such as the chapters or the rebuilt EVO.
    OutputFile& add(std::unique_ptr<OutputFile> file);

    // The track's outputs; nullptr where it has none.
    StreamOutput* stream(TrackId track) const { return find(track).stream.get(); }
    OutputFile* timestamps(TrackId track) const { return find(track).timestamps.get(); }
    LpcmWavFile* wav(TrackId track) const { return find(track).wav; }
    PgsStreamFile* pgs(TrackId track) const { return find(track).pgs; }
    bool has(TrackId track) const { return stream(track) != nullptr; }

    // Stores the files (the tracks' streams as they were added, their timestamps, the others),
    // then gives each its name. Throws the first one's "Stream write error" after storing them
    // all, and then moves none into place.
    void close();

  private:
    struct TrackOutputs {
        TrackId track;
        std::unique_ptr<StreamOutput> stream;
        std::unique_ptr<OutputFile> timestamps;
        LpcmWavFile* wav = nullptr;   // owned by stream
        PgsStreamFile* pgs = nullptr; // owned by stream
    };

    const TrackOutputs& find(TrackId track) const;
    TrackOutputs& slot(TrackId track);
    template <typename Each> void forEach(Each each);

    std::vector<std::unique_ptr<TrackOutputs>> tracks_;
    // Where each identifier's outputs lie in tracks_: a look-up per payload run.
    std::array<int16_t, 3 * 256> index_ = [] {
        std::array<int16_t, 3 * 256> none{};
        none.fill(-1);
        return none;
    }();
    std::vector<std::unique_ptr<OutputFile>> others_;
};

} // namespace splitwick
