#include "recording_session.h"

namespace splitwick::testing {

RecordingSession::RecordingSession() : session(controls, report, events) {}

} // namespace splitwick::testing
