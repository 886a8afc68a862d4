#include "AXLayer/AXError.h"

namespace zorbel {

namespace {
const char* textOf(platform::AXCode code)
{
    // Codes run from 0 down to -25214 without gaps after -25200.
    static const char* const names[] = {
        "AXError.Failure",
        "AXError.IllegalArgument",
        "AXError.InvalidUIElement",
        "AXError.InvalidUIElementObserver",
        "AXError.CannotComplete",
        "AXError.AttributeUnsupported",
        "AXError.ActionUnsupported",
        "AXError.NotificationUnsupported",
        "AXError.NotImplemented",
        "AXError.NotificationAlreadyRegistered",
        "AXError.NotificationNotRegistered",
        "AXError.APIDisabled",
        "AXError.NoValue",
        "AXError.ParameterizedAttributeUnsupported",
        "AXError.NotEnoughPrecision",
    };
    if (code == platform::axcode::success) return "AXError.Success";
    const auto index = static_cast<long long>(platform::axcode::failure) - code;
    if (index < 0 || index >= static_cast<long long>(std::size(names))) return "AXError.<Unknown>";
    return names[index];
}
}  // namespace

QString AXError::description() const { return QString::fromLatin1(textOf(code_)); }

const char* AXError::what() const noexcept { return textOf(code_); }

}  // namespace zorbel
