#include "stream_writer.h"

namespace splitwick {

void StreamWriter::payload(PayloadRun& run) {
    if (run.kind == PacketKind::Subpicture) {
        writeSubpicture(run);
        return;
    }
    if (LpcmWavFile* wav = run.kind == PacketKind::Audio ? outputs_.wav(run.audioIndex) : nullptr) {
        writeWav(*wav, run);
        return;
    }
    StreamOutput* output = run.kind == PacketKind::Video
                               ? outputs_.stream(BoxKind::Video, run.videoIndex)
                               : outputs_.stream(BoxKind::Audio, run.audioIndex);
    if (output != nullptr) output->write(run.data, run.length);
}

void StreamWriter::lpcmHeader(int audioIndex, const LpcmHeader& header) {
    if (LpcmWavFile* wav = outputs_.wav(audioIndex)) wav->packetHeader(header);
}

void StreamWriter::writeWav(LpcmWavFile& wav, const PayloadRun& run) {
    if (run.audioCodec == &LpcmCodec) {
        wav.write(run.data, run.length);
        return;
    }
    // Another codec on the index, as a split title's second part may bring: its bytes would be
    // noise in the WAV. Said once, as the scan says it of a sub-stream it leaves out.
    if (reportedNotLpcm_[size_t(run.audioIndex)]) return;
    reportedNotLpcm_[size_t(run.audioIndex)] = true;
    report_.log(leftOutLine(*run.audioCodec, run.audioCodec->scanned.first + run.audioIndex,
                            LpcmCodec, LpcmCodec.scanned.first + run.audioIndex));
}

void StreamWriter::endPart(const PartTiming& part) {
    if (!clock_.settled() && part.referencePts) clock_.settle(*part.referencePts);
    for (int index = 0; index < boxesOfKind(BoxKind::Subpicture); ++index)
        if (PgsStreamFile* pgs = outputs_.pgs(index)) pgs->endPart(clock_, report_);
    clock_.endPart(part);
    recorder_ = nullptr;
}

void StreamWriter::writeSubpicture(PayloadRun& run) {
    if (PgsStreamFile* pgs = outputs_.pgs(run.subpictureIndex)) {
        if (!clock_.settled() && recorder_ != nullptr)
            if (const auto reference = recorder_->settledReference()) clock_.settle(*reference);
        pgs->payload(run, clock_, report_);
        return;
    }
    // Subpicture indices 16 to 31 have no box and no slot.
    StreamOutput* output = outputs_.stream(BoxKind::Subpicture, run.subpictureIndex);
    OutputFile* pts = outputs_.timestamps(run.subpictureIndex);
    if (output == nullptr || pts == nullptr) return;
    output->write(run.data, run.length);
    // The timestamp follows the packet's first run only: it is cleared once written.
    if (run.pendingPts == 0) return;
    const uint32_t value = run.pendingPts;
    const uint8_t littleEndian[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                                     uint8_t(value >> 24)};
    pts->write(littleEndian, sizeof littleEndian);
    run.pendingPts = 0;
}

} // namespace splitwick
