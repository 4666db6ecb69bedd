#include "playlist.h"

#include <algorithm>

namespace splitwick {

std::string kindWords(TrackKind kind) {
    static constexpr const char* Words[] = {"Check the desired video stream",
                                            "Check the desired audio streams",
                                            "Check the desired subpicture streams"};
    return Words[size_t(kind)];
}

const StreamLabel* PlaylistRead::label(TrackName name) const {
    const auto found = std::find_if(labels.begin(), labels.end(),
                                    [&](const StreamLabel& label) { return label.name == name; });
    return found == labels.end() ? nullptr : &*found;
}

} // namespace splitwick
