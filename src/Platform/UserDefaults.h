#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <map>
#include <memory>
#include <optional>

namespace zorbel::platform {

// One settings domain. Stored values keep no type (an INI file holds text),
// so the typed reads interpret what is there, and a value of the wrong kind
// reads as that type's default rather than failing.
class UserDefaults {
public:
    virtual ~UserDefaults() = default;

    // The stored value, or nothing when the key is absent.
    virtual std::optional<QVariant> object(const QString& key) const = 0;
    // Stores the value; false when the store could not be written. A failed
    // write never loses other keys.
    virtual bool setObject(const QString& key, const QVariant& value) = 0;
    // Stores all the values in one write, so that records meant to go
    // together are never found apart; false when the store could not be
    // written.
    virtual bool setObjects(const std::map<QString, QVariant>& values) = 0;
    virtual bool removeObject(const QString& key) = 0;
    virtual QStringList keys() const = 0;

    bool contains(const QString& key) const { return object(key).has_value(); }

    // Absent: false. Booleans as they are; numbers: non-zero; text: "true",
    // "yes" or a non-zero number (any letter case); anything else false.
    bool boolForKey(const QString& key) const;
    // Absent or unreadable: 0.
    double doubleForKey(const QString& key) const;
    qint64 integerForKey(const QString& key) const;
    // Text as it is, numbers and Booleans in their text form; otherwise nothing.
    std::optional<QString> stringForKey(const QString& key) const;
    // Bytes as they are, text as its UTF-8 bytes; otherwise nothing.
    std::optional<QByteArray> dataForKey(const QString& key) const;

    bool setBool(const QString& key, bool value) { return setObject(key, value); }
    bool setDouble(const QString& key, double value) { return setObject(key, value); }
    bool setString(const QString& key, const QString& value) { return setObject(key, value); }
    bool setData(const QString& key, const QByteArray& value) { return setObject(key, value); }
};

// An in-memory domain for tests; writes can be made to fail.
class MemoryUserDefaults final : public UserDefaults {
public:
    std::optional<QVariant> object(const QString& key) const override;
    bool setObject(const QString& key, const QVariant& value) override;
    bool setObjects(const std::map<QString, QVariant>& values) override;
    bool removeObject(const QString& key) override;
    QStringList keys() const override;

    void setFailWrites(bool fail) { failWrites_ = fail; }
    // Writes that stored the key.
    int writeCount(const QString& key) const;
    // Writes of the whole domain (a file would be replaced once for each).
    int replacementCount() const { return replacements_; }

private:
    std::map<QString, QVariant> values_;
    std::map<QString, int> writes_;
    int replacements_ = 0;
    bool failWrites_ = false;
};

// Opens settings domains: the standard one and named suites.
class UserDefaultsProvider {
public:
    virtual ~UserDefaultsProvider() = default;
    virtual UserDefaults& standard() = 0;
    // Nothing when no suite of that name can be opened.
    virtual UserDefaults* suite(const QString& name) = 0;
};

// Domains kept in memory, for tests.
class MemoryUserDefaultsProvider final : public UserDefaultsProvider {
public:
    MemoryUserDefaults& standard() override { return standard_; }
    UserDefaults* suite(const QString& name) override;
    MemoryUserDefaults& memorySuite(const QString& name);
    void setSuitesUnavailable(bool unavailable) { suitesUnavailable_ = unavailable; }

private:
    MemoryUserDefaults standard_;
    std::map<QString, std::unique_ptr<MemoryUserDefaults>> suites_;
    bool suitesUnavailable_ = false;
};

}  // namespace zorbel::platform
