#include "expected_outputs.h"

#include "engine/track.h"

namespace splitwick::maker {

namespace {

constexpr size_t FileBufferSize = 64 * 1024;

// The window's default extensions.
const char* extensionOf(TrackKind kind) {
    switch (kind) {
    case TrackKind::Video:
        return "mpv";
    case TrackKind::Audio:
        return "mpa";
    case TrackKind::Subpicture:
        return "sup";
    }
    return "";
}

// Read EVO's label of the stream: "DD+.stream.00".
std::string labelOf(TrackKind kind, int id) {
    for (const StreamCodec& codec : StreamCodecs)
        if (codec.kind == kind && codec.name != nullptr && codec.scanned.holds(id))
            return Track{{codec.field, uint8_t(id)}, &codec}.label();
    return "";
}

} // namespace

ExpectedOutputs::ExpectedOutputs(std::string folder, std::string prefix)
    : folder_(std::move(folder)), prefix_(std::move(prefix)) {}

std::unique_ptr<ByteFile> ExpectedOutputs::create(const std::string& name) {
    files_.push_back(folder_ + name);
    return std::make_unique<ByteFile>(files_.back(), FileBufferSize);
}

void ExpectedOutputs::streamMet(TrackKind kind, int id) {
    if (frozen_ || slots_.count({kind, id}) > 0) return;
    Slot& s = slots_[{kind, id}];
    const std::string stem = prefix_ + "." + labelOf(kind, id);
    s.stream = create(stem + "." + extensionOf(kind));
    if (kind == TrackKind::Subpicture) s.timestamps = create(stem + ".pts");
}

void ExpectedOutputs::payload(TrackKind kind, int id, const uint8_t* data, size_t length) {
    const auto s = slots_.find({kind, id});
    if (s != slots_.end()) s->second.stream->write(data, length);
}

void ExpectedOutputs::timestamp(int subpictureId, uint32_t pts) {
    const auto found = slots_.find({TrackKind::Subpicture, subpictureId});
    if (found == slots_.end()) return;
    Slot* s = &found->second;
    const uint8_t littleEndian[4] = {uint8_t(pts), uint8_t(pts >> 8), uint8_t(pts >> 16),
                                     uint8_t(pts >> 24)};
    s->timestamps->write(littleEndian, sizeof littleEndian);
}

void ExpectedOutputs::close() {
    for (auto& [stream, s] : slots_) {
        s.stream->close();
        if (s.timestamps) s.timestamps->close();
    }
}

} // namespace splitwick::maker
