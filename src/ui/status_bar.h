#pragma once
#include <QLabel>
#include <QProgressBar>
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
    // The bar at the right end, over the whole job, with the time left ("0:01:10 left"), shown
    // while a job tells its share; a total of 0 hides it.
    void showShare(int64_t done, int64_t total, const QString& remaining);
    const QProgressBar* shareBar() const { return share_; }

  private:
    std::array<QLabel*, 2> panels_;
    QProgressBar* share_;
};

} // namespace splitwick
