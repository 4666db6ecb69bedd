#include "disc_titles.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <span>
#include <tuple>

#include "engine/job_error.h"
#include "engine/sizes.h"
#include "engine/source_file.h"
#include "playlist_encoding.h"
#include "playlist_tag.h"
#include "read_xpl.h"
#include "tag_scanner.h"
#include "title_model.h"
#include "title_time.h"

namespace splitwick {

namespace {

namespace fs = std::filesystem;

const std::string PlaylistFolder = "ADV_OBJ";
const std::string EvoFolder = "HVDVD_TS";

// An attribute item of the playlist's MediaAttributeList.
struct MediaItem {
    std::string codec, channels;
};
using MediaItems = std::map<std::pair<std::string, int>, MediaItem>; // by element and index

// A playlist read whole: its lines, one tag each, and its attribute items.
struct PlaylistText {
    MemoLines lines;
    MediaItems items;
};

PlaylistText readPlaylistText(const std::string& path) {
    // Read by itself, and closed before the next: it is no file of a job.
    OpenFiles none;
    SourceFile source(path, none);
    refuseOversizedPlaylist(source);
    PlaylistText text;
    TagScanner scanner([&](uint8_t indentLevels, const std::string& tag) {
        text.lines.append(indentLevels, tag);
        // Most tags are no attribute item: only those that may be get read.
        if (tag.find("AttributeItem") == std::string::npos) return;
        const PlaylistTag item(tag);
        if (!item.element().ends_with("AttributeItem") || !item.opens(item.element())) return;
        text.items[{item.element(), item.number("index")}] = {item.firstOf({"codec"}),
                                                              item.firstOf({"channels"})};
    });
    std::vector<uint8_t> chunk(BufferSize);
    PlaylistEncoding encoding;
    for (size_t got; (got = source.read(chunk.data(), chunk.size())) > 0;)
        scanner.feed(encoding.toUtf8(std::span<const uint8_t>(chunk.data(), got)));
    scanner.feed(encoding.toUtf8({}));
    return text;
}

std::vector<DiscTrack> withItems(const std::vector<TitleTrack>& tracks, const MediaItems& items,
                                 const std::string& element) {
    std::vector<DiscTrack> described;
    for (const TitleTrack& track : tracks) {
        const auto item = items.find({element, track.mediaAttr});
        described.push_back({track, item == items.end() ? "" : item->second.codec,
                             item == items.end() ? "" : item->second.channels});
    }
    return described;
}

std::vector<std::string> stems(const DiscTitle& title) {
    std::vector<std::string> all;
    for (const TitleClip& clip : title.info.clips)
        all.push_back(clip.stem);
    return all;
}

DiscTitle discTitle(TitleInfo info, const std::string& folder, const fs::path& playlist,
                    const MediaItems& items) {
    DiscTitle title;
    title.playlist = playlist.filename().string();
    title.playlistPath = playlist.string();
    for (const TitleClip& clip : info.clips) {
        DiscClip made;
        made.evo = EvoFolder + "/" + clip.stem + ".EVO";
        made.path = folder + made.evo;
        made.beginMs = roundedMs(clip.beginNs);
        made.endMs = roundedMs(clip.endNs);
        std::error_code ec;
        made.present = fs::is_regular_file(made.path, ec);
        title.clips.push_back(std::move(made));
    }
    title.video = withItems(info.videoTracks, items, "VideoAttributeItem");
    title.audio = withItems(info.audioTracks, items, "AudioAttributeItem");
    title.info = std::move(info);
    return title;
}

bool isPlaylistName(const std::string& name) {
    const std::string upper = upperAscii(name);
    return upper.starts_with("VPLST") && upper.ends_with(".XPL");
}

std::string withSlash(const std::string& folder) {
    return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

// The disc's folder and its playlists, in name order.
std::pair<std::string, std::vector<fs::path>> discPlaylists(const std::string& path) {
    std::error_code ec;
    const fs::path given = fs::path(path).lexically_normal();
    if (!fs::exists(given, ec))
        throw JobError(JobErrorKind::Input, "\"" + fullPath(path) + "\" does not exist");
    const bool playlistFile = upperAscii(given.extension().string()) == ".XPL";
    if (!fs::is_directory(given, ec) && !playlistFile)
        throw JobError(JobErrorKind::Input,
                       "\"" + fullPath(path) +
                           "\" is no disc: give its folder, its ADV_OBJ or HVDVD_TS folder, or a "
                           "playlist (ADV_OBJ/VPLSTnnn.XPL)");
    if (fs::is_regular_file(given, ec)) {
        const fs::path folder = given.parent_path();
        const bool inPlaylistFolder = upperAscii(folder.filename().string()) == PlaylistFolder;
        return {withSlash((inPlaylistFolder ? folder.parent_path() : folder).string()), {given}};
    }
    fs::path folder = given.filename().empty() ? given.parent_path() : given;
    const std::string name = upperAscii(folder.filename().string());
    if (name == PlaylistFolder || name == EvoFolder) folder = folder.parent_path();
    std::vector<fs::path> playlists;
    for (const auto& entry : fs::directory_iterator(folder / PlaylistFolder, ec))
        if (isPlaylistName(entry.path().filename().string()) && entry.is_regular_file(ec))
            playlists.push_back(entry.path());
    std::sort(playlists.begin(), playlists.end());
    if (playlists.empty())
        throw JobError(JobErrorKind::Input, "No playlist (" + PlaylistFolder +
                                                "/VPLST*.XPL) in \"" + fullPath(path) + "\"");
    return {withSlash(folder.string()), playlists};
}

// Longest played, then most chapters, then most tracks.
auto mainRank(const DiscTitle& title) {
    return std::make_tuple(title.playedMs(), title.info.chapters.size(),
                           title.info.audioTracks.size() + title.info.subtitleTracks.size());
}

// A disc whose titles all lack audio still has a main title: the best of them all.
void markMainTitle(std::vector<DiscTitle>& titles) {
    const bool anyAudio = std::any_of(titles.begin(), titles.end(), [](const DiscTitle& title) {
        return !title.info.audioTracks.empty();
    });
    DiscTitle* main = nullptr;
    for (DiscTitle& title : titles)
        if ((!anyAudio || !title.info.audioTracks.empty()) &&
            (main == nullptr || mainRank(title) > mainRank(*main)))
            main = &title;
    if (main != nullptr) main->main = true;
}

} // namespace

std::string clockText(int64_t ms) {
    const int64_t seconds = std::max<int64_t>(ms, 0) / 1000;
    char clock[32];
    std::snprintf(clock, sizeof clock, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return clock;
}

std::string titleSummary(const DiscTitle& title) {
    const TitleInfo& info = title.info;
    std::string clips;
    for (size_t i = 0; i < info.clips.size(); ++i)
        clips += (clips.empty() ? "" : " + ") + info.clips[i].stem +
                 (i < title.clips.size() && !title.clips[i].present ? " (missing)" : "");
    const size_t chapters = info.chapters.size();
    return std::to_string(info.number) + ") " + info.name + "  " + clockText(title.durationMs()) +
           "  " + std::to_string(chapters) + (chapters == 1 ? " chapter" : " chapters") + "  " +
           clips + (title.main ? "  [main]" : "");
}

int64_t DiscTitle::playedMs() const {
    int64_t played = 0;
    for (const DiscClip& clip : clips)
        played += std::max<int64_t>(clip.endMs - clip.beginMs, 0);
    return played;
}

const DiscTitle* Disc::mainTitle() const {
    for (const DiscTitle& title : titles)
        if (title.main) return &title;
    return nullptr;
}

const DiscTitle* Disc::title(int number, const std::string& playlist) const {
    const DiscTitle* main = mainTitle();
    const std::string wanted = !playlist.empty() ? playlist : main ? main->playlist : "";
    for (const DiscTitle& title : titles)
        if (title.info.number == number && (wanted.empty() || title.playlist == wanted))
            return &title;
    return nullptr;
}

Disc readDisc(const std::string& path) {
    auto [folder, playlists] = discPlaylists(path);
    Disc disc{folder, {}};
    // The clips of the titles of the playlists before: a language copy of a playlist lists
    // them again. Within one playlist two titles of the same clips are two titles.
    std::vector<std::vector<std::string>> listed;
    for (const fs::path& playlist : playlists) {
        const PlaylistText text = readPlaylistText(playlist.string());
        std::vector<std::vector<std::string>> listedHere;
        for (TitleInfo& info : readTitles(text.lines, {})) {
            if (info.clips.empty()) continue;
            DiscTitle title = discTitle(std::move(info), folder, playlist, text.items);
            std::vector<std::string> clipStems = stems(title);
            if (std::find(listed.begin(), listed.end(), clipStems) != listed.end()) continue;
            listedHere.push_back(std::move(clipStems));
            disc.titles.push_back(std::move(title));
        }
        listed.insert(listed.end(), listedHere.begin(), listedHere.end());
    }
    markMainTitle(disc.titles);
    return disc;
}

bool isDiscPath(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec) || upperAscii(fs::path(path).extension().string()) == ".XPL";
}

} // namespace splitwick
