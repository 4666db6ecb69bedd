#pragma once
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "memo_lines.h"

namespace splitwick {

// The five top-level nodes of tvXPL, in their order.
enum class TreeBranch { Info, Video, Audio, Subtitle, Chapter };

struct TreeNode {
    std::string text;
    std::vector<std::string> children;
};

// tvXPL's content after a read that found the EVO's title.
struct PlaylistTree {
    // A title lists a few hundred chapters at most. Text that is not a playlist can repeat a
    // chapter or title line without its attributes a million times, each child repeating up
    // to 255 characters of the line before: so each branch takes this many children only.
    static constexpr size_t MaxChildren = 9999;

    std::array<TreeNode, 5> nodes{
        {{"Info", {}}, {"Video", {}}, {"Audio", {}}, {"Subtitle", {}}, {"Chapter", {}}}};

    void add(TreeBranch branch, const std::string& child) {
        std::vector<std::string>& children = nodes[static_cast<size_t>(branch)].children;
        if (children.size() < MaxChildren) children.push_back(child);
    }
    const std::vector<std::string>& children(TreeBranch branch) const {
        return nodes[static_cast<size_t>(branch)].children;
    }
};

// The XPL page's two views, mXPL and tvXPL. The window implements it with its widgets, the
// command line and the tests with PlainPlaylistView. The reader keeps the memo's lines itself
// and hands them over once, so the memo is not redrawn once per tag nor held twice.
class PlaylistView {
  public:
    virtual ~PlaylistView() = default;
    // Empties the memo and hides it.
    virtual void clearAndHideMemo() = 0;
    // Gives the memo these lines and shows it again.
    virtual void showMemo(MemoLines lines) = 0;
    // Replaces every node of the tree with these.
    virtual void replaceTree(PlaylistTree tree) = 0;
};

// The views as plain values.
class PlainPlaylistView : public PlaylistView {
  public:
    void clearAndHideMemo() override {
        memo.clear();
        memoVisible = false;
    }
    void showMemo(MemoLines lines) override {
        memo = std::move(lines);
        memoVisible = true;
    }
    void replaceTree(PlaylistTree replacement) override { tree = std::move(replacement); }

    MemoLines memo;
    bool memoVisible = true;
    PlaylistTree tree; // as last replaced; every node without children before that
};

} // namespace splitwick
