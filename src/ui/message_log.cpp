#include "message_log.h"

#include <QScrollBar>

namespace splitwick {

MessageLog::MessageLog(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName("mMessage");
    // A record to read, not to edit; long lines (paths, errors) wrap at the page's width.
    setReadOnly(true);
    setLineWrapMode(WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void MessageLog::appendLine(const QString& text) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    // An empty document is no lines at all until the first line is added, which may be empty.
    if (hasLines_ || !document()->isEmpty()) cursor.insertBlock();
    cursor.insertText(text);
    hasLines_ = true;
    setTextCursor(cursor);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

} // namespace splitwick
