#include "titles_command.h"

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

std::string streamLine(const char* kind, int number, const std::string& details) {
    return "    " + std::string(kind) + " " + std::to_string(number) +
           (details.empty() ? "" : ": " + details) + "\n";
}

std::string titleText(const DiscTitle& title) {
    std::string text = titleSummary(title) + "\n";
    for (const DiscTrack& video : title.video)
        text += streamLine("Video", video.track.number, video.codec);
    for (const DiscTrack& audio : title.audio) {
        const std::string description =
            audio.track.description.empty() ? "" : "\"" + audio.track.description + "\"";
        text += streamLine("Audio", audio.track.number,
                           words({audio.codec, audio.channels.empty() ? "" : audio.channels + "ch",
                                  languageWords(audio.track), description}));
    }
    for (const TitleTrack& subtitle : title.info.subtitleTracks)
        text += streamLine("Subtitle", subtitle.number, languageWords(subtitle));
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
