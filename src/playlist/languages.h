#pragma once
#include <string>
#include <string_view>

#include "engine/stream_codecs.h"

namespace splitwick {

// A track's language and kind as a playlist's langcode ("en:03") gives them.
struct TrackLanguage {
    std::string code;     // the ISO 639-1 code in lower case: "en"
    std::string language; // its ISO 639-2/B form, "eng"; empty for a code outside the table
    std::string kind;     // "normal", "commentary", ...; empty when the code extension names none
    bool operator==(const TrackLanguage&) const = default;
};

// The ISO 639-2/B form of an ISO 639-1 code in any letter case; empty for an unknown code.
std::string iso639_2(std::string_view code);

// The langcode of an audio or a subtitle track: the language before the ":", the kind from the
// code extension behind it, with the meanings DVD gives the extension of each kind of stream.
TrackLanguage trackLanguage(std::string_view langcode, TrackKind kind);

} // namespace splitwick
