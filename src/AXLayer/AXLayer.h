#pragma once

// The accessibility element layer: elements, applications, the system-wide
// element, observers and the accessibility vocabulary.
#include "AXLayer/AXError.h"
#include "AXLayer/Application.h"
#include "AXLayer/Enumerations.h"
#include "AXLayer/Observer.h"
#include "AXLayer/SystemWideElement.h"
#include "AXLayer/UIElement.h"
