#include "Platform/Linux/XkbLayouts.h"

#include <QFile>
#include <QLocale>
#include <QMap>
#include <QXmlStreamReader>

#include <libintl.h>


namespace zorbel::platform {

namespace {
QString key(const QString& layout, const QString& variant)
{
    return variant.isEmpty() ? layout : layout + QLatin1Char('(') + variant + QLatin1Char(')');
}

// Reads one <configItem>; the reader stands on its start element.
XkbLayoutDescription readConfigItem(QXmlStreamReader& xml, QString& name)
{
    XkbLayoutDescription d;
    while (xml.readNextStartElement()) {
        const auto tag = xml.name();
        if (tag == QLatin1String("name")) name = xml.readElementText().trimmed();
        else if (tag == QLatin1String("description")) d.description = xml.readElementText().trimmed();
        else if (tag == QLatin1String("shortDescription")) d.shortName = xml.readElementText().trimmed();
        else if (tag == QLatin1String("languageList")) {
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("iso639Id")) d.languages << xml.readElementText().trimmed();
                else xml.skipCurrentElement();
            }
        } else xml.skipCurrentElement();
    }
    return d;
}
}  // namespace

XkbLayoutTable XkbLayoutTable::fromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return fromXml(file.readAll());
}

XkbLayoutTable XkbLayoutTable::fromXml(const QByteArray& bytes)
{
    XkbLayoutTable table;
    QXmlStreamReader xml(bytes);
    bool inLayout = false;
    bool inVariant = false;
    QString layoutName;
    XkbLayoutDescription layout;
    while (!xml.atEnd()) {
        xml.readNext();
        const auto tag = xml.name();
        if (xml.isEndElement()) {
            if (tag == QLatin1String("layout")) inLayout = false;
            if (tag == QLatin1String("variant")) inVariant = false;
            continue;
        }
        if (!xml.isStartElement()) continue;
        if (tag == QLatin1String("layout")) inLayout = true;
        else if (tag == QLatin1String("variant")) inVariant = true;
        else if (tag == QLatin1String("configItem") && inLayout) {
            QString name;
            XkbLayoutDescription item = readConfigItem(xml, name);
            if (name.isEmpty()) continue;
            if (!inVariant) {
                layoutName = name;
                layout = item;
                table.entries_.insert(name, item);
                continue;
            }
            if (item.languages.isEmpty()) item.languages = layout.languages;
            if (item.shortName.isEmpty()) item.shortName = layout.shortName;
            table.entries_.insert(key(layoutName, name), item);
        }
    }
    return table;
}

const XkbLayoutTable& XkbLayoutTable::system(const QString& rules)
{
    // The rules description is static data: read once per rules name.
    static QMap<QString, XkbLayoutTable> tables;
    const QString name = rules.isEmpty() ? QStringLiteral("evdev") : rules;
    auto it = tables.find(name);
    if (it == tables.end())
        it = tables.insert(name, fromFile(QStringLiteral("/usr/share/X11/xkb/rules/") + name + QStringLiteral(".xml")));
    return *it;
}

const XkbLayoutDescription* XkbLayoutTable::find(const QString& layout, const QString& variant) const
{
    auto it = entries_.constFind(key(layout, variant));
    if (it == entries_.cend()) it = entries_.constFind(layout);
    return it == entries_.cend() ? nullptr : &*it;
}

QString shortLanguageCode(const QString& iso639)
{
    if (iso639.size() != 3) return iso639;
    const QLocale::Language language = QLocale::codeToLanguage(iso639, QLocale::ISO639Part2);
    if (language == QLocale::AnyLanguage) return iso639;
    const QString code = QLocale::languageToCode(language, QLocale::ISO639Part1);
    return code.isEmpty() ? iso639 : code;
}

namespace {
QString translated(const QString& description)
{
    const QByteArray english = description.toUtf8();
    return QString::fromUtf8(dgettext("xkeyboard-config", english.constData()));
}
}  // namespace

std::vector<InputSourceProperties> xkbSources(const QString& layouts, const QString& variants,
                                              const XkbLayoutTable& table)
{
    std::vector<InputSourceProperties> sources;
    const QStringList layoutList = layouts.split(QLatin1Char(','));
    const QStringList variantList = variants.split(QLatin1Char(','));
    for (qsizetype i = 0; i < layoutList.size(); ++i) {
        const QString layout = layoutList[i].trimmed();
        if (layout.isEmpty()) continue;
        const QString variant = i < variantList.size() ? variantList[i].trimmed() : QString();
        const XkbLayoutDescription* d = table.find(layout, variant);
        InputSourceProperties p;
        const QString language = d && !d->languages.isEmpty() ? d->languages.front() : QString();
        p.id = QStringLiteral("xkb:") + layout + QLatin1Char(':') + variant + QLatin1Char(':') + language;
        p.localizedName = d ? translated(d->description) : key(layout, variant);
        if (d)
            for (const QString& code : d->languages) p.languages << shortLanguageCode(code);
        p.category = QString::fromLatin1(InputSourceProperties::keyboardCategory);
        p.selectCapable = true;
        p.shortLabel = d && !d->shortName.isEmpty() ? d->shortName : layout;
        sources.push_back(std::move(p));
    }
    return sources;
}

}  // namespace zorbel::platform
