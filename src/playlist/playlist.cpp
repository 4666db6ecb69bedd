#include "playlist.h"

#include <algorithm>

namespace splitwick {

const StreamLabel* PlaylistRead::label(TrackName name) const {
    const auto found = std::find_if(labels.begin(), labels.end(),
                                    [&](const StreamLabel& label) { return label.name == name; });
    return found == labels.end() ? nullptr : &*found;
}

} // namespace splitwick
