#include "anchors.h"

#include <QWidget>

namespace splitwick {

namespace {

struct Span {
    int start;
    int length;
};

// One direction: grow is how much the parent grew along it.
Span follow(int start, int length, int grow, bool nearEdge, bool farEdge) {
    if (nearEdge && farEdge) return {start, length + grow};
    if (farEdge) return {start + grow, length};
    return {start, length};
}

} // namespace

void Anchors::add(QWidget* widget, int anchors) {
    entries_.push_back({widget, widget->geometry(), anchors});
}

void Anchors::apply(QSize parent) const {
    const int growX = parent.width() - designed_.width();
    const int growY = parent.height() - designed_.height();
    for (const Entry& e : entries_) {
        const Span x = follow(e.laidOut.x(), e.laidOut.width(), growX, e.anchors & AnchorLeft,
                              e.anchors & AnchorRight);
        const Span y = follow(e.laidOut.y(), e.laidOut.height(), growY, e.anchors & AnchorTop,
                              e.anchors & AnchorBottom);
        e.widget->setGeometry(x.start, y.start, x.length, y.length);
    }
}

} // namespace splitwick
