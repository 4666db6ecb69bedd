#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "scan_sink.h"

namespace splitwick {

// A whole subpicture unit and the PTS of the packet it began in.
struct SubpictureUnit {
    int64_t pts = 0;
    std::vector<uint8_t> bytes;
};

// Joins the payload runs of one subpicture stream into whole units. A unit begins a packet's
// payload, and that packet carries its PTS; the unit's size, in its first bytes, tells where it
// ends. A unit cut short by the next or by the end of the stream, or of a size no unit has, is
// left out, told by `leftOut` with its PTS and the reason.
class SubpictureUnits {
  public:
    using Done = std::function<void(SubpictureUnit&)>;
    using LeftOut = std::function<void(int64_t pts, const std::string& reason)>;

    SubpictureUnits(Done done, LeftOut leftOut)
        : done_(std::move(done)), leftOut_(std::move(leftOut)) {}
    void add(const PayloadRun& run);
    // The stream (or the part) ends: a unit still open is cut short.
    void end();

  private:
    void take(const uint8_t* data, size_t length);

    Done done_;
    LeftOut leftOut_;
    SubpictureUnit unit_;
    bool open_ = false;
    size_t size_ = 0; // the open unit's size, once its header is in
};

} // namespace splitwick
