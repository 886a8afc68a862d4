#pragma once

namespace zorbel::platform {

// Turns SIGINT, SIGTERM and SIGHUP into an orderly quit of the Qt event loop,
// so the program stops tracking and tidies up instead of dying mid-call.
void quitOnTerminationSignals();

}  // namespace zorbel::platform
