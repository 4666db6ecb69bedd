// Read XPL on any bytes, as the window runs it on a disc's playlist for the EVO MAIN.EVO.
// Beside "no crash" it checks that the memo holds one line per ">" of the text as read (fewer
// only once cut to the title), that the tree's branches stay bounded, and that the labels, the
// tree and the log agree on which streams the title names.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <span>
#include <string>

#include "engine/job_error.h"
#include "playlist/playlist_encoding.h"
#include "playlist/read_xpl.h"

namespace {

using namespace splitwick;

struct Lines : JobEvents {
    void logged(const std::string& text) override { lines.push_back(text); }
    void phase(const std::string&) override {}
    void progress(const Progress&) override {}
    std::vector<std::string> lines;
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

// The playlist's text as the read takes it: the ">" of one in UTF-16 are its characters, not
// its bytes.
std::string decoded(const std::string& bytes) {
    PlaylistEncoding encoding;
    std::string text;
    for (std::span<const uint8_t> chunk :
         {std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
          std::span<const uint8_t>()}) {
        const std::span<const uint8_t> utf8 = encoding.toUtf8(chunk);
        text.append(utf8.begin(), utf8.end());
    }
    return text;
}

size_t labelsOf(const PlaylistRead& read, TrackKind kind) {
    return size_t(std::count_if(read.labels.begin(), read.labels.end(),
                                [&](const StreamLabel& label) { return label.name.kind == kind; }));
}

void checkLabels(const PlaylistRead& read) {
    for (const StreamLabel& label : read.labels) {
        require(std::count_if(read.labels.begin(), read.labels.end(),
                              [&](const StreamLabel& other) { return other.name == label.name; }) ==
                    1,
                "one label a stream");
        const std::string& caption = label.label;
        const TrackName name = label.name;
        require(name.kind == TrackKind::Video
                    ? name.number == 0 && caption.ends_with(".stream.0")
                    : caption.find(".stream." + name.numberText() + ".") != std::string::npos,
                "a label names its stream's number");
        if (name.kind == TrackKind::Video) continue;
        require(label.description == caption, "a stream's hint is its label");
        // Its track is named by the label's description (references resolved), else by the label.
        const std::string track = read.title.muxLabel(name, caption).name;
        require(track == caption || caption.find('&') != std::string::npos ||
                    caption.ends_with("." + track),
                "a stream's track is named by its label's description");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // A new file each time: a file emptied and written again is flushed to disk on closing.
    ::unlink(playlistPath().c_str());
    std::ofstream(playlistPath(), std::ios::binary) << text;

    Lines report;
    PlainPlaylistView view;
    PlaylistRead read;
    try {
        read = readPlaylist(playlistPath(), "MAIN", view, report);
    } catch (const JobError&) {
        // An attribute item whose index is not a number: the read stops there.
        require(view.memoVisible, "a failed read shows the memo again");
        return 0;
    }

    const std::string taken = decoded(text);
    const size_t brackets = size_t(std::count(taken.begin(), taken.end(), '>'));
    require(read.titleFound ? view.memo.size() <= brackets : view.memo.size() == brackets,
            "the memo holds one line per \">\"");
    checkLabels(read);

    const PlaylistTree& tree = view.tree;
    if (read.titleFound) {
        require(tree.children(TreeBranch::Video).size() >= labelsOf(read, TrackKind::Video),
                "the tree lists each video track once");
        require(tree.children(TreeBranch::Audio).size() == labelsOf(read, TrackKind::Audio),
                "the tree lists each audio stream once");
        require(tree.children(TreeBranch::Subtitle).size() == labelsOf(read, TrackKind::Subpicture),
                "the tree lists each subtitle stream once");
    }
    for (const TreeNode& node : tree.nodes)
        require(node.children.size() <= PlaylistTree::MaxChildren, "a branch stays bounded");
    const size_t foundLines =
        size_t(std::count_if(report.lines.begin(), report.lines.end(),
                             [](const std::string& l) { return l.ends_with(" found!"); }));
    const size_t listed = read.titleFound ? tree.children(TreeBranch::Video).size() +
                                                tree.children(TreeBranch::Audio).size() +
                                                tree.children(TreeBranch::Subtitle).size()
                                          : 0;
    require(foundLines == listed, "each stream named is logged once");
    require(report.lines.back() == "Done.", "a read ends with Done.");
    return 0;
}
