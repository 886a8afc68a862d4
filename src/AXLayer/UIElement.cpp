#include "AXLayer/UIElement.h"

#include "AXLayer/SystemWideElement.h"
#include "Caret/Core/Logger.h"
#include "Platform/Accessibility.h"
#include "Platform/Console.h"
#include "Platform/Services.h"

#include <initializer_list>

namespace zorbel {

using platform::AXCode;
namespace axcode = platform::axcode;

namespace {
platform::AccessibilityService& ax() { return platform::accessibility(); }

bool isOneOf(AXCode code, std::initializer_list<AXCode> codes)
{
    for (auto c : codes)
        if (c == code) return true;
    return false;
}

void check(AXCode code)
{
    if (code != axcode::success) throw AXError(code);
}

// A list answer where the listed codes mean "none".
QStringList namesOrEmpty(AXCode code, const QStringList& names)
{
    if (isOneOf(code, {axcode::noValue, axcode::attributeUnsupported})) return {};
    check(code);
    return names;
}

template <class E>
std::vector<E> knownCases(const QStringList& names)
{
    std::vector<E> out;
    for (const auto& name : names)
        if (auto value = fromRawValue<E>(name)) out.push_back(*value);
    return out;
}
}  // namespace

UIElement::UIElement(platform::AXElementRef element) : element_(std::move(element)) {}

void UIElement::setMessagingTimeout(float seconds)
{
    messagingTimeout_ = seconds < 0 ? 0.0f : seconds;
    const auto code = ax().setMessagingTimeout(element_, messagingTimeout_);
    if (isOneOf(code, {axcode::success, axcode::invalidUIElement})) return;
    // A setter has no caller to report to; the stored value stays.
    Logger::shared().error(QStringLiteral("Unexpected error setting messaging timeout: ") + AXError(code).description(),
                           ZHERE("messagingTimeout"));
}

float UIElement::globalMessagingTimeout() { return systemWideElement().messagingTimeout(); }

void UIElement::setGlobalMessagingTimeout(float seconds) { systemWideElement().setMessagingTimeout(seconds); }

bool UIElement::isProcessTrusted(bool prompt) { return ax().isProcessTrusted(prompt); }

QStringList UIElement::attributeNames() const
{
    QStringList names;
    const auto code = ax().attributeNames(element_, names);
    return namesOrEmpty(code, names);
}

std::vector<Attribute> UIElement::attributes() const
{
    const auto names = attributeNames();
    for (const auto& name : names)
        if (!fromRawValue<Attribute>(name)) print(QStringLiteral("Unrecognized attribute: ") + name);
    return knownCases<Attribute>(names);
}

bool UIElement::supportsAttribute(Attribute attribute) const { return supportsAttribute(rawValue(attribute)); }

bool UIElement::supportsAttribute(const QString& attribute) const
{
    platform::AXValue::Array none;
    const auto code = ax().attributeValues(element_, attribute, 0, 0, none);
    if (code == axcode::attributeUnsupported) return false;
    if (code == axcode::noValue) return true;
    check(code);
    return true;
}

bool UIElement::attributeIsSettable(Attribute attribute) const { return attributeIsSettable(rawValue(attribute)); }

bool UIElement::attributeIsSettable(const QString& attribute) const
{
    bool settable = false;
    const auto code = ax().isAttributeSettable(element_, attribute, settable);
    if (isOneOf(code, {axcode::noValue, axcode::attributeUnsupported})) return false;
    check(code);
    return settable;
}

std::optional<Value> UIElement::readValue(const QString& attribute) const
{
    platform::AXValue value;
    const auto code = ax().attributeValue(element_, attribute, value);
    if (isOneOf(code, {axcode::noValue, axcode::attributeUnsupported})) return std::nullopt;
    check(code);
    return decodeValue(value);
}

void UIElement::setAttribute(Attribute attribute, const Value& value) const
{
    setAttribute(rawValue(attribute), value);
}

void UIElement::setAttribute(const QString& attribute, const Value& value) const
{
    check(ax().setAttributeValue(element_, attribute, encodeValue(value)));
}

platform::AXValue::Array UIElement::multipleAttributeObjects(const QStringList& attributes) const
{
    platform::AXValue::Array values;
    check(ax().multipleAttributeValues(element_, attributes, values));
    return values;
}

std::vector<std::optional<Value>> UIElement::readMultiple(const QStringList& attributes) const
{
    const auto objects = multipleAttributeObjects(attributes);
    std::vector<std::optional<Value>> out(static_cast<std::size_t>(attributes.size()));
    // A short answer leaves the names without an entry out, as if absent.
    const auto n = std::min(out.size(), objects.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto& object = objects[i];
        if (object.isNull()) continue;
        if (const auto* marker = object.error()) {
            if (isOneOf(marker->code, {axcode::attributeUnsupported, axcode::noValue})) continue;
            throw AXError(marker->code);
        }
        out[i] = decodeValue(object);
    }
    return out;
}

std::map<QString, Value> UIElement::multipleAttributes(const QStringList& attributes) const
{
    const auto values = readMultiple(attributes);
    std::map<QString, Value> out;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i]) out.insert_or_assign(attributes[static_cast<qsizetype>(i)], *values[i]);
    return out;
}

