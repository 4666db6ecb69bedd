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

ExpectedOutputs::Slot* ExpectedOutputs::slot(TrackKind kind, int index) {
    switch (kind) {
    case TrackKind::Video:
        return index < 2 ? &video_[index] : nullptr;
    case TrackKind::Audio:
        return index < 16 ? &audio_[index] : nullptr;
    case TrackKind::Subpicture:
        return index < 32 ? &subpicture_[index] : nullptr;
    }
    return nullptr;
}

std::unique_ptr<ByteFile> ExpectedOutputs::create(const std::string& name) {
    files_.push_back(folder_ + name);
    return std::make_unique<ByteFile>(files_.back(), FileBufferSize);
}

void ExpectedOutputs::streamMet(TrackKind kind, int index, int id) {
    Slot* s = slot(kind, index);
    if (s == nullptr || s->stream || frozen_) return;
    const std::string stem = prefix_ + "." + labelOf(kind, id);
    s->stream = create(stem + "." + extensionOf(kind));
    if (kind == TrackKind::Subpicture) s->timestamps = create(stem + ".pts");
}

void ExpectedOutputs::payload(TrackKind kind, int index, const uint8_t* data, size_t length) {
    Slot* s = slot(kind, index);
    if (s != nullptr && s->stream) s->stream->write(data, length);
}

void ExpectedOutputs::timestamp(int subpictureIndex, uint32_t pts) {
    Slot* s = slot(TrackKind::Subpicture, subpictureIndex);
    if (s == nullptr || !s->timestamps) return;
    const uint8_t littleEndian[4] = {uint8_t(pts), uint8_t(pts >> 8), uint8_t(pts >> 16),
                                     uint8_t(pts >> 24)};
    s->timestamps->write(littleEndian, sizeof littleEndian);
}

void ExpectedOutputs::close() {
    const auto closeSlot = [](Slot& s) {
        if (s.stream) s.stream->close();
        if (s.timestamps) s.timestamps->close();
    };
    for (Slot& s : video_)
        closeSlot(s);
    for (Slot& s : audio_)
        closeSlot(s);
    for (Slot& s : subpicture_)
        closeSlot(s);
}

} // namespace splitwick::maker
