#include "Caret/Styles/BrindotStyleJson.h"

namespace zorbel {

namespace {

void writeColor(json::Writer& w, const QString& key, const BrindotColor& c)
{
    w.object(key, [&](json::Writer& o) {
        o.number(QStringLiteral("red"), c.red);
        o.number(QStringLiteral("green"), c.green);
        o.number(QStringLiteral("blue"), c.blue);
        o.number(QStringLiteral("alpha"), c.alpha);
    });
}

BrindotColor readColor(const json::Reader& r, const QString& key)
{
    const json::Reader o = r.object(key);
    BrindotColor c;
    c.red = o.number(QStringLiteral("red"));
    c.green = o.number(QStringLiteral("green"));
    c.blue = o.number(QStringLiteral("blue"));
    c.alpha = o.number(QStringLiteral("alpha"));
    return c;
}

void writePosition(json::Writer& w, const BrindotPosition& p)
{
    w.object(QStringLiteral("position"), [&](json::Writer& o) {
        o.enumeration(QStringLiteral("relativePosition"), p.relativePosition);
        o.enumeration(QStringLiteral("alignment"), p.alignment);
        o.number(QStringLiteral("horizontalOffset"), p.horizontalOffset);
        o.number(QStringLiteral("verticalOffset"), p.verticalOffset);
    });
}

BrindotPosition readPosition(const json::Reader& r)
{
    const json::Reader o = r.object(QStringLiteral("position"));
    BrindotPosition p;
    p.relativePosition = o.enumeration<BrindotRelativePosition>(QStringLiteral("relativePosition"));
    p.alignment = o.enumeration<BrindotAlignment>(QStringLiteral("alignment"));
    p.horizontalOffset = o.number(QStringLiteral("horizontalOffset"));
    p.verticalOffset = o.number(QStringLiteral("verticalOffset"));
    return p;
}

void writeCustomContent(json::Writer& w, const CustomContent& c)
{
    w.object(QStringLiteral("customContent"), [&](json::Writer& o) {
        o.enumeration(QStringLiteral("type"), c.type);
        if (c.data) o.base64(QStringLiteral("data"), *c.data);
        if (c.emoji) o.string(QStringLiteral("emoji"), *c.emoji);
        o.number(QStringLiteral("scale"), c.scale);
    });
}

std::optional<CustomContent> readCustomContent(const json::Reader& r)
{
    const auto o = r.optionalObject(QStringLiteral("customContent"));
    if (!o) return std::nullopt;
    CustomContent c;
    c.type = o->enumeration<CustomContent::ContentType>(QStringLiteral("type"));
    c.data = o->optionalBase64(QStringLiteral("data"));
    c.emoji = o->optionalString(QStringLiteral("emoji"));
    c.scale = o->number(QStringLiteral("scale"));
    return c;
}

QSizeF readOffset(const json::Reader& r)
{
    const QString key = QStringLiteral("shadowOffset");
    const QJsonArray a = r.array(key);
    if (a.size() != 2) r.fail(key, QStringLiteral("does not hold two numbers"));
    const QString path = r.pathOf(key);
    return QSizeF(json::Reader::numberValue(a[0], path + QStringLiteral("[0]")),
                  json::Reader::numberValue(a[1], path + QStringLiteral("[1]")));
}

void write(json::Writer& w, const BrindotStyle& s)
{
    w.enumeration(QStringLiteral("shape"), s.shape);
    w.number(QStringLiteral("size"), s.size);
    writeColor(w, QStringLiteral("fillColor"), s.fillColor);
    w.boolean(QStringLiteral("fillEnabled"), s.fillEnabled);
    writeColor(w, QStringLiteral("borderColor"), s.borderColor);
    w.number(QStringLiteral("borderWidth"), s.borderWidth);
    w.boolean(QStringLiteral("borderEnabled"), s.borderEnabled);
    writePosition(w, s.position);
    if (s.customContent) writeCustomContent(w, *s.customContent);
    w.boolean(QStringLiteral("animationEnabled"), s.animationEnabled);
    w.number(QStringLiteral("animationDuration"), s.animationDuration);
    w.boolean(QStringLiteral("shadowEnabled"), s.shadowEnabled);
    writeColor(w, QStringLiteral("shadowColor"), s.shadowColor);
    w.number(QStringLiteral("shadowRadius"), s.shadowRadius);
    w.numberArray(QStringLiteral("shadowOffset"), {s.shadowOffset.width(), s.shadowOffset.height()});
    w.number(QStringLiteral("shadowOpacity"), s.shadowOpacity);
}

BrindotStyle read(const json::Reader& r)
{
    BrindotStyle s;
    s.shape = r.enumeration<BrindotShape>(QStringLiteral("shape"));
    s.size = r.nonNegativeNumber(QStringLiteral("size"));
    s.fillColor = readColor(r, QStringLiteral("fillColor"));
    s.fillEnabled = r.boolean(QStringLiteral("fillEnabled"));
    s.borderColor = readColor(r, QStringLiteral("borderColor"));
    s.borderWidth = r.nonNegativeNumber(QStringLiteral("borderWidth"));
    s.borderEnabled = r.boolean(QStringLiteral("borderEnabled"));
    s.position = readPosition(r);
    s.customContent = readCustomContent(r);
    s.animationEnabled = r.boolean(QStringLiteral("animationEnabled"));
    s.animationDuration = r.number(QStringLiteral("animationDuration"));
    s.shadowEnabled = r.boolean(QStringLiteral("shadowEnabled"));
    s.shadowColor = readColor(r, QStringLiteral("shadowColor"));
    s.shadowRadius = r.nonNegativeNumber(QStringLiteral("shadowRadius"));
    s.shadowOffset = readOffset(r);
    s.shadowOpacity = r.number(QStringLiteral("shadowOpacity"));
    return s;
}

}  // namespace

json::Result<QByteArray> encodeJson(const BrindotStyle& style)
{
    auto encoded = json::encode([&](json::Writer& w) { write(w, style); });
    if (!encoded.ok()) return encoded;
    // Never store what could not be read back.
    const auto check = decodeBrindotStyle(*encoded.value);
    if (!check.ok()) return json::Result<QByteArray>::failure(check.error);
    return encoded;
}

json::Result<BrindotStyle> decodeBrindotStyle(const QByteArray& bytes)
{
    return json::decode<BrindotStyle>(bytes, read);
}

}  // namespace zorbel
