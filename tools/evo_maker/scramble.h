#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace splitwick::maker {

// Marks the media packets of a made title as encrypted, as a copy of a disc made without
// decrypting it carries them: PES_scrambling_control '01' in every video, audio and subpicture
// packet from the pack numbered firstPack on (0 is the first part's first pack; the packs are
// counted on through the following parts). The payloads are left as they are. Gives the number
// of packets marked.
int64_t scrambleFrom(const std::vector<std::string>& parts, int64_t firstPack);

} // namespace splitwick::maker
