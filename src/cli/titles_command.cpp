#include "titles_command.h"

#include "engine/track.h"

namespace splitwick::cli {

namespace {

// The words that are given, one space apart.
std::string words(std::initializer_list<std::string> parts) {
    std::string text;
    for (const std::string& part : parts)
        if (!part.empty()) text += (text.empty() ? "" : " ") + part;
    return text;
}

std::string languageWords(const TitleTrack& track) {
    if (!track.language) return "";
    return words(
        {track.language->language.empty() ? track.language->code : track.language->language,
         track.language->kind});
}

// Named as --streams names it: the playlist's stream number 1 is video0, audio00, sub00.
std::string streamLine(TrackKind kind, int number, const std::string& details) {
    return "    " + TrackName{kind, number - 1}.text() + (details.empty() ? "" : ": " + details) +
           "\n";
}

std::string titleText(const DiscTitle& title) {
    std::string text = titleSummary(title) + "\n";
    for (const DiscTrack& video : title.video)
        text += streamLine(TrackKind::Video, video.track.number, video.codec);
    for (const DiscTrack& audio : title.audio) {
        const std::string description =
            audio.track.description.empty() ? "" : "\"" + audio.track.description + "\"";
        text += streamLine(TrackKind::Audio, audio.track.number,
                           words({audio.codec, audio.channels.empty() ? "" : audio.channels + "ch",
                                  languageWords(audio.track), description}));
    }
    for (const TitleTrack& subtitle : title.info.subtitleTracks)
        text += streamLine(TrackKind::Subpicture, subtitle.number, languageWords(subtitle));
    return text;
}

} // namespace

std::string titlesText(const Disc& disc) {
    std::string text, playlist;
    for (const DiscTitle& title : disc.titles) {
        if (title.playlist != playlist) text += title.playlist + "\n";
        playlist = title.playlist;
        text += titleText(title);
    }
    return text;
}

} // namespace splitwick::cli
