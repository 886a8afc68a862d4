#pragma once

#include "Platform/JsonCoding.h"

#include <QDateTime>
#include <QMap>
#include <QString>

namespace zorbel {

// The input-method styling settings and the preset chosen for each input
// source; stored as JSON under "InputMethodStyleConfig".
struct InputMethodStyleConfig {
    static constexpr int highestStyleIndex = 15;

    bool enabled = true;
    bool capsLockIndicatorEnabled = true;
    bool autoAssignNewInputMethods = true;
    QMap<QString, int> styleMapping;  // input-source id -> preset index
    QString capsLockColor = QStringLiteral("#39D353");
    double capsLockGlowIntensity = 0.3;
    double capsLockGlowRadius = 1.5;
    QString configVersion = QStringLiteral("1.2.0");
    QDateTime lastUpdated = QDateTime::currentDateTimeUtc();

    // Maps the source to the index; an index outside 0...15 changes nothing.
    void setStyleIndex(int index, const QString& inputSourceID);

    bool operator==(const InputMethodStyleConfig&) const = default;
};

// Every key is required: a record with one missing or mistyped does not decode.
// The date is seconds since 2001-01-01 UTC.
json::Result<QByteArray> encodeJson(const InputMethodStyleConfig& config);
json::Result<InputMethodStyleConfig> decodeInputMethodStyleConfig(const QByteArray& bytes);

}  // namespace zorbel
