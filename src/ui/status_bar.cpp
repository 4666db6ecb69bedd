#include "status_bar.h"

#include <QLayout>

namespace splitwick {

namespace {

const char* const FirstPrompt = "Select or drop an EVO file to demux";

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
    setToolTip(QString(" ") + FirstPrompt);
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
