// Read XPL on any bytes, as the window runs it on a disc's playlist for the EVO MAIN.EVO.
// Beside "no crash" it checks that the memo holds one line per ">" (fewer only once cut to
// the title), that the tree's branches stay bounded, and that the boxes, the stream table,
// the tree and the log agree on which streams the title names.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "engine/job_error.h"
#include "engine/session.h"
#include "jobs/file_choice.h"
#include "playlist/read_xpl.h"

namespace {

using namespace splitwick;

struct Lines : Report {
    void log(const std::string& text) override { lines.push_back(text); }
    void slog(const std::string&, uint8_t) override {}
    std::vector<std::string> lines;
};

struct NoPasses : PassObserver {
    void passStarted(const SourceFile&, bool) override {}
    void passEnded(StopReason) override {}
};

void require(bool property, const char* what) {
    if (property) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

const std::string& playlistPath() {
    static const std::string path = [] {
        std::string folder = "/tmp/splitwick-fuzz-XXXXXX";
        require(::mkdtemp(folder.data()) != nullptr, "a temporary folder");
        return folder + "/VPLST000.XPL";
    }();
    return path;
}

int marked(const StreamTable& table, int first) {
    int count = 0;
    for (int entry = first; entry < first + 16; ++entry)
        count += table[entry] == 1;
    return count;
}

void checkStreams(const StreamChoice& streams, const StreamTable& table, const TitleInfo& title) {
    for (Box box : allBoxes()) {
        const bool hasStream = box.kind != TrackKind::Video || box.index == 0;
        const bool named = hasStream && table[tableEntry(box)] == 1;
        require(streams[box].known() == named, "a box is enabled when its stream is named");
        require(streams[box].chosen == named, "a box is ticked when its stream is named");
        if (!named) continue;
        const std::string caption = streams[box].label;
        require(box.kind == TrackKind::Video
                    ? caption.ends_with(".stream.0")
                    : caption.find(".stream." + twoDigits(box.index) + ".") != std::string::npos,
                "a label names its stream's number");
        if (box.kind == TrackKind::Video) continue;
        require(streams[box].description == caption, "a box's hint is its label");
        // Its track is named by the label's description (references resolved), else by the label.
        const std::string name = title.muxLabel(box, caption).name;
        require(name == caption || caption.find('&') != std::string::npos ||
                    caption.ends_with("." + name),
                "a box's track is named by its label's description");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // A new file each time: a file emptied and written again is flushed to disk on closing.
    ::unlink(playlistPath().c_str());
    std::ofstream(playlistPath(), std::ios::binary) << text;

    Lines report;
    NoPasses passes;
    Session session(report, passes);
    session.request.playlistPath = playlistPath();
    playlistChosen(session);
    session.state.evoName = "MAIN";
    Playlist playlist;
    PlainPlaylistView view;
    bool found = false;
    try {
        found = readPlaylist(session, playlist, view);
    } catch (const JobError&) {
        // An attribute item whose index is not a number: the read stops there.
        require(view.memoVisible, "a failed read shows the memo again");
        return 0;
    }

    const size_t brackets = size_t(std::count(text.begin(), text.end(), '>'));
    require(found ? view.memo.size() <= brackets : view.memo.size() == brackets,
            "the memo holds one line per \">\"");
    const StreamTable& table = session.state.streamTable;
    for (int entry = 1; entry <= StreamTable::Entries; ++entry)
        require(table[entry] == -1 || table[entry] == 1, "the table marks streams with 1");
    checkStreams(session.streams, table, playlist.title);

    const PlaylistTree& tree = view.tree;
    require(int(tree.children(TreeBranch::Video).size()) == marked(table, 1),
            "the tree lists each video track once");
    require(int(tree.children(TreeBranch::Audio).size()) == marked(table, 17),
            "the tree lists each audio stream once");
    require(int(tree.children(TreeBranch::Subtitle).size()) == marked(table, 33),
            "the tree lists each subtitle stream once");
    for (const TreeNode& node : tree.nodes)
        require(node.children.size() <= PlaylistTree::MaxChildren, "a branch stays bounded");
    const size_t foundLines =
        size_t(std::count_if(report.lines.begin(), report.lines.end(),
                             [](const std::string& l) { return l.ends_with(" found!"); }));
    require(int(foundLines) == marked(table, 1) + marked(table, 17) + marked(table, 33),
            "each stream named is logged once");
    require(report.lines.back() == "Done.", "a read ends with Done.");
    return 0;
}
