#include "stream_boxes.h"

#include <algorithm>

namespace splitwick {

namespace {

struct KindBoxes {
    int count;
    const char* namePrefix;
    const char* noStream;
    const char* laidOut;
};

constexpr std::array<KindBoxes, 3> Kinds = {{
    {8, "cbVideo", "No video stream", "Video stream"},
    {16, "cbAudio", "No audio stream", "Audio stream"},
    {16, "cbSub", "No subpicture", "Subpicture"},
}};

const KindBoxes& kindBoxes(TrackKind kind) {
    return Kinds[size_t(kind)];
}

} // namespace

int boxesOfKind(TrackKind kind) {
    return kindBoxes(kind).count;
}

const std::array<TrackName, BoxCount>& boxNames() {
    static const auto names = [] {
        std::array<TrackName, BoxCount> all{};
        int n = 0;
        for (TrackKind kind : {TrackKind::Video, TrackKind::Audio, TrackKind::Subpicture})
            for (int i = 0; i < boxesOfKind(kind); ++i)
                all[size_t(n++)] = {kind, i};
        return all;
    }();
    return names;
}

int boxPosition(TrackName name) {
    int position = name.number;
    for (TrackKind kind : {TrackKind::Video, TrackKind::Audio})
        if (kind < name.kind) position += boxesOfKind(kind);
    return position;
}

bool hasBox(TrackName name) {
    return name.number >= 0 &&
           name.number < std::min(boxesOfKind(name.kind), numbersOfKind(name.kind));
}

std::string boxObjectName(TrackName name) {
    return kindBoxes(name.kind).namePrefix + name.numberText();
}

std::string noStreamCaption(TrackKind kind) {
    return kindBoxes(kind).noStream;
}

std::string laidOutCaption(TrackKind kind) {
    return kindBoxes(kind).laidOut;
}

void WindowStreams::forget(bool untick) {
    for (TrackName name : boxNames()) {
        BoxState& box = (*this)[name];
        box = {false, box.chosen && !untick, noStreamCaption(name.kind), box.description};
    }
    unboxed_.clear();
}

void WindowStreams::show(TrackName name, const std::string& label, const std::string& description) {
    if (!hasBox(name)) {
        unboxed_.emplace_back(name, label);
        return;
    }
    BoxState& box = (*this)[name];
    // Of two streams of one name, the first met labels the box.
    if (box.known) return;
    box = {true, true, label, description};
}

void WindowStreams::showScan(const TrackList& tracks) {
    forget(false);
    // A box ticks exactly when the file has a stream for it.
    for (TrackName name : boxNames())
        if (hasBox(name)) (*this)[name].chosen = false;
    for (const Track* track : tracks.inOrder())
        show(track->name(), track->label(), "");
}

void WindowStreams::showPlaylist(const PlaylistRead& read) {
    // The boxes the title names are ticked; the others keep their ticks, disabled.
    forget(false);
    for (const StreamLabel& label : read.labels)
        show(label.name, label.label, label.description);
}

bool WindowStreams::anyChosen() const {
    return std::any_of(boxes_.begin(), boxes_.end(),
                       [](const BoxState& box) { return box.chosen; });
}

std::vector<TrackName> WindowStreams::chosen() const {
    std::vector<TrackName> names;
    for (TrackName name : boxNames())
        if (hasBox(name) && (*this)[name].chosen) names.push_back(name);
    for (const auto& [name, label] : unboxed_)
        names.push_back(name);
    return names;
}

} // namespace splitwick
