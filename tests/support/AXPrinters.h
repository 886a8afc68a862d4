#pragma once

#include "AXLayer/UIElement.h"

#include <ostream>

// Readable accessibility values in test failure messages.
namespace zorbel {
inline void PrintTo(const Value& value, std::ostream* out) { *out << value.description().toStdString(); }
inline void PrintTo(const UIElement& element, std::ostream* out) { *out << element.element().debugDescription().toStdString(); }
inline void PrintTo(const AXError& error, std::ostream* out) { *out << error.what(); }
}  // namespace zorbel

namespace zorbel::platform {
inline void PrintTo(const AXValue& value, std::ostream* out)
{
    *out << UIElement::decodeValue(value).description().toStdString();
}
}  // namespace zorbel::platform
