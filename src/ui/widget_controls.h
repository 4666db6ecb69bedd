#pragma once
#include <array>

#include "engine/controls.h"
#include "window_layout.h"

namespace splitwick {

// The job state's controls, over the window's widgets. Texts are UTF-8.
class WidgetControls : public Controls {
  public:
    explicit WidgetControls(const Widgets& widgets);

    bool ticked(Box box) const override;
    // QCheckBox::toggled runs cbVideoClick on a change only, as the jobs expect.
    void setTicked(Box box, bool ticked) override;
    bool boxEnabled(Box box) const override;
    void setBoxEnabled(Box box, bool enabled) override;
    std::string caption(Box box) const override;
    void setCaption(Box box, const std::string& caption) override;
    void setHint(Box box, const std::string& hint) override;

    bool option(Option option) const override;
    std::string field(Field field) const override;
    void setField(Field field, const std::string& text) override;

    bool buttonEnabled(Button button) const override;
    void setButtonEnabled(Button button, bool enabled) override;
    void showPage(Page page) override;

    // While a command runs, every command button but Cancel is shown disabled; afterwards each
    // shows what the jobs last set for it.
    void holdCommands(bool held);

  private:
    QLineEdit* fieldWidget(Field field) const;
    QPushButton* buttonWidget(Button button) const;

    void showButton(Button button);

    const Widgets& w_;
    std::array<bool, 5> enabled_; // by Button, as the jobs set them
    bool held_ = false;
};

} // namespace splitwick
