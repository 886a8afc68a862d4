#include "AXLayer/SystemWideElement.h"

#include "Platform/Accessibility.h"
#include "Platform/Services.h"

namespace zorbel {

SystemWideElement::SystemWideElement() : UIElement(platform::accessibility().systemWideElement()) {}

SystemWideElement& systemWideElement() { return sharedInstance<SystemWideElement>(); }

bool checkIsProcessTrusted(bool prompt) { return platform::accessibility().isProcessTrusted(prompt); }

}  // namespace zorbel
