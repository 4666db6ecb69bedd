#pragma once
#include <QLabel>
#include <QStatusBar>
#include <array>

namespace splitwick {

// StatusBar: panel 0 holds the state word and is as wide as its text plus one letter; panel 1
// holds progress and prompts, fills the rest of the bar and is the bar's hint.
class StatusBar : public QStatusBar {
  public:
    static constexpr int Height = 21;

    explicit StatusBar(QWidget* parent = nullptr);
    // Shows " " + text in the panel and puts it on the screen before returning.
    void slog(const QString& text, int panel);
    QString panelText(int panel) const { return panels_.at(panel)->text(); }
    int panelWidth(int panel) const { return panels_.at(panel)->width(); }

  private:
    std::array<QLabel*, 2> panels_;
};

} // namespace splitwick
