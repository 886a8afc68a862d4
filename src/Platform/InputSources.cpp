#include "Platform/InputSources.h"

namespace zorbel::platform {

std::uint64_t modifierFlagsRawValue(const ModifierFlags& flags)
{
    std::uint64_t raw = 0;
    if (flags.capsLock) raw |= 0x10000;
    if (flags.shift) raw |= 0x20000;
    if (flags.control) raw |= 0x40000;
    if (flags.option) raw |= 0x80000;
    if (flags.command) raw |= 0x100000;
    return raw;
}

QString describeModifierFlags(const ModifierFlags& flags)
{
    QStringList names;
    if (flags.capsLock) names << QStringLiteral("capsLock");
    if (flags.shift) names << QStringLiteral("shift");
    if (flags.control) names << QStringLiteral("control");
    if (flags.option) names << QStringLiteral("option");
    if (flags.command) names << QStringLiteral("command");
    return QLatin1Char('[') + names.join(QStringLiteral(", ")) + QLatin1Char(']');
}

}  // namespace zorbel::platform
