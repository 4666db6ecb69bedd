#pragma once
#include <array>
#include <string>

#include "boxes.h"

namespace splitwick {

// What a job is asked to do, taken from the window or the command line as the job starts: a
// tick changed while it runs counts from the next job on.
struct JobRequest {
    std::string evoPath;
    std::string playlistPath;
    std::string outputFolder; // empty: the current folder
    // The extensions of video, audio and subpicture outputs, by BoxKind, unless named by codec.
    std::array<std::string, 3> extensions{"mpv", "mpa", "sup"};
    bool fastCheck = true;     // Read EVO ends after the first 300 MB
    bool countFrames = true;   // frame start codes are counted in video streams 0 and 1
    bool continueParts = true; // a split title's NAME_1.EVO goes on into its NAME_2.EVO
    bool lpcmWav = false;      // LPCM streams are written as WAV files
    bool extensionsByCodec = false;
    bool subPgs = false; // subpicture streams are converted to PGS

    const std::string& extension(BoxKind kind) const {
        return extensions[static_cast<size_t>(kind)];
    }
    // A Demux whose streams go into a Matroska file: the mux takes LPCM as WAV and subpictures
    // as PGS only.
    void writeForMux() {
        lpcmWav = true;
        subPgs = true;
    }
};

} // namespace splitwick
