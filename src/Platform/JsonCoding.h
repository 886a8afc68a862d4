#pragma once

#include "Platform/RawEnum.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace zorbel::json {

// The outcome of coding a stored record: the value, or why there is none.
template <class T>
struct Result {
    std::optional<T> value;
    QString error;

    bool ok() const { return value.has_value(); }
    static Result success(T v) { return Result{std::move(v), {}}; }
    static Result failure(QString why) { return Result{std::nullopt, std::move(why)}; }
};

// Thrown by Reader and Writer; decode() and encode() turn it into a Result.
struct Error {
    QString description;
};

// Strict reading of one JSON object: a missing key, a value of the wrong JSON
// type or an unknown enumeration text fails the whole record, naming the key
// by its path ("position.relativePosition"). Keys nobody asks for are ignored.
class Reader {
public:
    explicit Reader(QJsonObject object, QString path = {});

    double number(const QString& key) const;
    // A number that must not be below zero.
    double nonNegativeNumber(const QString& key) const;
    // A whole number that fits an int.
    int integer(const QString& key) const;
    bool boolean(const QString& key) const;
    QStringList keys() const { return object_.keys(); }
    QString string(const QString& key) const;
    Reader object(const QString& key) const;
    QJsonArray array(const QString& key) const;
    template <RawEnum E>
    E enumeration(const QString& key) const
    {
        const QString text = string(key);
        if (auto value = fromRawValue<E>(text)) return *value;
        fail(key, QStringLiteral("holds \"%1\", which is not one of: %2").arg(text, rawValueList<E>()));
    }

    // An array whose every element is one of the enumeration's raw values.
    template <RawEnum E>
    std::vector<E> enumerationArray(const QString& key) const
    {
        std::vector<E> out;
        const QJsonArray a = array(key);
        for (qsizetype i = 0; i < a.size(); ++i) {
            const QString element = QStringLiteral("%1[%2]").arg(key).arg(i);
            if (!a[i].isString()) fail(element, QStringLiteral("is not a string"));
            auto value = fromRawValue<E>(a[i].toString());
            if (!value)
                fail(element, QStringLiteral("holds \"%1\", which is not one of: %2").arg(a[i].toString(), rawValueList<E>()));
            out.push_back(*value);
        }
        return out;
    }

    // Optional keys: absent or null give nothing; any other value must have
    // the right type.
    std::optional<QString> optionalString(const QString& key) const;
    std::optional<QByteArray> optionalBase64(const QString& key) const;
    std::optional<Reader> optionalObject(const QString& key) const;

    // A number taken from an array element or similar; `path` names it.
    static double numberValue(const QJsonValue& value, const QString& path);

    QString pathOf(const QString& key) const;
    [[noreturn]] void fail(const QString& key, const QString& problem) const;

private:
    QJsonValue required(const QString& key) const;
    std::optional<QJsonValue> present(const QString& key) const;
    [[noreturn]] void wrongType(const QString& key, const char* expected) const;

    QJsonObject object_;
    QString path_;
};

// Builds one JSON object; refuses numbers that JSON cannot hold (not a
// number, infinite) instead of writing them as null.
class Writer {
public:
    explicit Writer(QString path = {}) : path_(std::move(path)) {}

    void number(const QString& key, double value);
    void boolean(const QString& key, bool value) { object_.insert(key, value); }
    void string(const QString& key, const QString& value) { object_.insert(key, value); }
    void base64(const QString& key, const QByteArray& value);
    void object(const QString& key, const std::function<void(Writer&)>& write);
    void numberArray(const QString& key, std::initializer_list<double> values);
    template <RawEnum E, class Range>
    void enumerationArray(const QString& key, const Range& values)
    {
        QJsonArray array;
        for (E v : values) array.append(rawValue(v));
        object_.insert(key, array);
    }
    template <RawEnum E>
    void enumeration(const QString& key, E value)
    {
        string(key, rawValue(value));
    }

    const QJsonObject& result() const { return object_; }

private:
    QString pathOf(const QString& key) const;
    QJsonObject object_;
    QString path_;
};

// Parses compact or pretty JSON whose top level is an object and reads it.
template <class T>
Result<T> decode(const QByteArray& bytes, const std::function<T(const Reader&)>& read);
Result<QJsonObject> parseObject(const QByteArray& bytes);

// Compact JSON (no pretty printing) of the object the callback writes.
Result<QByteArray> encode(const std::function<void(Writer&)>& write);

template <class T>
Result<T> decode(const QByteArray& bytes, const std::function<T(const Reader&)>& read)
{
    auto parsed = parseObject(bytes);
    if (!parsed.ok()) return Result<T>::failure(parsed.error);
    try {
        return Result<T>::success(read(Reader(*parsed.value)));
    } catch (const Error& e) {
        return Result<T>::failure(e.description);
    }
}

}  // namespace zorbel::json
