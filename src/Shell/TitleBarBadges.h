#pragma once

#include <QWidget>

#include <vector>

namespace zorbel {

// The badges every theme's title bar shows, in order: the accessibility
// permission, then launch at login.
std::vector<QWidget*> makeTitleBarBadges();

}  // namespace zorbel
