#pragma once
#include <array>
#include <string>
#include <vector>

namespace splitwick {

// The five top-level nodes of tvXPL, in their order.
enum class TreeBranch { Info, Video, Audio, Subtitle, Chapter };

struct TreeNode {
    std::string text;
    std::vector<std::string> children;
};

// tvXPL's content after a read that found the EVO's title.
struct PlaylistTree {
    std::array<TreeNode, 5> nodes{
        {{"Info", {}}, {"Video", {}}, {"Audio", {}}, {"Subtitle", {}}, {"Chapter", {}}}};

    void add(TreeBranch branch, const std::string& child) {
        nodes[static_cast<size_t>(branch)].children.push_back(child);
    }
    const std::vector<std::string>& children(TreeBranch branch) const {
        return nodes[static_cast<size_t>(branch)].children;
    }
};

// The XPL page's two views, mXPL and tvXPL. The window implements it with its widgets, the
// command line and the tests with PlainPlaylistView. The reader keeps the memo's lines itself
// and hands them over once, so the memo is not redrawn once per tag.
class PlaylistView {
  public:
    virtual ~PlaylistView() = default;
    // Empties the memo and hides it.
    virtual void clearAndHideMemo() = 0;
    // Gives the memo these lines and shows it again.
    virtual void showMemo(const std::vector<std::string>& lines) = 0;
    // Replaces every node of the tree with these.
    virtual void replaceTree(const PlaylistTree& tree) = 0;
};

// The views as plain values.
class PlainPlaylistView : public PlaylistView {
  public:
    void clearAndHideMemo() override {
        memo.clear();
        memoVisible = false;
    }
    void showMemo(const std::vector<std::string>& lines) override {
        memo = lines;
        memoVisible = true;
    }
    void replaceTree(const PlaylistTree& replacement) override { tree = replacement; }

    std::vector<std::string> memo;
    bool memoVisible = true;
    PlaylistTree tree; // as last replaced; every node without children before that
};

} // namespace splitwick
