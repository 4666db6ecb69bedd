#include "playlist_writer.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace splitwick::testing {

namespace {

const std::string LineEnd = "\r\n";

std::string indent(int level) {
    return std::string(static_cast<size_t>(level), '\t');
}

void write(const XmlElement& element, int level, std::string& out) {
    if (!element.comment.empty())
        out += indent(level) + "<!-- " + element.comment + " -->" + LineEnd;
    out += indent(level) + "<" + element.name;
    for (const auto& [attribute, value] : element.attributes) {
        out += element.attributesOnLines ? LineEnd + indent(level + 1) : " ";
        out += attribute + "=\"" + value + "\"";
    }
    if (element.children.empty() && !element.closeExplicitly) {
        out += "/>" + LineEnd;
        return;
    }
    out += ">" + LineEnd;
    for (const XmlElement& child : element.children)
        write(child, level + 1, out);
    out += indent(level) + "</" + element.name + ">" + LineEnd;
}

XmlElement element(const std::string& name,
                   std::vector<std::pair<std::string, std::string>> attributes,
                   std::vector<XmlElement> children = {}) {
    XmlElement made;
    made.name = name;
    made.attributes = std::move(attributes);
    made.children = std::move(children);
    return made;
}

std::string number(int n) {
    return std::to_string(n);
}

} // namespace

XmlElement& XmlElement::set(const std::string& attribute, const std::string& value) {
    for (auto& [name, old] : attributes) {
        if (name == attribute) {
            old = value;
            return *this;
        }
    }
    attributes.emplace_back(attribute, value);
    return *this;
}

XmlElement& XmlElement::drop(const std::string& attribute) {
    std::erase_if(attributes, [&](const auto& a) { return a.first == attribute; });
    return *this;
}

const std::string& XmlElement::value(const std::string& attribute) const {
    for (const auto& [name, value] : attributes)
        if (name == attribute) return value;
    throw std::out_of_range("no attribute " + attribute);
}

std::string xmlDocument(const XmlElement& root) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + LineEnd;
    write(root, 0, out);
    return out;
}

void writeTextFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    if (!file.flush()) throw std::runtime_error("cannot write " + path);
}

XmlElement videoItem(int index, const std::string& codec) {
    return element("VideoAttributeItem", {{"index", number(index)},
                                          {"codec", codec},
                                          {"sampleAspectRatio", "16:9"},
                                          {"horizontalResolution", "1920"},
                                          {"verticalResolution", "1080"},
                                          {"encodedFrameRate", "24"},
                                          {"sourceFrameRate", "24"}});
}

XmlElement audioItem(int index, const std::string& codec, const std::string& channels) {
    XmlElement item = element("AudioAttributeItem", {{"index", number(index)},
                                                     {"codec", codec},
                                                     {"sampleFrequency", "48"},
                                                     {"sampleDepth", "16"}});
    if (!channels.empty()) item.set("channels", channels);
    return item.set("bitrate", "640");
}

XmlElement subpictureItem(int index, const std::string& codec) {
    return element("SubpictureAttributeItem", {{"index", number(index)}, {"codec", codec}});
}

XmlElement video(int track, int mediaAttr) {
    return element("Video", {{"track", number(track)}, {"mediaAttr", number(mediaAttr)}});
}

XmlElement audio(int streamNumber, int mediaAttr, const std::string& description) {
    return element("Audio", {{"track", number(streamNumber)},
                             {"streamNumber", number(streamNumber)},
                             {"mediaAttr", number(mediaAttr)},
                             {"description", description},
                             {"langcode", "en:00"}});
}

XmlElement subtitle(int streamNumber, int mediaAttr, const std::string& description) {
    return element("Subtitle", {{"track", number(streamNumber)},
                                {"streamNumber", number(streamNumber)},
                                {"mediaAttr", number(mediaAttr)},
                                {"description", description},
                                {"langcode", "en:00"}});
}

