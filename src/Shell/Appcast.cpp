#include "Shell/Appcast.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

#include <string>

namespace zorbel {

namespace {

constexpr int maximumTextLength = 64;
constexpr int maximumItems = 1000;
const QString sparkleNamespace = QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

bool isSparkle(QStringView namespaceUri, QStringView qualifiedName)
{
    return namespaceUri == sparkleNamespace || qualifiedName.startsWith(u"sparkle:");
}

// Text from the feed, made safe to show: control and format characters
// (tag characters and other invisible ones beyond the first plane among
// them), unpaired surrogates and non-characters dropped, white space
// collapsed, length limited. Judged by code point, not by UTF-16 unit.
QString plainText(const QString& text)
{
    std::u32string kept;
    for (const uint u : text.toUcs4()) {
        const auto c = static_cast<char32_t>(u);
        const auto category = QChar::category(c);
        if (QChar::isNonCharacter(c) || QChar::isSurrogate(c) || c > QChar::LastValidCodePoint ||
            category == QChar::Other_Control || category == QChar::Other_Format ||
            category == QChar::Other_PrivateUse || category == QChar::Other_NotAssigned)
            continue;
        kept += c;
    }
    const std::u32string clean = QString::fromStdU32String(kept).simplified().toStdU32String();
    if (clean.size() <= std::size_t(maximumTextLength)) return QString::fromStdU32String(clean);
    return QString::fromStdU32String(clean.substr(0, maximumTextLength)) + QStringLiteral("…");
}

QUrl webAddress(const QString& text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) return {};
    if (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http")) return {};
    return url;
}

struct RawItem {
    QString title, version, shortVersion, link, enclosureURL;
};

RawItem readItem(QXmlStreamReader& xml)
{
    RawItem item;
    while (xml.readNextStartElement()) {
        const auto name = xml.name();
        const bool sparkle = isSparkle(xml.namespaceUri(), xml.qualifiedName());
        if (name == u"enclosure") {
            for (const auto& attribute : xml.attributes()) {
                if (!isSparkle(attribute.namespaceUri(), attribute.qualifiedName())) {
                    if (attribute.name() == u"url") item.enclosureURL = attribute.value().toString();
                    continue;
                }
                if (attribute.name() == u"version" && item.version.isEmpty()) item.version = attribute.value().toString();
                if (attribute.name() == u"shortVersionString" && item.shortVersion.isEmpty())
                    item.shortVersion = attribute.value().toString();
            }
            xml.skipCurrentElement();
        } else if (sparkle && name == u"version") {
            item.version = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (sparkle && name == u"shortVersionString") {
            item.shortVersion = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (!sparkle && name == u"title") {
            item.title = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (!sparkle && name == u"link") {
            item.link = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else {
            xml.skipCurrentElement();
        }
    }
    return item;
}

QString describe(const RawItem& raw, int number)
{
    const QString title = plainText(raw.title);
    return title.isEmpty() ? QStringLiteral("#%1").arg(number) : QStringLiteral("#%1 \"%2\"").arg(number).arg(title);
}

void addItem(Appcast& appcast, const RawItem& raw, int number)
{
    const QString version = raw.version.trimmed();
    if (version.isEmpty()) {
        appcast.skipped << describe(raw, number) + QStringLiteral(" has no version");
        return;
    }
    if (!AppVersion::parse(version)) {
        appcast.skipped << describe(raw, number) + QStringLiteral(" has an unreadable version \"") +
                               plainText(version) + QLatin1Char('"');
        return;
    }
    AppcastItem item;
    item.title = plainText(raw.title);
    item.version = version;
    item.displayVersionString = plainText(raw.shortVersion);
    if (item.displayVersionString.isEmpty()) item.displayVersionString = version;
    item.downloadPage = webAddress(raw.link);
    if (item.downloadPage.isEmpty()) item.downloadPage = webAddress(raw.enclosureURL);
    appcast.items.push_back(item);
}

}  // namespace

std::optional<AppVersion> AppVersion::parse(const QString& text)
{
    QString body = text.trimmed();
    if (body.startsWith(QLatin1Char('v')) || body.startsWith(QLatin1Char('V'))) body.remove(0, 1);
    if (body.isEmpty() || body.size() > maximumTextLength) return std::nullopt;
    static const QRegularExpression form(QStringLiteral("^[0-9]+(\\.[0-9]+){0,15}$"));
    if (!form.match(body).hasMatch()) return std::nullopt;
    AppVersion version;
    for (QString part : body.split(QLatin1Char('.'))) {
        while (part.size() > 1 && part.startsWith(QLatin1Char('0'))) part.remove(0, 1);
        version.parts_ << part;
    }
    return version;
}

int AppVersion::compare(const AppVersion& other) const
{
    const auto count = std::max(parts_.size(), other.parts_.size());
    for (qsizetype i = 0; i < count; ++i) {
        const QString a = i < parts_.size() ? parts_[i] : QStringLiteral("0");
        const QString b = i < other.parts_.size() ? other.parts_[i] : QStringLiteral("0");
        // Digit strings without leading zeros: the longer one is larger.
        if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
        if (const int c = a.compare(b); c != 0) return c < 0 ? -1 : 1;
    }
    return 0;
}

AppcastResult parseAppcast(const QByteArray& xml)
{
    QXmlStreamReader reader(xml);
    Appcast appcast;
    int number = 0;
    bool sawRoot = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement()) continue;
        if (!sawRoot && reader.name() != u"rss")
            return {std::nullopt, QStringLiteral("更新源不是 RSS 文档（根元素是 <%1>）").arg(reader.name().toString())};
        sawRoot = true;
        if (reader.name() != u"item") continue;
        if (++number > maximumItems) return {std::nullopt, QStringLiteral("更新源的条目过多")};
        addItem(appcast, readItem(reader), number);
    }
    if (reader.hasError())
        return {std::nullopt, QStringLiteral("更新源不是有效的 XML（第 %1 行第 %2 列：%3）")
                                  .arg(reader.lineNumber())
                                  .arg(reader.columnNumber())
                                  .arg(reader.errorString())};
    if (!sawRoot) return {std::nullopt, QStringLiteral("更新源为空")};
    if (number == 0) return {std::nullopt, QStringLiteral("更新源中没有任何版本条目")};
    if (appcast.items.empty()) return {std::nullopt, QStringLiteral("更新源中没有可识别的版本号")};
    return {appcast, {}};
}

std::optional<AppcastItem> newestUpdate(const Appcast& appcast, const AppVersion& running)
{
    std::optional<AppcastItem> newest;
    std::optional<AppVersion> newestVersion;
    for (const auto& item : appcast.items) {
        const auto version = AppVersion::parse(item.version);
        if (!version || !(running < *version)) continue;
        if (!newestVersion || *newestVersion < *version) {
            newest = item;
            newestVersion = version;
        }
    }
    return newest;
}

}  // namespace zorbel
