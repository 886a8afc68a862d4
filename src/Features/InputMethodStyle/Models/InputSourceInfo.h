#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

namespace zorbel {

// One keyboard input source as the system describes it.
struct InputSourceInfo {
    QString id;    // the key its preset is stored under
    QString name;  // localized name
    std::optional<QString> bundleIdentifier;
    std::optional<QImage> icon;
    QStringList sourceLanguages;
    bool isSelectable = false;
    std::optional<QString> category;
    std::optional<bool> isCapsLockOn;
    std::optional<QString> inputMode;
    QString displayName;

    // The name, followed by the mode in full-width parentheses when there is one.
    static QString makeDisplayName(const QString& name, const std::optional<QString>& inputMode);
};

}  // namespace zorbel
