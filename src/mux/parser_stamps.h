#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace splitwick {

// Where a cutter of whole frames hands each: a packet of its own holding the frame's bytes, which
// the receiver lets go of, and the stamps the parser would have given it.
using WholeFrameReceiver = std::function<void(AVPacket* frame, int64_t pts, int64_t dts)>;

// The timestamps libavcodec's parsers give the frames they cut, kept as they keep them, so that a
// frame cut here without the parser's search gets the stamps the parser would have given it: a
// table of the last few runs handed in (where each began and ended in the stream, its stamps),
// looked up at a byte's offset for the runs that began after the frame before began.
class ParserStamps {
  public:
    struct Stamps {
        int64_t pts, dts;
    };
    enum class Lookup {
        Plain,      // the stamps of the run holding the byte, or of the last run before it
        Take,       // the same, and the runs looked at are not looked at again
        TakeIfDated // as Take, but a run without a DTS leaves the stamps as they were
    };

    // `none` is the stamp of a run that carries none.
    explicit ParserStamps(int64_t none) : none_(none) {}

    // A run of the stream's bytes from `offset` to `end`.
    void add(int64_t offset, int64_t end, Stamps stamps);
    // Looks the runs up for a byte at `at`, after a frame that began at `before` (any run, for the
    // first frame): TakeIfDated starts from `stamps`, the others from none.
    void lookUp(int64_t at, int64_t before, bool first, Lookup how, Stamps& stamps);
    Stamps none() const { return {none_, none_}; }

  private:
    struct Entry {
        int64_t offset = 0, end = 0;
        Stamps stamps{};
    };

    int64_t none_;
    std::array<Entry, AV_PARSER_PTS_NB> entries_{};
    size_t newest_ = 0;
};

} // namespace splitwick
