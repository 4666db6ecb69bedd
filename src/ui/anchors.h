#pragma once
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace splitwick {

// The parent's edges whose distance a control keeps when the parent is resized. A control
// anchored to both edges of a direction stretches; to the far edge only, it moves; to the
// near edge only or to neither, it stays where it was laid out.
enum Anchor { AnchorLeft = 1, AnchorTop = 2, AnchorRight = 4, AnchorBottom = 8 };

// Keeps controls placed by pixel, as they were laid out on a parent of the designed size.
class Anchors {
  public:
    explicit Anchors(QSize designed) : designed_(designed) {}
    // Records the widget's present geometry as laid out.
    void add(QWidget* widget, int anchors);
    void apply(QSize parent) const;

  private:
    struct Entry {
        QWidget* widget;
        QRect laidOut;
        int anchors;
    };
    std::vector<Entry> entries_;
    QSize designed_;
};

} // namespace splitwick
