#pragma once
#include <QPlainTextEdit>

namespace splitwick {

// mMessage: the message log on the Status page. Lines are only ever appended; the user may
// type into it.
class MessageLog : public QPlainTextEdit {
  public:
    explicit MessageLog(QWidget* parent = nullptr);
    // Adds text as the new last line (an empty text too) and scrolls to it.
    void appendLine(const QString& text);

  private:
    bool hasLines_ = false;
};

} // namespace splitwick
