#pragma once

#include "AXLayer/UIElement.h"

namespace zorbel {

// The one element of the whole desktop: asks for what has the focus
// anywhere, and carries the messaging timeout every element falls back to.
class SystemWideElement : public UIElement {
public:
    SystemWideElement();
};

// Made on first use and kept for the life of the process.
SystemWideElement& systemWideElement();

// Whether this process may read other processes' elements; with prompt the
// desktop may show its own guidance when it may not.
bool checkIsProcessTrusted(bool prompt);

}  // namespace zorbel
