#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>
#include <utility>

namespace zorbel {

// Enumerations stored as text: the raw value of a case is its name. A
// specialisation lists the names in case order, the cases being numbered
// 0, 1, 2, … in that same order:
//   template <> struct RawEnumNames<BrindotShape> {
//       static constexpr std::array names{"circle", "triangle", "rectangle"};
//   };
template <class E>
struct RawEnumNames;

template <class E>
concept RawEnum = std::is_enum_v<E> && requires { RawEnumNames<E>::names; };

template <RawEnum E>
constexpr std::size_t caseCount()
{
    return RawEnumNames<E>::names.size();
}

// Every case, in declaration order.
template <RawEnum E>
constexpr std::array<E, caseCount<E>()> allCases()
{
    return []<std::size_t... I>(std::index_sequence<I...>) {
        return std::array<E, sizeof...(I)>{static_cast<E>(I)...};
    }(std::make_index_sequence<caseCount<E>()>{});
}

template <RawEnum E>
QString rawValue(E value)
{
    const auto index = static_cast<std::size_t>(value);
    if (index >= caseCount<E>()) return {};
    return QString::fromLatin1(RawEnumNames<E>::names[index]);
}

// The case whose raw value is exactly the text (letter case counts).
template <RawEnum E>
std::optional<E> fromRawValue(QStringView text)
{
    for (std::size_t i = 0; i < caseCount<E>(); ++i)
        if (text == QLatin1String(RawEnumNames<E>::names[i])) return static_cast<E>(i);
    return std::nullopt;
}

// "circle, triangle, rectangle": the raw values, for messages.
template <RawEnum E>
QString rawValueList()
{
    QString list;
    for (const char* name : RawEnumNames<E>::names) {
        if (!list.isEmpty()) list += QLatin1String(", ");
        list += QLatin1String(name);
    }
    return list;
}

}  // namespace zorbel
