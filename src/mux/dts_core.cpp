#include "dts_core.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace splitwick {

namespace {

constexpr uint8_t CoreSync[4] = {0x7F, 0xFE, 0x80, 0x01};
constexpr uint8_t SubstreamSync[4] = {0x64, 0x58, 0x20, 0x25};

bool syncAt(const AVPacket& packet, size_t offset, const uint8_t (&sync)[4]) {
    return size_t(packet.size) >= offset + sizeof sync &&
           std::memcmp(packet.data + offset, sync, sizeof sync) == 0;
}

} // namespace

DtsCore::DtsCore(Receiver receiver) : receiver_(std::move(receiver)) {
    const AVBitStreamFilter* core = av_bsf_get_by_name("dca_core");
    AVBSFContext* filter = nullptr;
    if (core == nullptr || av_bsf_alloc(core, &filter) < 0)
        throw std::runtime_error("no dca_core filter");
    filter_.reset(filter);
    filter->par_in->codec_id = AV_CODEC_ID_DTS;
    filter->par_in->codec_type = AVMEDIA_TYPE_AUDIO;
    if (av_bsf_init(filter) < 0) throw std::runtime_error("dca_core failed");
}

void DtsCore::frame(const CutFrame& frame) {
    if (hasCore_ && !*hasCore_) return;
    // The filter shortens a reference to the frame's bytes to the core's: nothing is copied.
    AVPacket* core = av_packet_clone(frame.packet);
    if (core == nullptr) throw std::bad_alloc();
    if (av_bsf_send_packet(filter_.get(), core) < 0 ||
        av_bsf_receive_packet(filter_.get(), core) < 0) {
        av_packet_free(&core);
        throw std::runtime_error("dca_core failed");
    }
    if (!hasCore_.has_value())
        hasCore_ =
            syncAt(*core, 0, CoreSync) && syncAt(*frame.packet, size_t(core->size), SubstreamSync);
    // A frame without a core leaves a gap rather than a frame that no core decoder takes.
    if (!*hasCore_ || !syncAt(*core, 0, CoreSync)) {
        av_packet_free(&core);
        return;
    }
    if (parameters_.channels == 0) parameters_ = decodedFormat(AV_CODEC_ID_DTS, *core);
    receiver_({core, frame.pts, frame.dts, frame.key, frame.samples});
}

} // namespace splitwick
