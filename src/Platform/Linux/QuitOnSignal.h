#pragma once

namespace zorbel::platform {

// Turns SIGINT, SIGTERM and SIGHUP into an orderly quit (quitApplication),
// so the program stops tracking and tidies up instead of dying mid-call. Should
// that quit not end the process within a second, or a second signal come, the
// process ends at once.
void quitOnTerminationSignals();

// Ends the program whatever is open (message boxes, dialogs, their nested
// event loops): every window is closed, as at a quit from the tray, and no
// window can refuse.
void quitApplication();

}  // namespace zorbel::platform
