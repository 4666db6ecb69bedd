#pragma once
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>

#include "playlist/playlist_view.h"

namespace splitwick {

// The XPL page: above, the disc's titles cbTitle and the button bbDisc that chooses a disc,
// then the .mkv the title makes and the button bMakeMkv that makes it; below, the playlist tree
// tvXPL, the splitter splXPL and the memo mXPL with the playlist's tags. Read XPL fills the tree
// and the memo as its PlaylistView.
class XplPage : public QWidget, public PlaylistView {
  public:
    static constexpr int MinimumSide = 50;

    explicit XplPage(QWidget* parent = nullptr);

    QTreeWidget* tree() const { return tree_; }
    QPlainTextEdit* memo() const { return memo_; }
    QComboBox* titles() const { return titles_; }
    QPushButton* discButton() const { return discButton_; }
    // Make MKV, and the file it writes ("Writes /films/FEATURE_1.mkv").
    QPushButton* mkvButton() const { return mkvButton_; }
    QLabel* mkvTarget() const { return mkvTarget_; }
    // Forgets the disc: no titles, the tree as at start, an empty memo.
    void clearDisc();

    // Replaces the memo's lines.
    void setMemoLines(const QStringList& lines);
    QStringList memoLines() const;
    // Empties the tree; adds a node under parent, or at the top for none.
    void clearTree() { tree_->clear(); }
    QTreeWidgetItem* addTreeNode(QTreeWidgetItem* parent, const QString& text);

    void clearAndHideMemo() override;
    void showMemo(MemoLines lines) override;
    void replaceTree(PlaylistTree tree) override;

    // The tree's width, also while the page has never been shown: a third of the page until
    // the settings or the user set it.
    int treeWidth() const;
    void setTreeWidth(int width);

  protected:
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    QComboBox* titles_;
    QPushButton* discButton_;
    QPushButton* mkvButton_;
    QLabel* mkvTarget_;
    QTreeWidget* tree_;
    QSplitter* splitter_;
    QPlainTextEdit* memo_;
    int treeWidth_ = 0;
    bool widthSet_ = false;
};

} // namespace splitwick
