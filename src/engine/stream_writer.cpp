#include "stream_writer.h"

#include <algorithm>

namespace splitwick {

void StreamWriter::payload(PayloadRun& run) {
    const TrackId track = run.track->id;
    if (run.kind == PacketKind::Subpicture) {
        writeSubpicture(run);
    } else if (LpcmWavFile* wav = outputs_.wav(track)) {
        wav->write(run.data, run.length);
    } else if (StreamOutput* output = outputs_.stream(track)) {
        output->write(run.data, run.length);
    }
}

void StreamWriter::lpcmHeader(const Track& track, const LpcmHeader& header) {
    if (LpcmWavFile* wav = outputs_.wav(track.id)) wav->packetHeader(header);
}

void StreamWriter::endPart(const PartTiming& part) {
    if (!clock_.settled() && part.referencePts) clock_.settle(*part.referencePts);
    for (PgsStreamFile* pgs : pgs_)
        pgs->endPart(clock_, events_);
    clock_.endPart(part);
    recorder_ = nullptr;
}

void StreamWriter::writeSubpicture(PayloadRun& run) {
    const TrackId track = run.track->id;
    if (PgsStreamFile* pgs = outputs_.pgs(track)) {
        if (!clock_.settled() && recorder_ != nullptr)
            if (const auto reference = recorder_->settledReference()) clock_.settle(*reference);
        if (std::find(pgs_.begin(), pgs_.end(), pgs) == pgs_.end()) pgs_.push_back(pgs);
        pgs->payload(run, clock_, events_);
        return;
    }
    StreamOutput* output = outputs_.stream(track);
    OutputFile* pts = outputs_.timestamps(track);
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
