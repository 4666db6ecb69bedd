#pragma once
#include <string>

#include "boxes.h"

namespace splitwick {

// LpcmWav: LPCM streams are written as WAV files. ExtensionsByCodec: stream files are named by
// their codec instead of the extension fields. SubPgs: subpicture streams are converted to PGS.
enum class Option { FastCheck, CountFrames, Continue, LpcmWav, ExtensionsByCodec, SubPgs };
enum class Field { EVOfile, XPLfile, Workdir, VideoExt, AudioExt, SubExt };
enum class Button { Check, ReadXPL, Demux, Rebuild, Cancel };
enum class Page { Status = 0, Video, Audio, Subpicture, XPL, Options };

// The window's controls whose states are job state. The window implements it with its widgets;
// the command line and the tests with PlainControls. Jobs read ticks and options live, so a
// change made while a scan lets events through takes effect at once.
class Controls {
  public:
    virtual ~Controls() = default;

    virtual bool ticked(Box box) const = 0;
    // A change of the tick runs cbVideoClick; setting the tick it already has runs nothing.
    virtual void setTicked(Box box, bool ticked) = 0;
    virtual bool boxEnabled(Box box) const = 0;
    virtual void setBoxEnabled(Box box, bool enabled) = 0;
    virtual std::string caption(Box box) const = 0;
    virtual void setCaption(Box box, const std::string& caption) = 0;
    virtual void setHint(Box box, const std::string& hint) = 0;

    virtual bool option(Option option) const = 0;
    virtual std::string field(Field field) const = 0;
    virtual void setField(Field field, const std::string& text) = 0;

    virtual bool buttonEnabled(Button button) const = 0;
    virtual void setButtonEnabled(Button button, bool enabled) = 0;
    virtual void showPage(Page page) = 0;
};

// Gives a button one state for the stretch of a job it lives and the other on every way out of
// it, failures included.
class ButtonHold {
  public:
    ButtonHold(Controls& controls, Button button, bool enabledMeanwhile)
        : controls_(controls), button_(button), enabledMeanwhile_(enabledMeanwhile) {
        controls_.setButtonEnabled(button_, enabledMeanwhile_);
    }
    ~ButtonHold() { controls_.setButtonEnabled(button_, !enabledMeanwhile_); }
    ButtonHold(const ButtonHold&) = delete;
    ButtonHold& operator=(const ButtonHold&) = delete;

  private:
    Controls& controls_;
    const Button button_;
    const bool enabledMeanwhile_;
};

// Disables every stream box and gives it its no-stream caption; ticks stay as they are.
void Resetcbs(Controls& controls);

// True when at least one of the 40 stream boxes is ticked, enabled or not: the rule by which
// the Demux button is enabled.
bool anyBoxTicked(const Controls& controls);

} // namespace splitwick
