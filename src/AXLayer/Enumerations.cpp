#include "AXLayer/Enumerations.h"

#include <QHash>

#include <cstddef>

namespace zorbel {

namespace {

// Raw values that do not follow the "AX" + capitalised case name rule.
QString rawValueFor(const QString& caseName)
{
    static const QHash<QString, QString> exceptions{
        {QStringLiteral("switchSubrole"), QStringLiteral("AXSwitch")},
        {QStringLiteral("uiElementDestroyed"), QStringLiteral("AXUIElementDestroyed")},
        {QStringLiteral("url"), QStringLiteral("AXURL")},
        {QStringLiteral("rtfForRangeParameterized"), QStringLiteral("AXRTFForRangeParameterized")},
    };
    if (auto it = exceptions.constFind(caseName); it != exceptions.cend()) return *it;
    return QStringLiteral("AX") + caseName.left(1).toUpper() + caseName.mid(1);
}

template <class E>
struct Table {
    std::vector<E> cases;
    std::vector<QString> caseNames;
    std::vector<QString> rawValues;
    QHash<QString, E> byRawValue;

    template <std::size_t N>
    explicit Table(const char* const (&names)[N])
    {
        for (std::size_t i = 0; i < N; ++i) {
            QString name = QString::fromLatin1(names[i]);
            if (name.endsWith(QLatin1Char('_'))) name.chop(1);
            const auto value = static_cast<E>(i);
            cases.push_back(value);
            rawValues.push_back(rawValueFor(name));
            caseNames.push_back(name);
            byRawValue.insert(rawValues.back(), value);
        }
    }
    const QString& raw(E value) const { return rawValues.at(static_cast<std::size_t>(value)); }
    const QString& name(E value) const { return caseNames.at(static_cast<std::size_t>(value)); }
    std::optional<E> find(const QString& raw) const
    {
        if (auto it = byRawValue.constFind(raw); it != byRawValue.cend()) return *it;
        return std::nullopt;
    }
};

#define ZORBEL_AX_CASE_NAME(name) #name,

template <class E>
const Table<E>& table();

#define ZORBEL_AX_TABLE(E, CASES)                                          \
    template <>                                                           \
    const Table<E>& table()                                               \
    {                                                                     \
        static const char* const names[] = {CASES(ZORBEL_AX_CASE_NAME)};  \
        static const Table<E> t(names);                                   \
        return t;                                                         \
    }

ZORBEL_AX_TABLE(Role, ZORBEL_AX_ROLE_CASES)
ZORBEL_AX_TABLE(Subrole, ZORBEL_AX_SUBROLE_CASES)
ZORBEL_AX_TABLE(AXNotification, ZORBEL_AX_NOTIFICATION_CASES)
ZORBEL_AX_TABLE(Action, ZORBEL_AX_ACTION_CASES)
ZORBEL_AX_TABLE(Attribute, ZORBEL_AX_ATTRIBUTE_CASES)

}  // namespace

QString rawValue(Role value) { return table<Role>().raw(value); }
QString rawValue(Subrole value) { return table<Subrole>().raw(value); }
QString rawValue(AXNotification value) { return table<AXNotification>().raw(value); }
QString rawValue(Action value) { return table<Action>().raw(value); }
QString rawValue(Attribute value) { return table<Attribute>().raw(value); }
int rawValue(Orientation value) { return static_cast<int>(value); }

QString caseName(Role value) { return table<Role>().name(value); }
QString caseName(Subrole value) { return table<Subrole>().name(value); }
QString caseName(AXNotification value) { return table<AXNotification>().name(value); }
QString caseName(Action value) { return table<Action>().name(value); }
QString caseName(Attribute value) { return table<Attribute>().name(value); }

QString caseName(Orientation value)
{
    switch (value) {
    case Orientation::unknown: return QStringLiteral("unknown");
    case Orientation::vertical: return QStringLiteral("vertical");
    case Orientation::horizontal: return QStringLiteral("horizontal");
    }
    return {};
}

#define ZORBEL_AX_STRING_ENUM(E)                                                \
    template <>                                                                 \
    std::optional<E> fromRawValue<E>(const QString& raw)                        \
    {                                                                           \
        return table<E>().find(raw);                                            \
    }                                                                           \
    template <>                                                                 \
    const std::vector<E>& allCases<E>()                                         \
    {                                                                           \
        return table<E>().cases;                                                \
    }

ZORBEL_AX_STRING_ENUM(Role)
ZORBEL_AX_STRING_ENUM(Subrole)
ZORBEL_AX_STRING_ENUM(AXNotification)
ZORBEL_AX_STRING_ENUM(Action)
ZORBEL_AX_STRING_ENUM(Attribute)

template <>
std::optional<Orientation> fromRawValue<Orientation>(const int& raw)
{
    if (raw < 0 || raw > 2) return std::nullopt;
    return static_cast<Orientation>(raw);
}

template <>
const std::vector<Orientation>& allCases<Orientation>()
{
    static const std::vector<Orientation> cases{Orientation::unknown, Orientation::vertical, Orientation::horizontal};
    return cases;
}

}  // namespace zorbel
