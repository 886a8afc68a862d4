#pragma once

#include "Features/InputMethodStyle/Models/InputSourceInfo.h"
#include "Platform/InputSources.h"

#include <vector>

namespace zorbel {

// The only reader of the input-method system. Every call asks afresh.
class InputSourceManager {
public:
    using Source = platform::InputSourceProperties;

    // The selectable keyboard sources in the order the system lists them.
    std::vector<InputSourceInfo> getAvailableInputSources() const;
    // The same listing, and whether it can be trusted to hold every source the
    // user has (a failed or partial listing cannot).
    std::vector<InputSourceInfo> getAvailableInputSources(bool& complete) const;
    // The selected keyboard source, none when the system answers none.
    std::optional<InputSourceInfo> currentInputSource() const;

    InputSourceInfo makeInputSourceInfo(const Source& source) const;

    static QString sourceID(const Source& source) { return source.id; }
    static QString localizedName(const Source& source) { return source.localizedName.value_or(QString()); }
    static std::optional<QString> category(const Source& source) { return source.category; }
    static bool isSelectable(const Source& source) { return source.selectCapable.value_or(false); }
    static QStringList sourceLanguages(const Source& source) { return source.languages; }

    std::optional<QImage> icon(const Source& source) const;
    static std::optional<QString> bundleIdentifier(const Source& source);
    static std::optional<QString> inputMode(const Source& source);
    // Whether the keyboard's Caps Lock is on now; prints what it read.
    static bool isCapsLockOn();

    // "@2x" in front of the file's extension.
    static QString retinaIconPath(const QString& path);
    static std::optional<QString> symbolName(const QString& sourceID);
    static QString sha256Hex(const QString& text);
};

}  // namespace zorbel
