#pragma once
#include <QCheckBox>

namespace splitwick {

// A stream box that takes the width its page gives it: its caption is shown whole where it
// fits and cut with "…" at its right edge only where the page is too narrow. Its text stays
// whole (the jobs read it back), and so does its tool tip.
class CaptionBox : public QCheckBox {
  public:
    using QCheckBox::QCheckBox;
    // As narrow as its indicator: the page's width decides, not the caption's length.
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace splitwick