std::map<Attribute, Value> UIElement::multipleAttributes(const std::vector<Attribute>& attributes) const
{
    QStringList names;
    for (auto a : attributes) names << rawValue(a);
    const auto values = readMultiple(names);
    std::map<Attribute, Value> out;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i]) out.insert_or_assign(attributes[i], *values[i]);
    return out;
}

std::optional<std::vector<Value>> UIElement::readSlice(const QString& attribute, std::int64_t from,
                                                       std::int64_t maxCount) const
{
    platform::AXValue::Array values;
    const auto code = ax().attributeValues(element_, attribute, from, maxCount, values);
    if (isOneOf(code, {axcode::noValue, axcode::attributeUnsupported})) return std::nullopt;
    check(code);
    std::vector<Value> out;
    for (const auto& v : values) out.push_back(decodeValue(v));
    return out;
}

std::optional<std::int64_t> UIElement::attributeValueCount(Attribute attribute) const
{
    return attributeValueCount(rawValue(attribute));
}

std::optional<std::int64_t> UIElement::attributeValueCount(const QString& attribute) const
{
    std::int64_t count = 0;
    const auto code = ax().attributeValueCount(element_, attribute, count);
    if (isOneOf(code, {axcode::attributeUnsupported, axcode::illegalArgument})) return std::nullopt;
    check(code);
    return count;
}

QStringList UIElement::parameterizedAttributeNames() const
{
    QStringList names;
    const auto code = ax().parameterizedAttributeNames(element_, names);
    return namesOrEmpty(code, names);
}

std::vector<Attribute> UIElement::parameterizedAttributes() const
{
    return knownCases<Attribute>(parameterizedAttributeNames());
}

std::optional<Value> UIElement::readParameterized(const QString& attribute, const platform::AXValue& parameter) const
{
    platform::AXValue value;
    const auto code = ax().parameterizedAttributeValue(element_, attribute, parameter, value);
    if (isOneOf(code, {axcode::noValue, axcode::attributeUnsupported})) return std::nullopt;
    check(code);
    return decodeValue(value);
}

QStringList UIElement::actionNames() const
{
    QStringList names;
    const auto code = ax().actionNames(element_, names);
    return namesOrEmpty(code, names);
}

std::vector<Action> UIElement::actions() const { return knownCases<Action>(actionNames()); }

std::optional<QString> UIElement::actionDescription(Action action) const
{
    return actionDescription(rawValue(action));
}

std::optional<QString> UIElement::actionDescription(const QString& action) const
{
    QString description;
    const auto code = ax().actionDescription(element_, action, description);
    if (isOneOf(code, {axcode::actionUnsupported, axcode::noValue})) return std::nullopt;
    check(code);
    return description;
}

void UIElement::performAction(Action action) const { performAction(rawValue(action)); }

void UIElement::performAction(const QString& action) const { check(ax().performAction(element_, action)); }

std::int32_t UIElement::pid() const
{
    std::int32_t pid = 0;
    check(ax().pid(element_, pid));
    return pid;
}

std::optional<UIElement> UIElement::elementAt(float x, float y) const
{
    platform::AXElementRef found;
    const auto code = ax().elementAtPosition(element_, x, y, found);
    if (code == axcode::noValue) return std::nullopt;
    check(code);
    return UIElement(found);
}

std::optional<Role> UIElement::role() const
{
    const auto text = attribute<QString>(Attribute::role);
    return text ? fromRawValue<Role>(*text) : std::nullopt;
}

std::optional<Subrole> UIElement::subrole() const
{
    const auto text = attribute<QString>(Attribute::subrole);
    return text ? fromRawValue<Subrole>(*text) : std::nullopt;
}

Value UIElement::decodeValue(const platform::AXValue& value)
{
    if (const auto* element = value.element()) return Value(UIElement(*element));
    if (const auto* marker = value.error()) return Value(AXError(marker->code));
    return Value(Value::Raw{}, value);
}

platform::AXValue encodeValue(const Value& value)
{
    if (const auto* element = value.element()) return platform::AXValue(element->element());
    if (const auto* error = value.error()) return platform::AXValue(platform::AXErrorMarker{error->code()});
    return *value.object();
}

bool Value::isNull() const { return object() && object()->isNull(); }

std::optional<std::vector<Value>> Value::list() const
{
    const auto* array = object() ? object()->array() : nullptr;
    if (!array) return std::nullopt;
    std::vector<Value> out;
    out.reserve(array->size());
    for (const auto& entry : *array) out.push_back(UIElement::decodeValue(entry));
    return out;
}

}  // namespace zorbel
