#include "stream_writer.h"

#include "frame_counter.h"

namespace splitwick {

StreamWriter::StreamWriter(Session& session, bool demuxMode)
    : session_(session), demuxMode_(demuxMode) {}

void StreamWriter::payload(PayloadRun& run) {
    if (run.kind == PacketKind::Video) countFrames(run);
    if (!demuxMode_) return;
    if (run.kind == PacketKind::Subpicture)
        writeSubpicture(run);
    else
        write(run);
}

void StreamWriter::streamFound(const char* text, int index) {
    if (!demuxMode_) session_.log(text + std::to_string(index) + " found!");
}

void StreamWriter::countFrames(const PayloadRun& run) {
    // In demux mode only the streams being written are counted.
    const bool counted =
        session_.controls.option(Option::CountFrames) && run.videoIndex >= 0 &&
        run.videoIndex <= 1 &&
        (!demuxMode_ || session_.controls.ticked({BoxKind::Video, run.videoIndex}));
    if (!counted) {
        frames_.forget();
        return;
    }
    session_.state.FrameCount[run.videoIndex] +=
        frames_.count(run.data, run.length, run.videoCodec, run.continuesPacket);
}

bool StreamWriter::boxTicked(BoxKind kind, int index, int slots) const {
    return index >= 0 && index < slots && session_.controls.ticked({kind, index});
}

void StreamWriter::write(const PayloadRun& run) {
    JobState& state = session_.state;
    OutputSlot* slot = nullptr;
    if (run.kind == PacketKind::Video && boxTicked(BoxKind::Video, run.videoIndex, 2))
        slot = &state.VideoOut[run.videoIndex];
    else if (run.kind == PacketKind::Audio && boxTicked(BoxKind::Audio, run.audioIndex, 16))
        slot = &state.AudioOut[run.audioIndex];
    // A box ticked after its outputs were created has no slot: nothing to write to.
    if (slot != nullptr && *slot) (*slot)->write(run.data, run.length);
}

void StreamWriter::writeSubpicture(PayloadRun& run) {
    // Subpicture indices 16 to 31 have no box and no slot.
    if (!boxTicked(BoxKind::Subpicture, run.subpictureIndex, 16)) return;
    JobState& state = session_.state;
    OutputSlot& out = state.SubOut[run.subpictureIndex];
    OutputSlot& pts = state.PtsOut[run.subpictureIndex];
    if (!out || !pts) return;
    out->write(run.data, run.length);
    // The timestamp follows the packet's first run only: it is cleared once written.
    if (run.pendingPts == 0) return;
    const uint32_t value = run.pendingPts;
    const uint8_t littleEndian[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                                     uint8_t(value >> 24)};
    pts->write(littleEndian, sizeof littleEndian);
    run.pendingPts = 0;
}

} // namespace splitwick
