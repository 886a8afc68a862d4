#pragma once

#include "AXLayer/AXError.h"
#include "AXLayer/Enumerations.h"
#include "Platform/AXValue.h"

#include <QStringList>

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <type_traits>
#include <variant>
#include <vector>

namespace zorbel {

class Value;

// A handle on one accessibility element of another process. Every operation
// ends in one of three ways: a value, no value (the element lacks the
// attribute or has nothing in it), or a thrown AXError carrying the
// platform's code. Nothing is retried. Main thread only.
class UIElement {
public:
    explicit UIElement(platform::AXElementRef element);

    // The platform element this object stands for.
    const platform::AXElementRef& element() const { return element_; }

    // Seconds to wait for the element's process; 0 means the default. Set
    // through this object only, never read back. A negative value stores 0.
    float messagingTimeout() const { return messagingTimeout_; }
    void setMessagingTimeout(float seconds);
    // The system-wide element's timeout, which applies to every element
    // without one of its own.
    static float globalMessagingTimeout();
    static void setGlobalMessagingTimeout(float seconds);

    static bool isProcessTrusted(bool prompt);

    // Attribute names; unknown names are left out of attributes(), each with
    // the console line "Unrecognized attribute: <name>".
    QStringList attributeNames() const;
    std::vector<Attribute> attributes() const;
    bool supportsAttribute(Attribute attribute) const;
    bool supportsAttribute(const QString& attribute) const;
    bool attributeIsSettable(Attribute attribute) const;
    bool attributeIsSettable(const QString& attribute) const;

    // Typed reads: no value when the attribute is missing, empty, or of
    // another type than T.
    template <class T = Value>
    std::optional<T> attribute(Attribute attribute) const;
    template <class T = Value>
    std::optional<T> attribute(const QString& attribute) const;
    void setAttribute(Attribute attribute, const Value& value) const;
    void setAttribute(const QString& attribute, const Value& value) const;

    // Several attributes in one call; missing or empty ones are left out.
    template <class... More>
    std::map<Attribute, Value> multipleAttributes(Attribute first, More... more) const;
    std::map<Attribute, Value> multipleAttributes(const std::vector<Attribute>& attributes) const;
    std::map<QString, Value> multipleAttributes(const QStringList& attributes) const;
    // The platform's answer as it stands, one entry per name.
    platform::AXValue::Array multipleAttributeObjects(const QStringList& attributes) const;

    // List attributes: the whole list (IllegalArgument when the value is no
    // list), a slice of it, its length (no value for a non-list).
    template <class T = Value>
    std::optional<std::vector<T>> attributeArray(Attribute attribute) const;
    template <class T = Value>
    std::optional<std::vector<T>> attributeArray(const QString& attribute) const;
    template <class T = Value>
    std::optional<std::vector<T>> attributeValues(Attribute attribute, std::int64_t from, std::int64_t maxCount) const;
    template <class T = Value>
    std::optional<std::vector<T>> attributeValues(const QString& attribute, std::int64_t from,
                                                  std::int64_t maxCount) const;
    std::optional<std::int64_t> attributeValueCount(Attribute attribute) const;
    std::optional<std::int64_t> attributeValueCount(const QString& attribute) const;

    // Parameterized attributes. The parameter goes to the platform as it is
    // (a range or point already in its accessibility form).
    QStringList parameterizedAttributeNames() const;
    std::vector<Attribute> parameterizedAttributes() const;
    template <class T = Value>
    std::optional<T> parameterizedAttribute(Attribute attribute, const platform::AXValue& parameter) const;
    template <class T = Value>
    std::optional<T> parameterizedAttribute(const QString& attribute, const platform::AXValue& parameter) const;

    // A platform value made plain: elements become UIElements, error markers
    // AXErrors; everything else stays as it is (lists are not decoded here).
    static Value decodeValue(const platform::AXValue& value);

