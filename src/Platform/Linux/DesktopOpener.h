#pragma once

#include <QString>

#include <functional>

namespace zorbel::platform {

// Hands an address to the desktop's opener (xdg-open) without waiting for it,
// and answers on the main loop whether a program took it. Qt's own opener says
// yes as soon as xdg-open starts, even when it then finds no handler (status 3)
// or passes a mail link to a browser.
//
// - A mail link needs a mail handler first (xdg-mime): without one, nothing
//   is run and the answer is no.
// - xdg-open's exit status is the answer; one that cannot start is a no.
// - xdg-open runs some handlers in the foreground until they end: still
//   running after `patienceMs`, a program has taken the address, and the
//   answer is yes. That handler may still fail (a program that gives up
//   while starting): a failure within `settleMs` of the start follows as a
//   second answer, no. A handler that has run longer opened the address, and
//   how it ends says how its session ended; it is left to run on, even past
//   the end of this program.
void openWithDesktop(const QString& url, std::function<void(bool taken)> answered, int patienceMs = 3000,
                    int settleMs = 60000);

}  // namespace zorbel::platform
