#pragma once
#include <string>
#include <vector>

#include "engine/boxes.h"

namespace splitwick {

// A stream file a Demux wrote.
struct DemuxedStream {
    Box box;
    std::string label; // the stream's label that named it
    std::string path;
    std::string timestamps; // a subpicture's .pts side file; empty for other streams and PGS
    bool pgs = false;       // a subpicture stream converted to PGS
};

// What a Demux wrote, for a step that goes on with its files (the mux into Matroska).
struct DemuxedFiles {
    std::string prefix;                 // OUTPUTPREFIX: the output folder and the stem
    std::vector<DemuxedStream> streams; // in box order
    std::string chapters;               // the chapter file; empty when none was written
};

} // namespace splitwick