    QStringList actionNames() const;
    std::vector<Action> actions() const;
    std::optional<QString> actionDescription(Action action) const;
    std::optional<QString> actionDescription(const QString& action) const;
    void performAction(Action action) const;
    void performAction(const QString& action) const;

    std::int32_t pid() const;
    // The element at a screen point (accessibility coordinates).
    std::optional<UIElement> elementAt(float x, float y) const;

    std::optional<Role> role() const;
    std::optional<Subrole> subrole() const;

    // Every attribute and its value as text; "InvalidUIElement" when the
    // element cannot be read.
    QString describeAttributes() const;
    // "<AXWindow \"Notes\" (pid=512)>"
    QString description() const;

    friend bool operator==(const UIElement& a, const UIElement& b) { return a.element_ == b.element_; }

private:
    std::optional<Value> readValue(const QString& attribute) const;
    std::optional<Value> readParameterized(const QString& attribute, const platform::AXValue& parameter) const;
    std::optional<std::vector<Value>> readSlice(const QString& attribute, std::int64_t from,
                                                std::int64_t maxCount) const;
    std::vector<std::optional<Value>> readMultiple(const QStringList& attributes) const;

    platform::AXElementRef element_;
    float messagingTimeout_ = 0.0f;
};

// One decoded accessibility value: an element, an error code, or any other
// platform value (null, Boolean, number, string, point, size, rectangle,
// range, list, dictionary, text-marker range).
class Value {
public:
    Value() = default;
    Value(UIElement element) : v_(std::move(element)) {}
    Value(AXError error) : v_(error) {}
    // From any platform value, decoded.
    template <class U>
        requires(std::is_constructible_v<platform::AXValue, U &&> &&
                 !std::is_base_of_v<Value, std::decay_t<U>> && !std::is_base_of_v<UIElement, std::decay_t<U>>)
    Value(U&& value) : Value(UIElement::decodeValue(platform::AXValue(std::forward<U>(value))))
    {
    }

    bool isNull() const;
    const UIElement* element() const { return std::get_if<UIElement>(&v_); }
    const AXError* error() const { return std::get_if<AXError>(&v_); }
    // Anything but an element or an error.
    const platform::AXValue* object() const { return std::get_if<platform::AXValue>(&v_); }
    // The entries of a list, each decoded; no value for anything else.
    std::optional<std::vector<Value>> list() const;

    // The value as T; no value when it is something else. Numbers convert
    // between integer and real when no digits are lost.
    template <class T>
    std::optional<T> as() const;

    // Text form for descriptions and logs.
    QString description() const;

    friend bool operator==(const Value& a, const Value& b) = default;

private:
    friend class UIElement;
    struct Raw {};
    Value(Raw, platform::AXValue value) : v_(std::move(value)) {}

