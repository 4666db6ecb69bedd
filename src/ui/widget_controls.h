#pragma once
#include "jobs/job_request.h"
#include "stream_boxes.h"
#include "window_layout.h"

namespace splitwick {

// The window's pages, in their order.
enum class Page { Status = 0, Video, Audio, Subpicture, XPL, Options };

// What each command button shows, besides being held while a command runs.
struct CommandStates {
    bool readEvo = false;
    bool readPlaylist = false;
    bool demux = false;
    bool rebuild = false;
    bool makeMkv = false;
    bool cancel = false;
};

// The window's widgets as a job sees them: a request read from the fields and options, the
// streams' choices read from the boxes and the streams shown in them. Texts are UTF-8.
class WidgetControls {
  public:
    explicit WidgetControls(const Widgets& widgets) : w_(widgets) {}

    // The request's files and options as the job starts.
    JobRequest request() const;
    // Each box's tick as its streams' choice.
    void readChoices(WindowStreams& streams) const;
    // Each box enabled when its stream is known, ticked when chosen, captioned by its label and
    // hinted by its description when it has one.
    void showStreams(const WindowStreams& streams);
    // True when at least one of the 40 stream boxes is ticked, enabled or not: the rule by which
    // the Demux button is enabled.
    bool anyTicked() const;

    // While a command runs (held), every command button but Cancel is disabled, and so are the
    // browse buttons and the disc's; otherwise each shows its state.
    void showCommands(const CommandStates& states, bool held);
    void showPage(Page page);

  private:
    const Widgets& w_;
};

} // namespace splitwick
