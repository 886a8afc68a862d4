#include "Platform/UserDefaults.h"

namespace zorbel::platform {

namespace {

bool isNumberType(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Long: case QMetaType::ULong:
    case QMetaType::Short: case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

std::optional<double> numberFromText(const QString& text)
{
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (ok) return d;
    return std::nullopt;
}

}  // namespace

bool UserDefaults::boolForKey(const QString& key) const
{
    const auto v = object(key);
    if (!v) return false;
    if (v->typeId() == QMetaType::Bool) return v->toBool();
    if (isNumberType(*v)) return v->toDouble() != 0;
    if (v->typeId() == QMetaType::QString || v->typeId() == QMetaType::QByteArray) {
        const QString text = v->toString().trimmed().toLower();
        if (text == QLatin1String("true") || text == QLatin1String("yes")) return true;
        const auto n = numberFromText(text);
        return n && *n != 0;
    }
    return false;
}

double UserDefaults::doubleForKey(const QString& key) const
{
    const auto v = object(key);
    if (!v) return 0;
    if (v->typeId() == QMetaType::Bool) return v->toBool() ? 1 : 0;
    if (isNumberType(*v)) return v->toDouble();
    if (v->typeId() == QMetaType::QString) {
        const QString text = v->toString().trimmed().toLower();
        if (text == QLatin1String("true") || text == QLatin1String("yes")) return 1;
        return numberFromText(text).value_or(0);
    }
    return 0;
}

qint64 UserDefaults::integerForKey(const QString& key) const
{
    const double d = doubleForKey(key);
    if (!(d == d)) return 0;
    if (d >= 9.2e18) return std::numeric_limits<qint64>::max();
    if (d <= -9.2e18) return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(d);
}

std::optional<QString> UserDefaults::stringForKey(const QString& key) const
{
    const auto v = object(key);
    if (!v) return std::nullopt;
    if (v->typeId() == QMetaType::QString) return v->toString();
    if (isNumberType(*v) || v->typeId() == QMetaType::Bool) return v->toString();
    return std::nullopt;
}

std::optional<QByteArray> UserDefaults::dataForKey(const QString& key) const
{
    const auto v = object(key);
    if (!v) return std::nullopt;
    if (v->typeId() == QMetaType::QByteArray) return v->toByteArray();
    if (v->typeId() == QMetaType::QString) return v->toString().toUtf8();
    return std::nullopt;
}

std::optional<QVariant> MemoryUserDefaults::object(const QString& key) const
{
    const auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

bool MemoryUserDefaults::setObject(const QString& key, const QVariant& value)
{
    if (failWrites_) return false;
    values_[key] = value;
    ++writes_[key];
    ++replacements_;
    return true;
}

bool MemoryUserDefaults::setObjects(const std::map<QString, QVariant>& values)
{
    if (failWrites_) return false;
    for (const auto& [key, value] : values) {
        values_[key] = value;
        ++writes_[key];
    }
    ++replacements_;
    return true;
}

bool MemoryUserDefaults::removeObject(const QString& key)
{
    if (failWrites_) return false;
    values_.erase(key);
    ++replacements_;
    return true;
}

QStringList MemoryUserDefaults::keys() const
{
    QStringList out;
    for (const auto& [k, v] : values_) out << k;
    return out;
}

int MemoryUserDefaults::writeCount(const QString& key) const
{
    const auto it = writes_.find(key);
    return it == writes_.end() ? 0 : it->second;
}

UserDefaults* MemoryUserDefaultsProvider::suite(const QString& name)
{
    if (suitesUnavailable_ || name.isEmpty()) return nullptr;
    return &memorySuite(name);
}

MemoryUserDefaults& MemoryUserDefaultsProvider::memorySuite(const QString& name)
{
    auto& slot = suites_[name];
    if (!slot) slot = std::make_unique<MemoryUserDefaults>();
    return *slot;
}

}  // namespace zorbel::platform
