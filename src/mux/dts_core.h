#pragma once
#include <memory>
#include <optional>

extern "C" {
#include <libavcodec/bsf.h>
}

#include "frame_cutter.h"

namespace splitwick {

// The DTS core of a DTS-HD stream, as a stream of its own for players that decode no
// extension. A DTS-HD frame is a core frame with an extension substream behind it (sync word
// 0x64582025); libavcodec's dca_core filter keeps the core. The stream's first frame decides:
// a core with a substream behind it makes a core stream; a core alone (plain DTS, which needs
// no second track) or a substream alone (nothing to keep) makes none, and no frame comes out.
class DtsCore {
  public:
    using Receiver = std::function<void(const CutFrame&)>;

    explicit DtsCore(Receiver receiver);

    // A frame of the DTS stream as the frame cutter cut it; its packet stays the caller's. The
    // core comes out with the frame's timestamps and length (the core's, which the parser
    // reads).
    void frame(const CutFrame& frame);

    // Known from the first frame on: whether the stream gives a core stream.
    std::optional<bool> hasCore() const { return hasCore_; }
    // The core's sample rate and channels, once its first frame has come out.
    const StreamParameters& parameters() const { return parameters_; }

  private:
    struct Free {
        void operator()(AVBSFContext* filter) const { av_bsf_free(&filter); }
    };

    Receiver receiver_;
    std::unique_ptr<AVBSFContext, Free> filter_;
    std::optional<bool> hasCore_;
    StreamParameters parameters_;
};

} // namespace splitwick
