#include "status_bar.h"

#include <QLayout>
#include <algorithm>

namespace splitwick {

namespace {

const char* const FirstPrompt = "Select or drop an EVO file to demux";
// The bar's steps: fine enough that a 30 GB title moves it every few MiB.
constexpr int ShareSteps = 10000;

QLabel* makePanel(const QString& text) {
    auto* panel = new QLabel(" " + text);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    return panel;
}

} // namespace

StatusBar::StatusBar(QWidget* parent)
    : QStatusBar(parent), panels_{makePanel("Ready"), makePanel(FirstPrompt)} {
    setObjectName("StatusBar");
    setFixedHeight(Height);
    panels_[0]->setFixedWidth(40);
    // The last panel takes what the first leaves, however long its text.
    panels_[1]->setMinimumWidth(0);
    addWidget(panels_[0]);
    addWidget(panels_[1], 1);
    share_ = new QProgressBar;
    share_->setObjectName("pbShare");
    share_->setAccessibleName("Progress of the running job");
    share_->setFixedWidth(180);
    share_->setRange(0, ShareSteps);
    share_->hide();
    addPermanentWidget(share_);
    setToolTip(QString(" ") + FirstPrompt);
}

void StatusBar::showShare(int64_t done, int64_t total, const QString& remaining) {
    share_->setVisible(total > 0);
    if (total <= 0) return;
    share_->setValue(int(std::clamp<int64_t>(done, 0, total) * ShareSteps / total));
    share_->setFormat(remaining.isEmpty() ? "%p %" : "%p %, " + remaining + " left");
}

void StatusBar::slog(const QString& text, int panel) {
    QLabel* label = panels_.at(panel);
    label->setText(" " + text);
    if (panel == 0)
        label->setFixedWidth(fontMetrics().horizontalAdvance(label->text() + "a"));
    else
        setToolTip(text);
    // The new widths take effect now, and the bar is painted before a long job goes on.
    if (layout() != nullptr) layout()->activate();
    repaint();
}

} // namespace splitwick
