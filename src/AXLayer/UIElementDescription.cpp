// Text forms of elements and values.
#include "AXLayer/UIElement.h"

#include "Platform/Services.h"
#include "Platform/TextForm.h"
#include "Platform/Workspace.h"

namespace zorbel {

namespace {

QString bundleIdentifierOf(std::optional<std::int32_t> pid)
{
    if (!pid) return {};
    const auto running = platform::workspace().applicationForProcessIdentifier(*pid);
    return running ? running->bundleIdentifier().value_or(QString()) : QString();
}

QString listText(const std::vector<Value>& entries)
{
    QStringList parts;
    for (const auto& entry : entries) parts << entry.description();
    return QLatin1Char('[') + parts.join(QStringLiteral(", ")) + QLatin1Char(']');
}

QString dictionaryText(const platform::AXValue::Dictionary& entries)
{
    if (entries.empty()) return QStringLiteral("[:]");
    QStringList parts;
    for (const auto& [key, value] : entries)
        parts << key + QStringLiteral(": ") + UIElement::decodeValue(value).description();
    return QLatin1Char('[') + parts.join(QStringLiteral(", ")) + QLatin1Char(']');
}

QString objectText(const platform::AXValue& v)
{
    using Kind = platform::AXValue::Kind;
    switch (v.kind()) {
    case Kind::null: return QStringLiteral("nil");
    case Kind::boolean: return text::boolean(*v.boolean());
    case Kind::integer: return text::integer(*v.integer());
    case Kind::real: return text::number(*v.real());
    case Kind::string: return *v.string();
    case Kind::point: return text::point(*v.point());
    case Kind::size: return text::size(*v.size());
    case Kind::rect: return text::rect(*v.rect());
    case Kind::range:
        return QStringLiteral("(location: %1, length: %2)").arg(v.range()->location).arg(v.range()->length);
    case Kind::dictionary: return dictionaryText(*v.dictionary());
    case Kind::textMarkerRange: return QStringLiteral("<text marker range>");
    case Kind::element:
    case Kind::error:
    case Kind::array: break;
    }
    return UIElement::decodeValue(v).description();
}

}  // namespace

QString Value::description() const
{
    if (const auto* e = element()) return e->description();
    if (const auto* e = error()) return e->description();
    if (const auto entries = list()) return listText(*entries);
    return objectText(*object());
}

QString UIElement::description() const
{
    std::optional<std::int32_t> pid;
    try {
        pid = this->pid();
    } catch (const AXError&) {
    }
    QString roleText;
    std::optional<QString> name;
    try {
        const auto roleString = attribute<QString>(Attribute::role);
        const auto known = roleString ? fromRawValue<Role>(*roleString) : std::nullopt;
        roleText = known ? rawValue(*known) : QStringLiteral("UIElementNoRole");
        if (known == Role::window) {
            try {
                name = attribute<QString>(Attribute::title).value_or(QString());
            } catch (const AXError&) {
                name = QString();
            }
        } else if (known == Role::application) {
            name = bundleIdentifierOf(pid);
        }
    } catch (const AXError& error) {
        roleText = error == AXError::invalidUIElement ? QStringLiteral("InvalidUIElement")
                                                      : QStringLiteral("UnknownUIElement");
    }
    const QString pidText = pid ? QString::number(*pid) : QStringLiteral("??");
    return QLatin1Char('<') + roleText + QStringLiteral(" \"") + name.value_or(element_.debugDescription()) +
           QStringLiteral("\" (pid=") + pidText + QStringLiteral(")>");
}

QString UIElement::describeAttributes() const
{
    try {
        const auto values = multipleAttributes(attributes());
        if (values.empty()) return QStringLiteral("[:]");
        QStringList parts;
        for (const auto& [attribute, value] : values)
            parts << caseName(attribute) + QStringLiteral(": ") + value.description();
        return QLatin1Char('[') + parts.join(QStringLiteral(", ")) + QLatin1Char(']');
    } catch (const AXError&) {
        return QStringLiteral("InvalidUIElement");
    }
}

}  // namespace zorbel
