#include "scan_record.h"

#include <algorithm>

#include "engine/path_parts.h"

namespace splitwick::maker {

std::string stemOf(const std::string& path) {
    const std::string name = fileNameOf(path);
    return name.size() > 4 ? name.substr(0, name.size() - 4) : std::string();
}

ScanRecord::ScanRecord(const std::string& expectFolder, const std::vector<std::string>& partPaths)
    : folder_(expectFolder) {
    if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
    for (const std::string& path : partPaths)
        stems_.push_back(stemOf(path));
    if (!folder_.empty() && stems_.size() == 2)
        whole_ = std::make_unique<ExpectedOutputs>(folder_, stems_[0] + "_2");
}

void ScanRecord::beginPart(MadePart& part) {
    part_ = &part;
    tally_ = FrameTally();
    sinks_.clear();
    if (!folder_.empty()) {
        partOutputs_.push_back(
            std::make_unique<ExpectedOutputs>(folder_, stems_.at(partOutputs_.size())));
        sinks_.push_back(partOutputs_.back().get());
    }
    if (whole_) sinks_.push_back(whole_.get());
}

void ScanRecord::streamMet(TrackKind kind, int index, int id) {
    std::vector<FoundStream>& found = part_->found;
    // Each identifier is a stream of its own.
    const bool first = std::none_of(found.begin(), found.end(), [&](const FoundStream& f) {
        return f.kind == kind && f.id == id;
    });
    if (!first) return;
    found.push_back({kind, index, id});
    for (ExpectedOutputs* sink : sinks_)
        sink->streamMet(kind, id);
}

void ScanRecord::payload(TrackKind kind, int index, int id, uint32_t frameStartCode,
                         const uint8_t* data, size_t length) {
    for (ExpectedOutputs* sink : sinks_)
        sink->payload(kind, id, data, length);
    if (frameStartCode != 0) tally_.add(index, frameStartCode, data, length);
}

void ScanRecord::timestamp(int subpictureId, uint32_t pts) {
    for (ExpectedOutputs* sink : sinks_)
        sink->timestamp(subpictureId, pts);
}

void ScanRecord::endPart() {
    part_->frames = tally_.counts();
    // The boxes of a job over both parts come from a Read EVO of the first.
    if (whole_) whole_->freeze();
}

std::vector<std::string> ScanRecord::close() {
    std::vector<std::string> files;
    const auto take = [&](ExpectedOutputs& outputs) {
        outputs.close();
        files.insert(files.end(), outputs.files().begin(), outputs.files().end());
    };
    for (auto& outputs : partOutputs_)
        take(*outputs);
    if (whole_) take(*whole_);
    return files;
}

} // namespace splitwick::maker
