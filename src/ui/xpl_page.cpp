#include "xpl_page.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace splitwick {

namespace {

QFont memoFont() {
    QFont font;
    font.setFamilies({"Courier New", "Nimbus Mono PS", "DejaVu Sans Mono"});
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(11);
    return font;
}

} // namespace

XplPage::XplPage(QWidget* parent)
    : QWidget(parent), titles_(new QComboBox), discButton_(new QPushButton("Disc...")),
      mkvButton_(new QPushButton("Make &MKV")), mkvTarget_(new QLabel), tree_(new QTreeWidget),
      splitter_(new QSplitter), memo_(new QPlainTextEdit) {
    setObjectName("tsXPL");
    titles_->setObjectName("cbTitle");
    titles_->setToolTip("The disc's titles: choosing one sets the EVO and the playlist and reads "
                        "the title");
    titles_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    discButton_->setObjectName("bbDisc");
    discButton_->setToolTip("Choose a disc folder (holding ADV_OBJ and HVDVD_TS)");
    mkvButton_->setObjectName("bMakeMkv");
    mkvButton_->setToolTip("Write the title's chosen streams into one .mkv, with its chapters");
    mkvButton_->setEnabled(false);
    QFont bold = mkvButton_->font();
    bold.setBold(true);
    mkvButton_->setFont(bold);
    mkvTarget_->setObjectName("lMkvTarget");
    // A long path is cut in its middle, where the folder matters least.
    mkvTarget_->setMinimumWidth(MinimumSide);
    mkvTarget_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    tree_->setObjectName("tvXPL");
    tree_->setToolTip("Infos from your XPL file");
    tree_->setHeaderHidden(true);
    tree_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree_->setIndentation(19);
    tree_->setMinimumWidth(MinimumSide);
    clearDisc();

    memo_->setObjectName("mXPL");
    memo_->setToolTip("This is your XPL file (part of it)");
    memo_->setFont(memoFont());
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setMinimumWidth(MinimumSide);

    splitter_->setObjectName("splXPL");
    splitter_->setChildrenCollapsible(false);
    splitter_->setHandleWidth(3);
    splitter_->addWidget(tree_);
    splitter_->addWidget(memo_);
    // A wider page widens the memo; the tree keeps its width.
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    connect(splitter_, &QSplitter::splitterMoved, this, [this] {
        treeWidth_ = splitter_->sizes().at(0);
        widthSet_ = true;
    });

    auto* disc = new QHBoxLayout;
    disc->addWidget(titles_, 1);
    disc->addWidget(discButton_);
    auto* mkv = new QHBoxLayout;
    mkv->addWidget(mkvTarget_, 1);
    mkv->addWidget(mkvButton_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(disc);
    layout->addLayout(mkv);
    layout->addWidget(splitter_);
}

void XplPage::clearDisc() {
    titles_->clear();
    titles_->setEnabled(false);
    tree_->clear();
    for (const char* top : {"Video", "Audio", "Subpicture", "Chapter"})
        addTreeNode(nullptr, top);
    memo_->clear();
}

void XplPage::setMemoLines(const QStringList& lines) {
    memo_->setPlainText(lines.join('\n'));
}

QStringList XplPage::memoLines() const {
    return memo_->toPlainText().split('\n');
}

QTreeWidgetItem* XplPage::addTreeNode(QTreeWidgetItem* parent, const QString& text) {
    auto* node = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
    node->setText(0, text);
    return node;
}

void XplPage::clearAndHideMemo() {
    memo_->clear();
    memo_->hide();
}

void XplPage::showMemo(MemoLines lines) {
    QString text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += '\n';
        text += QString::fromStdString(lines.line(i));
    }
    lines = {}; // held only until it is text
    // One change of the whole text: the memo is not redrawn once per line.
    memo_->setPlainText(text);
    memo_->show();
}

void XplPage::replaceTree(PlaylistTree tree) {
    clearTree();
    for (const TreeNode& node : tree.nodes) {
        QTreeWidgetItem* top = addTreeNode(nullptr, QString::fromStdString(node.text));
        for (const std::string& child : node.children)
            addTreeNode(top, QString::fromStdString(child));
    }
}

int XplPage::treeWidth() const {
    // A page never shown has not been laid out: the pages' area it is shown in has.
    const QWidget* area = isVisible() || parentWidget() == nullptr ? this : parentWidget();
    if (!widthSet_) return std::max(area->width() / 3, MinimumSide);
    // Until the page is first shown, the splitter has laid nothing out.
    return isVisible() ? splitter_->sizes().at(0) : treeWidth_;
}

void XplPage::setTreeWidth(int width) {
    treeWidth_ = std::max(width, MinimumSide);
    widthSet_ = true;
    splitter_->setSizes({treeWidth_, QWIDGETSIZE_MAX});
}

void XplPage::showEvent(QShowEvent* event) {
    if (!widthSet_) splitter_->setSizes({treeWidth(), QWIDGETSIZE_MAX});
    QWidget::showEvent(event);
}

void XplPage::hideEvent(QHideEvent* event) {
    if (widthSet_) treeWidth_ = splitter_->sizes().at(0);
    QWidget::hideEvent(event);
}

} // namespace splitwick
