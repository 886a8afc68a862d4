#pragma once

#include "Platform/Linux/Atspi/AtspiRuntime.h"

#include <vector>

namespace zorbel::platform::atspi {

struct DesktopApplication {
    AccPtr root;
    std::int32_t pid = 0;
};

// The applications registered on the accessibility desktop (the registry
// answers from memory, so this stays quick while an application hangs).
std::vector<DesktopApplication> desktopApplications();
std::vector<AccPtr> applicationsOf(std::int32_t pid);

}  // namespace zorbel::platform::atspi
