#include "Features/InputMethodStyle/Models/InputMethodStyleConfig.h"

#include "Platform/Console.h"

#include <QJsonObject>

#include <cmath>

namespace zorbel {

namespace {
// Seconds between the Unix epoch and 2001-01-01 00:00:00 UTC.
constexpr double referenceDateOffset = 978307200.0;

double referenceSeconds(const QDateTime& date) { return date.toMSecsSinceEpoch() / 1000.0 - referenceDateOffset; }

QDateTime fromReferenceSeconds(double seconds)
{
    return QDateTime::fromMSecsSinceEpoch(std::llround((seconds + referenceDateOffset) * 1000.0), Qt::UTC);
}
}  // namespace

void InputMethodStyleConfig::setStyleIndex(int index, const QString& inputSourceID)
{
    if (index < 0 || index > highestStyleIndex) {
        print(QStringLiteral("[InputMethodStyleConfig] Invalid style index: ") + QString::number(index));
        return;
    }
    styleMapping.insert(inputSourceID, index);
    lastUpdated = QDateTime::currentDateTimeUtc();
}

json::Result<QByteArray> encodeJson(const InputMethodStyleConfig& c)
{
    return json::encode([&](json::Writer& w) {
        w.boolean(QStringLiteral("enabled"), c.enabled);
        w.boolean(QStringLiteral("capsLockIndicatorEnabled"), c.capsLockIndicatorEnabled);
        w.boolean(QStringLiteral("autoAssignNewInputMethods"), c.autoAssignNewInputMethods);
        w.object(QStringLiteral("styleMapping"), [&](json::Writer& m) {
            for (auto it = c.styleMapping.cbegin(); it != c.styleMapping.cend(); ++it) m.number(it.key(), it.value());
        });
        w.string(QStringLiteral("capsLockColor"), c.capsLockColor);
        w.number(QStringLiteral("capsLockGlowIntensity"), c.capsLockGlowIntensity);
        w.number(QStringLiteral("capsLockGlowRadius"), c.capsLockGlowRadius);
        w.string(QStringLiteral("configVersion"), c.configVersion);
        w.number(QStringLiteral("lastUpdated"), referenceSeconds(c.lastUpdated));
    });
}

namespace {
QMap<QString, int> readMapping(const json::Reader& r)
{
    const json::Reader object = r.object(QStringLiteral("styleMapping"));
    QMap<QString, int> mapping;
    for (const QString& id : object.keys()) mapping.insert(id, object.integer(id));
    return mapping;
}
}  // namespace

json::Result<InputMethodStyleConfig> decodeInputMethodStyleConfig(const QByteArray& bytes)
{
    return json::decode<InputMethodStyleConfig>(bytes, [](const json::Reader& r) {
        InputMethodStyleConfig c;
        c.enabled = r.boolean(QStringLiteral("enabled"));
        c.capsLockIndicatorEnabled = r.boolean(QStringLiteral("capsLockIndicatorEnabled"));
        c.autoAssignNewInputMethods = r.boolean(QStringLiteral("autoAssignNewInputMethods"));
        c.styleMapping = readMapping(r);
        c.capsLockColor = r.string(QStringLiteral("capsLockColor"));
        c.capsLockGlowIntensity = r.number(QStringLiteral("capsLockGlowIntensity"));
        c.capsLockGlowRadius = r.number(QStringLiteral("capsLockGlowRadius"));
        c.configVersion = r.string(QStringLiteral("configVersion"));
        c.lastUpdated = fromReferenceSeconds(r.number(QStringLiteral("lastUpdated")));
        return c;
    });
}

}  // namespace zorbel
