#pragma once
#include <array>
#include <map>
#include <string>

#include "controls.h"

namespace splitwick {

// The controls as plain values, laid out as the window lays them out: for the command line and
// the tests, which drive the jobs without a window.
class PlainControls : public Controls {
  public:
    struct BoxState {
        bool enabled = false;
        bool ticked = false;
        std::string caption;
        std::string hint;
    };

    PlainControls();

    bool ticked(Box box) const override { return state(box).ticked; }
    void setTicked(Box box, bool ticked) override;
    bool boxEnabled(Box box) const override { return state(box).enabled; }
    void setBoxEnabled(Box box, bool enabled) override { state(box).enabled = enabled; }
    std::string caption(Box box) const override { return state(box).caption; }
    void setCaption(Box box, const std::string& caption) override { state(box).caption = caption; }
    void setHint(Box box, const std::string& hint) override { state(box).hint = hint; }
    std::string hint(Box box) const { return state(box).hint; }

    bool option(Option option) const override { return options_.at(option); }
    void setOption(Option option, bool ticked) { options_[option] = ticked; }
    std::string field(Field field) const override { return fields_.at(field); }
    void setField(Field field, const std::string& text) override { fields_[field] = text; }

    bool buttonEnabled(Button button) const override { return buttons_.at(button); }
    void setButtonEnabled(Button button, bool enabled) override { buttons_[button] = enabled; }
    void showPage(Page page) override { page_ = page; }
    Page page() const { return page_; }

  private:
    BoxState& state(Box box);
    const BoxState& state(Box box) const;

    std::array<BoxState, BoxCount> boxes_;
    std::map<Option, bool> options_;
    std::map<Field, std::string> fields_;
    std::map<Button, bool> buttons_;
    Page page_ = Page::Status;
};

} // namespace splitwick