XmlElement clip(const std::string& stem, std::vector<XmlElement> streams, const std::string& begin,
                const std::string& end) {
    return element("PrimaryAudioVideoClip",
                   {{"titleTimeBegin", begin},
                    {"src", "file:///dvddisc/HVDVD_TS/" + stem + ".MAP"},
                    {"titleTimeEnd", end},
                    {"dataSource", "Disc"}},
                   std::move(streams));
}

std::string titleTimeOfTicks(int64_t ticks) {
    return titleTimeOfCounts((ticks * 2 + 1501) / 3003);
}

std::string titleTimeOfCounts(int64_t counts) {
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld:%02lld",
                  static_cast<long long>(counts / 216000),
                  static_cast<long long>(counts / 3600 % 60),
                  static_cast<long long>(counts / 60 % 60), static_cast<long long>(counts % 60));
    return text;
}

XmlElement chapter(const std::string& begin, const std::string& displayName) {
    return element("Chapter", {{"titleTimeBegin", begin}, {"displayName", displayName}});
}

XmlElement chapterList(std::vector<XmlElement> chapters) {
    return element("ChapterList", {}, std::move(chapters));
}

XmlElement videoTrack(int track) {
    return element("VideoTrack", {{"track", number(track)}, {"selectable", "true"}});
}

XmlElement audioTrack(int track, const std::string& langcode) {
    XmlElement entry = element("AudioTrack", {{"track", number(track)}});
    if (!langcode.empty()) entry.set("langcode", langcode);
    return entry.set("selectable", "true");
}

XmlElement subtitleTrack(int track, const std::string& langcode, const std::string& description) {
    XmlElement entry = audioTrack(track, langcode);
    entry.name = "SubtitleTrack";
    return entry.set("description", description);
}

XmlElement trackNavigationList(std::vector<XmlElement> tracks) {
    return element("TrackNavigationList", {}, std::move(tracks));
}

XmlElement title(int number, const std::string& displayName, const std::string& duration,
                 std::vector<XmlElement> children) {
    return element("Title",
                   {{"id", "Title" + std::to_string(number)},
                    {"titleNumber", std::to_string(number)},
                    {"displayName", displayName},
                    {"titleDuration", duration}},
                   std::move(children));
}

XmlElement firstPlayTitle(std::vector<XmlElement> clips) {
    return element("FirstPlayTitle", {{"titleDuration", "00:00:05:00"}}, std::move(clips));
}

XmlElement playlistRoot(const std::string& displayName, std::vector<XmlElement> items,
                        std::vector<XmlElement> titles) {
    XmlElement root =
        element("Playlist", {{"xmlns", "http://www.dvdforum.org/2005/HDDVDVideo/Playlist"},
                             {"majorVersion", "1"},
                             {"minorVersion", "0"}});
    if (!displayName.empty()) root.set("displayName", displayName);
    root.children = {
        element("Configuration", {},
                {element("StreamingBuffer", {{"size", "0"}}),
                 element("Aperture", {{"size", "1920x1080"}}),
                 element("MainVideoDefaultColor", {{"color", "108080"}})}),
        element("MediaAttributeList", {}, std::move(items)),
        element("TitleSet", {{"timeBase", "60fps"}, {"defaultLanguage", "en"}}, std::move(titles)),
    };
    return root;
}

const DiscLayout& syntheticDisc() {
    static const DiscLayout layout{"MPEG-2",
                                   {{"DD+", "6", "English", "en:01"},
                                    {"DD+", "2", "Commentary", "en:03"},
                                    {"DTS-HD", "6", "French", "fr:01"}},
                                   "8bitRLE"};
    return layout;
}

const DiscLayout& encodedDisc() {
    static const DiscLayout layout{"AVC",
                                   {{"AC-3", "2", "English", "en:01"},
                                    {"DD+", "2", "French", "fr:01"},
                                    {"DTS-HD", "2", "Commentary", "en:03"}},
                                   "8bitRLE"};
    return layout;
}

