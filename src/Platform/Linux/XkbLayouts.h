#pragma once

#include "Platform/InputSources.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace zorbel::platform {

// One layout or layout variant of the XKB rules description (evdev.xml).
struct XkbLayoutDescription {
    QString description;     // English, as the file writes it
    QString shortName;       // the indicator text ("en", "zh")
    QStringList languages;   // ISO 639-2 codes; a variant without its own has its layout's
};

// The layouts the rules description file lists, by "layout" or "layout(variant)".
class XkbLayoutTable {
public:
    // Reads the file; a missing or unreadable file gives an empty table.
    static XkbLayoutTable fromFile(const QString& path);
    static XkbLayoutTable fromXml(const QByteArray& xml);
    // The rules description of the running X server's rules ("evdev").
    static const XkbLayoutTable& system(const QString& rules);

    const XkbLayoutDescription* find(const QString& layout, const QString& variant) const;
    bool isEmpty() const { return entries_.isEmpty(); }

private:
    QHash<QString, XkbLayoutDescription> entries_;
};

// The comma-separated layouts and variants of the server's rules names, one
// group each, turned into input sources: id "xkb:layout:variant:language"
// (the form IBus gives its keyboard engines, so a mapping made under IBus
// holds without it), name from the table (translated where the system has
// xkeyboard-config's translations), languages as short codes where one exists.
std::vector<InputSourceProperties> xkbSources(const QString& layouts, const QString& variants,
                                              const XkbLayoutTable& table);

// "deu" -> "de"; a code without a two-letter form stays as it is.
QString shortLanguageCode(const QString& iso639);

}  // namespace zorbel::platform
