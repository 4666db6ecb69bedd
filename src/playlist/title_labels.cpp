#include "title_labels.h"

#include <array>

#include "engine/stream_table.h"

namespace splitwick {

namespace {

// Where each kind of stream takes its codec, its stream-table entry and its box.
struct StreamKind {
    TreeBranch branch;
    AttributeTable Playlist::*table;
    int firstEntry;
    BoxKind boxKind;
};

constexpr std::array<StreamKind, 3> Kinds = {{
    {TreeBranch::Video, &Playlist::VideoAttr, StreamTable::VideoFirst, BoxKind::Video},
    {TreeBranch::Audio, &Playlist::AudioAttr, StreamTable::AudioFirst, BoxKind::Audio},
    {TreeBranch::Subtitle, &Playlist::SubpictureAttr, StreamTable::SubpictureFirst,
     BoxKind::Subpicture},
}};

const StreamKind& kindOf(TreeBranch branch) {
    for (const StreamKind& kind : Kinds)
        if (kind.branch == branch) return kind;
    return Kinds.front();
}

// "VC-1.stream.0" for a video track; "DD+.6ch.stream.00.English" for an audio or subtitle
// stream, its number as two digits.
std::string streamLabel(const Playlist& playlist, const LabelledStream& stream) {
    const std::string codec = (playlist.*kindOf(stream.branch).table)[stream.mediaAttr];
    if (stream.branch == TreeBranch::Video)
        return codec + ".stream." + std::to_string(stream.number - 1);
    return codec + ".stream." + twoDigits(stream.number - 1) + "." + stream.description;
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

void labelTitle(Session& session, const Playlist& playlist, TitleModel& model) {
    for (const LabelledStream& stream : model.streams) {
        const StreamKind& kind = kindOf(stream.branch);
        const std::string label = streamLabel(playlist, stream);
        session.state.streamTable[kind.firstEntry - 1 + stream.number] = 1;
        model.tree.add(stream.branch, label);
        session.log(label + " found!");
        const Box box{kind.boxKind, stream.number - 1};
        // Only the first video track has a slot, and it takes no description.
        if (stream.branch != TreeBranch::Video)
            learnStream(session.streams, box, label, label);
        else if (stream.number == 1)
            learnStream(session.streams, box, label, {});
    }
}

} // namespace splitwick