    std::variant<platform::AXValue, UIElement, AXError> v_;
};

// The platform form of a value for an attribute write.
platform::AXValue encodeValue(const Value& value);

namespace detail {

template <class T>
inline constexpr bool unsupportedValueType = false;

template <class T>
std::optional<T> integerAs(const platform::AXValue& v)
{
    long double n = 0;
    if (v.integer()) {
        n = static_cast<long double>(*v.integer());
    } else if (v.real() && std::isfinite(*v.real()) && std::trunc(*v.real()) == *v.real()) {
        n = static_cast<long double>(*v.real());
    } else {
        return std::nullopt;
    }
    if (n < static_cast<long double>(std::numeric_limits<T>::min()) ||
        n > static_cast<long double>(std::numeric_limits<T>::max()))
        return std::nullopt;
    return static_cast<T>(n);
}

template <class T, class P>
std::optional<T> fromPointer(const P* p)
{
    return p ? std::optional<T>(*p) : std::nullopt;
}

template <class T>
std::optional<T> objectAs(const platform::AXValue& v)
{
    using platform::AXValue;
    if constexpr (std::is_same_v<T, AXValue>) return v;
    else if constexpr (std::is_same_v<T, bool>) return fromPointer<T>(v.boolean());
    else if constexpr (std::is_integral_v<T>) return integerAs<T>(v);
    else if constexpr (std::is_floating_point_v<T>)
        return v.isNumber() ? std::optional<T>(static_cast<T>(v.toDouble())) : std::nullopt;
    else if constexpr (std::is_same_v<T, QString>) return fromPointer<T>(v.string());
    else if constexpr (std::is_same_v<T, QPointF>) return fromPointer<T>(v.point());
    else if constexpr (std::is_same_v<T, QSizeF>) return fromPointer<T>(v.size());
    else if constexpr (std::is_same_v<T, QRectF>) return fromPointer<T>(v.rect());
    else if constexpr (std::is_same_v<T, platform::AXRange>) return fromPointer<T>(v.range());
    else if constexpr (std::is_same_v<T, platform::AXTextMarkerRange>) return fromPointer<T>(v.textMarkerRange());
    else if constexpr (std::is_same_v<T, AXValue::Array>) return fromPointer<T>(v.array());
    else if constexpr (std::is_same_v<T, AXValue::Dictionary>) return fromPointer<T>(v.dictionary());
    else static_assert(unsupportedValueType<T>, "not an accessibility value type");
}

template <class T>
std::optional<std::vector<T>> allAs(const std::vector<Value>& values)
{
    std::vector<T> out;
    out.reserve(values.size());
    for (const auto& v : values) {
        auto t = v.as<T>();
        if (!t) return std::nullopt;
        out.push_back(std::move(*t));
    }
    return out;
}

}  // namespace detail

template <class T>
std::optional<T> Value::as() const
{
    if constexpr (std::is_same_v<T, Value>) return *this;
    else if constexpr (std::is_same_v<T, UIElement>) return detail::fromPointer<T>(element());
    else if constexpr (std::is_same_v<T, AXError>) return detail::fromPointer<T>(error());
    else if constexpr (std::is_same_v<T, std::vector<Value>>) return list();
    else return object() ? detail::objectAs<T>(*object()) : std::nullopt;
}

template <class T>
std::optional<T> UIElement::attribute(Attribute attribute) const
{
    return this->attribute<T>(rawValue(attribute));
}

template <class T>
std::optional<T> UIElement::attribute(const QString& attribute) const
{
    const auto value = readValue(attribute);
    return value ? value->as<T>() : std::nullopt;
}

template <class... More>
std::map<Attribute, Value> UIElement::multipleAttributes(Attribute first, More... more) const
{
    return multipleAttributes(std::vector<Attribute>{first, more...});
}

template <class T>
std::optional<std::vector<T>> UIElement::attributeArray(Attribute attribute) const
{
    return attributeArray<T>(rawValue(attribute));
}

template <class T>
std::optional<std::vector<T>> UIElement::attributeArray(const QString& attribute) const
{
    const auto value = readValue(attribute);
    if (!value) return std::nullopt;
    const auto entries = value->list();
    if (!entries) throw AXError::illegalArgument;
    return detail::allAs<T>(*entries);
}

template <class T>
std::optional<std::vector<T>> UIElement::attributeValues(Attribute attribute, std::int64_t from,
                                                         std::int64_t maxCount) const
{
    return attributeValues<T>(rawValue(attribute), from, maxCount);
}

template <class T>
std::optional<std::vector<T>> UIElement::attributeValues(const QString& attribute, std::int64_t from,
                                                         std::int64_t maxCount) const
{
    const auto entries = readSlice(attribute, from, maxCount);
    return entries ? detail::allAs<T>(*entries) : std::nullopt;
}

template <class T>
std::optional<T> UIElement::parameterizedAttribute(Attribute attribute, const platform::AXValue& parameter) const
{
    return parameterizedAttribute<T>(rawValue(attribute), parameter);
}

template <class T>
std::optional<T> UIElement::parameterizedAttribute(const QString& attribute, const platform::AXValue& parameter) const
{
    const auto value = readParameterized(attribute, parameter);
    return value ? value->as<T>() : std::nullopt;
}

}  // namespace zorbel
