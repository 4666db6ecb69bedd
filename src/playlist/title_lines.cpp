#include "title_lines.h"

#include <array>

#include "attr.h"
#include "engine/stream_table.h"

namespace splitwick {

namespace {

// Track and stream numbers count from 1 within their group of the stream table.
constexpr int GroupSize = 16;
bool inGroup(int number) {
    return number >= 1 && number <= GroupSize;
}

// The title names the stream: it is known, chosen and labelled by the playlist.
void learnStream(StreamChoice& streams, Box box, const std::string& label,
                 const std::string& description) {
    StreamEntry& entry = streams[box];
    entry.learnt = LearntFrom::Playlist;
    entry.chosen = true;
    entry.label = label;
    entry.description = description;
}

} // namespace

struct TitleLines::StreamKind {
    AttributeTable Playlist::*table;
    int firstEntry;
    TreeBranch branch;
    BoxKind boxKind;
};

void TitleLines::read(const std::string& line) {
    using Test = void (TitleLines::*)(const std::string&);
    struct LineTest {
        const char* element; // as it appears in the upper-cased line
        Test action;
    };
    // The trailing space keeps "<VIDEO " from matching a longer name such as "<VIDEOTRACK".
    static const std::array<LineTest, 5> Tests = {{
        {"<TITLE ", &TitleLines::title},
        {"<VIDEO ", &TitleLines::video},
        {"<AUDIO ", &TitleLines::audio},
        {"<SUBTITLE ", &TitleLines::subtitle},
        {"<CHAPTER ", &TitleLines::chapter},
    }};
    const std::string upper = upperAscii(line);
    for (const LineTest& test : Tests)
        if (upper.find(test.element) != std::string::npos) (this->*test.action)(line);
}

void TitleLines::title(const std::string& line) {
    AttrText(line, "displayName", titleName_);
    AttrText(line, "titleDuration", titleDuration_);
    tree_.add(TreeBranch::Info, "Name: " + titleName_);
    tree_.add(TreeBranch::Info, "Duration: " + titleDuration_);
}

void TitleLines::video(const std::string& line) {
    const int track = AttrNumber(line, "track");
    const int media = AttrNumber(line, "mediaAttr");
    if (!inGroup(track) || !AttributeTable::holds(media)) return;
    if (!markNew(StreamTable::VideoFirst - 1 + track)) return;
    const std::string label = playlist_.VideoAttr[media] + ".stream." + std::to_string(track - 1);
    report(TreeBranch::Video, label);
    // Only the first video track has a box.
    if (track == 1) learnStream(session_.streams, Box{BoxKind::Video, 0}, label, {});
}

void TitleLines::audio(const std::string& line) {
    static const StreamKind Audio{&Playlist::AudioAttr, StreamTable::AudioFirst, TreeBranch::Audio,
                                  BoxKind::Audio};
    numberedStream(line, Audio, audioDescription_);
}

void TitleLines::subtitle(const std::string& line) {
    static const StreamKind Subtitle{&Playlist::SubpictureAttr, StreamTable::SubpictureFirst,
                                     TreeBranch::Subtitle, BoxKind::Subpicture};
    numberedStream(line, Subtitle, subtitleDescription_);
}

void TitleLines::numberedStream(const std::string& line, const StreamKind& kind,
                                std::string& description) {
    const int number = AttrNumber(line, "streamNumber");
    const int media = AttrNumber(line, "mediaAttr");
    if (!inGroup(number) || !AttributeTable::holds(media)) return;
    if (!markNew(kind.firstEntry - 1 + number)) return;
    AttrText(line, "description", description);
    const std::string label =
        (playlist_.*kind.table)[media] + ".stream." + twoDigits(number - 1) + "." + description;
    report(kind.branch, label);
    const Box box{kind.boxKind, number - 1};
    learnStream(session_.streams, box, label, label);
}

void TitleLines::chapter(const std::string& line) {
    AttrText(line, "titleTimeBegin", chapterBegin_);
    AttrText(line, "displayName", chapterName_);
    tree_.add(TreeBranch::Chapter, chapterBegin_ + ": " + chapterName_);
}

bool TitleLines::markNew(int entry) {
    int32_t& mark = session_.state.streamTable[entry];
    if (mark != -1) return false;
    mark = 1;
    return true;
}

void TitleLines::report(TreeBranch branch, const std::string& label) {
    tree_.add(branch, label);
    session_.log(label + " found!");
}

} // namespace splitwick
