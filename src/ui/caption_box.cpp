#include "caption_box.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace splitwick {

QSize CaptionBox::minimumSizeHint() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    const int indicator = style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, this);
    return {indicator, QCheckBox::minimumSizeHint().height()};
}

void CaptionBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // What is left of the box's width beside its indicator.
    const QRect label = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
    option.text =
        fontMetrics().elidedText(option.text, Qt::ElideRight, label.width(), Qt::TextShowMnemonic);
    painter.drawControl(QStyle::CE_CheckBox, option);
}

} // namespace splitwick
