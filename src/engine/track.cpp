#include "track.h"

#include <algorithm>

namespace splitwick {

namespace {

struct KindNames {
    const char* prefix;     // of a track's name
    const char* jsonPrefix; // of its name in the JSON summaries
    int numbers;
};

constexpr std::array<KindNames, 3> Kinds = {
    {{"video", "cbVideo", 2}, {"audio", "cbAudio", 16}, {"sub", "cbSub", 32}}};

} // namespace

std::string TrackName::text() const {
    return Kinds[size_t(kind)].prefix + numberText();
}

std::string TrackName::jsonName() const {
    return Kinds[size_t(kind)].jsonPrefix + numberText();
}

std::string TrackName::numberText() const {
    const std::string text = std::to_string(number);
    return kind != TrackKind::Video && number < 10 ? "0" + text : text;
}

int numbersOfKind(TrackKind kind) {
    return Kinds[size_t(kind)].numbers;
}

std::string Track::label() const {
    return std::string(codec->name) + "." + name().numberText();
}

std::pair<const Track*, bool> TrackList::meet(TrackId id, const StreamCodec& codec) {
    if (const Track* known = find(id)) return {known, false};
    slots_[size_t(id.key())] = int16_t(tracks_.size());
    tracks_.push_back({id, &codec});
    return {&tracks_.back(), true};
}

const Track* TrackList::first(TrackName name) const {
    for (const Track& track : tracks_)
        if (track.name() == name) return &track;
    return nullptr;
}

bool inTrackOrder(const Track& a, const Track& b) {
    return a.name() < b.name();
}

std::vector<const Track*> TrackList::inOrder() const {
    std::vector<const Track*> ordered;
    for (const Track& track : tracks_)
        ordered.push_back(&track);
    // Stable: tracks of one name stay in the order met.
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const Track* a, const Track* b) { return inTrackOrder(*a, *b); });
    return ordered;
}

} // namespace splitwick
