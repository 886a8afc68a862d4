#include "Platform/JsonCoding.h"

#include "Platform/TextForm.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <cmath>
#include <limits>

namespace zorbel::json {

namespace {
QString quoted(const QString& path) { return QLatin1Char('"') + path + QLatin1Char('"'); }

QString joined(const QString& path, const QString& key)
{
    return path.isEmpty() ? key : path + QLatin1Char('.') + key;
}
}  // namespace

Reader::Reader(QJsonObject object, QString path) : object_(std::move(object)), path_(std::move(path)) {}

QString Reader::pathOf(const QString& key) const { return joined(path_, key); }

void Reader::fail(const QString& key, const QString& problem) const
{
    throw Error{QStringLiteral("Key ") + quoted(pathOf(key)) + QLatin1Char(' ') + problem};
}

void Reader::wrongType(const QString& key, const char* expected) const
{
    fail(key, QStringLiteral("does not hold %1").arg(QLatin1String(expected)));
}

std::optional<QJsonValue> Reader::present(const QString& key) const
{
    const auto it = object_.constFind(key);
    if (it == object_.constEnd() || it->isNull()) return std::nullopt;
    return *it;
}

QJsonValue Reader::required(const QString& key) const
{
    const auto it = object_.constFind(key);
    if (it == object_.constEnd()) throw Error{QStringLiteral("No value for key ") + quoted(pathOf(key))};
    return *it;
}

double Reader::numberValue(const QJsonValue& value, const QString& path)
{
    if (!value.isDouble()) throw Error{QStringLiteral("Key ") + quoted(path) + QStringLiteral(" does not hold a number")};
    const double d = value.toDouble();
    if (!std::isfinite(d))
        throw Error{QStringLiteral("Key ") + quoted(path) + QStringLiteral(" does not hold a finite number")};
    return d;
}

double Reader::number(const QString& key) const { return numberValue(required(key), pathOf(key)); }

double Reader::nonNegativeNumber(const QString& key) const
{
    const double d = number(key);
    if (d < 0) fail(key, QStringLiteral("holds %1, which is below zero").arg(text::number(d)));
    return d;
}

int Reader::integer(const QString& key) const
{
    const double d = number(key);
    if (d != std::trunc(d) || d < std::numeric_limits<int>::min() || d > std::numeric_limits<int>::max())
        fail(key, QStringLiteral("holds %1, which is not a whole number").arg(text::number(d)));
    return static_cast<int>(d);
}

bool Reader::boolean(const QString& key) const
{
    const QJsonValue v = required(key);
    if (!v.isBool()) wrongType(key, "a Boolean");
    return v.toBool();
}

QString Reader::string(const QString& key) const
{
    const QJsonValue v = required(key);
    if (!v.isString()) wrongType(key, "a string");
    return v.toString();
}

Reader Reader::object(const QString& key) const
{
    const QJsonValue v = required(key);
    if (!v.isObject()) wrongType(key, "an object");
    return Reader(v.toObject(), pathOf(key));
}

QJsonArray Reader::array(const QString& key) const
{
    const QJsonValue v = required(key);
    if (!v.isArray()) wrongType(key, "an array");
    return v.toArray();
}

std::optional<QString> Reader::optionalString(const QString& key) const
{
    const auto v = present(key);
    if (!v) return std::nullopt;
    if (!v->isString()) wrongType(key, "a string");
    return v->toString();
}

std::optional<QByteArray> Reader::optionalBase64(const QString& key) const
{
    const auto text = optionalString(key);
    if (!text) return std::nullopt;
    auto decoded = QByteArray::fromBase64Encoding(text->toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) fail(key, QStringLiteral("does not hold valid Base64"));
    return *decoded;
}

std::optional<Reader> Reader::optionalObject(const QString& key) const
{
    const auto v = present(key);
    if (!v) return std::nullopt;
    if (!v->isObject()) wrongType(key, "an object");
    return Reader(v->toObject(), pathOf(key));
}

QString Writer::pathOf(const QString& key) const { return joined(path_, key); }

void Writer::number(const QString& key, double value)
{
    if (!std::isfinite(value))
        throw Error{QStringLiteral("Key ") + quoted(pathOf(key)) +
                    QStringLiteral(" holds %1, which JSON cannot represent").arg(text::number(value))};
    object_.insert(key, value);
}

void Writer::base64(const QString& key, const QByteArray& value)
{
    object_.insert(key, QString::fromLatin1(value.toBase64()));
}

void Writer::object(const QString& key, const std::function<void(Writer&)>& write)
{
    Writer inner(pathOf(key));
    write(inner);
    object_.insert(key, inner.object_);
}

void Writer::numberArray(const QString& key, std::initializer_list<double> values)
{
    QJsonArray array;
    int index = 0;
    for (double v : values) {
        if (!std::isfinite(v))
            throw Error{QStringLiteral("Key ") + quoted(pathOf(key) + QStringLiteral("[%1]").arg(index)) +
                        QStringLiteral(" holds %1, which JSON cannot represent").arg(text::number(v))};
        array.append(v);
        ++index;
    }
    object_.insert(key, array);
}

Result<QJsonObject> parseObject(const QByteArray& bytes)
{
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return Result<QJsonObject>::failure(QStringLiteral("The data is not valid JSON (%1 at offset %2)")
                                                .arg(parseError.errorString())
                                                .arg(parseError.offset));
    if (!document.isObject()) return Result<QJsonObject>::failure(QStringLiteral("The data is not a JSON object"));
    return Result<QJsonObject>::success(document.object());
}

Result<QByteArray> encode(const std::function<void(Writer&)>& write)
{
    try {
        Writer writer;
        write(writer);
        return Result<QByteArray>::success(QJsonDocument(writer.result()).toJson(QJsonDocument::Compact));
    } catch (const Error& e) {
        return Result<QByteArray>::failure(e.description);
    }
}

}  // namespace zorbel::json