namespace {

// The sample's chapters sit at the same fractions of any clip length: 0, 1/2 and 3/4 (and 30
// counts) of the first part, 1/4 of the second; on whole pairs of film frames (5 counts at
// 24000/1001), so that each begins with a picture.
int64_t scaled(int64_t countsOfTenMinutes, int64_t length) {
    constexpr int64_t FramePair = 5;
    const int64_t unit = TenMinutes * FramePair;
    return (countsOfTenMinutes * length + unit / 2) / unit * FramePair;
}

std::vector<XmlElement> clipStreams(const DiscLayout& layout) {
    std::vector<XmlElement> streams = {video(1, 1)};
    for (size_t i = 0; i < layout.audio.size(); ++i)
        streams.push_back(audio(int(i) + 1, int(i) + 1, layout.audio[i].description));
    streams.push_back(subtitle(1, 1, "English"));
    return streams;
}

XmlElement trackNavigation(const DiscLayout& layout) {
    std::vector<XmlElement> tracks = {videoTrack(1)};
    for (size_t i = 0; i < layout.audio.size(); ++i)
        tracks.push_back(audioTrack(int(i) + 1, layout.audio[i].langcode));
    tracks.push_back(subtitleTrack(1, "en:01", "English"));
    return trackNavigationList(std::move(tracks));
}

std::vector<XmlElement> attributeItems(const DiscLayout& layout) {
    std::vector<XmlElement> items = {videoItem(1, layout.videoCodec)};
    for (size_t i = 0; i < layout.audio.size(); ++i)
        items.push_back(audioItem(int(i) + 1, layout.audio[i].codec, layout.audio[i].channels));
    items.push_back(subpictureItem(1, layout.subpictureCodec));
    return items;
}

} // namespace

XmlElement discPlaylist(const std::vector<PlaylistClip>& clips, const DiscLayout& layout) {
    std::vector<XmlElement> titles;
    const PlaylistClip* previous = nullptr;
    for (const PlaylistClip& part : clips) {
        const std::string& stem = part.stem;
        if (previous != nullptr && stem.ends_with("_2") &&
            previous->stem == stem.substr(0, stem.size() - 1) + "1") {
            const int64_t end = previous->length + part.length;
            XmlElement& whole = titles.back();
            whole.children.insert(whole.children.begin() + 1,
                                  clip(stem, clipStreams(layout),
                                       titleTimeOfCounts(previous->length),
                                       titleTimeOfCounts(end)));
            whole.set("titleDuration", titleTimeOfCounts(end));
            whole.children[2].children.push_back(
                chapter(titleTimeOfCounts(previous->length + scaled(TenMinutes / 4, part.length)),
                        "Chapter 4"));
            previous = nullptr;
            continue;
        }
        previous = &part;
        const int64_t length = part.length;
        titles.push_back(title(
            static_cast<int>(titles.size()) + 1, stem, titleTimeOfCounts(length),
            {clip(stem, clipStreams(layout), titleTimeOfCounts(0), titleTimeOfCounts(length)),
             chapterList({chapter(titleTimeOfCounts(0), "Chapter 1"),
                          chapter(titleTimeOfCounts(scaled(TenMinutes / 2, length)), "Chapter 2"),
                          chapter(titleTimeOfCounts(scaled(TenMinutes * 3 / 4 + 30, length)),
                                  "Chapter 3")}),
             trackNavigation(layout)}));
    }
    return playlistRoot("SAMPLE DISC", attributeItems(layout), std::move(titles));
}

XmlElement discPlaylist(const std::vector<std::string>& stems) {
    std::vector<PlaylistClip> clips;
    for (const std::string& stem : stems)
        clips.push_back({stem, TenMinutes});
    return discPlaylist(clips, syntheticDisc());
}

} // namespace splitwick::testing
