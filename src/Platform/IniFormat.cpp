#include "Platform/IniFormat.h"

#include <QDataStream>
#include <QDateTime>
#include <QIODevice>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <cstring>

namespace zorbel::platform::ini {

namespace {

bool isHexDigit(char32_t c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

// ---- writing ----

void appendEscapedKey(const QString& key, QByteArray& out)
{
    static const char hex[] = "0123456789ABCDEF";
    for (const QChar qc : key) {
        const char16_t c = qc.unicode();
        if (c == '/') {
            out += '\\';
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                   c == '-' || c == '.') {
            out += static_cast<char>(c);
        } else if (c <= 0xFF) {
            out += '%';
            out += hex[c / 16];
            out += hex[c % 16];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4) out += hex[(c >> shift) & 0xF];
        }
    }
}

// Quoted when it holds a separator or starts or ends with a space; control
// characters escaped. Text other than bytes is written as UTF-8; the
// characters of "@ByteArray(...)" and "@Variant(...)" stand for bytes, so
// those above 0x7E are escaped. After a numeric escape a following hex digit
// is escaped too, or the reader would take it into the number.
void appendEscapedString(const QString& text, QByteArray& out)
{
    const bool bytes = text.startsWith(QLatin1String("@ByteArray(")) || text.startsWith(QLatin1String("@Variant(")) ||
                       text.startsWith(QLatin1String("@DateTime("));
    const qsizetype start = out.size();
    bool quote = false;
    bool escapeNextHexDigit = false;
    const auto numeric = [&](char32_t c) {
        out += "\\x" + QByteArray::number(static_cast<uint>(c), 16);
        escapeNextHexDigit = true;
    };
    // Plain characters are copied a run at a time: a stored value can be megabytes long.
    qsizetype run = -1;
    const auto flush = [&](qsizetype end) {
        if (run >= 0) out += QStringView(text).sliced(run, end - run).toLatin1();
        run = -1;
    };
    out.reserve(out.size() + text.size() + 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == ';' || c == ',' || c == '=') quote = true;
        if (escapeNextHexDigit && isHexDigit(c)) {
            numeric(c);
            continue;
        }
        escapeNextHexDigit = false;
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            if (run < 0) run = i;
            continue;
        }
        flush(i);
        switch (c) {
        case '\0': out += "\\0"; escapeNextHexDigit = true; break;
        case '\a': out += "\\a"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\v': out += "\\v"; break;
        case '"':
        case '\\': out += '\\'; out += static_cast<char>(c); break;
        default:
            if (c <= 0x1F || c == 0x7F || (bytes && c > 0x7F)) {
                numeric(c);
            } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                out += text.sliced(i, 2).toUtf8();
                ++i;
            } else {
                out += QString(QChar(c)).toUtf8();
            }
        }
    }
    flush(text.size());
    if (quote || (out.size() > start && (out[start] == ' ' || out.back() == ' '))) {
        out.insert(start, '"');
        out += '"';
    }
}

QString variantToString(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::UnknownType:
        return QStringLiteral("@Invalid()");
    case QMetaType::QByteArray:
        return QStringLiteral("@ByteArray(") + QString::fromLatin1(value.toByteArray()) + QLatin1Char(')');
    case QMetaType::QString:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Bool:
    case QMetaType::Float:
    case QMetaType::Double: {
        QString text = value.toString();
        if (text.contains(QChar::Null)) return QStringLiteral("@String(") + text + QLatin1Char(')');
        if (text.startsWith(QLatin1Char('@'))) text.prepend(QLatin1Char('@'));
        return text;
    }
    case QMetaType::QRect: {
        const QRect r = value.toRect();
        return QStringLiteral("@Rect(%1 %2 %3 %4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    }
    case QMetaType::QSize: {
        const QSize s = value.toSize();
        return QStringLiteral("@Size(%1 %2)").arg(s.width()).arg(s.height());
    }
    case QMetaType::QPoint: {
        const QPoint p = value.toPoint();
        return QStringLiteral("@Point(%1 %2)").arg(p.x()).arg(p.y());
    }
    default: {
        QByteArray bytes;
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        const bool dateTime = value.metaType().id() == QMetaType::QDateTime;
        stream.setVersion(dateTime ? QDataStream::Qt_5_6 : QDataStream::Qt_4_0);
        stream << value;
        return (dateTime ? QStringLiteral("@DateTime(") : QStringLiteral("@Variant(")) + QString::fromLatin1(bytes) +
               QLatin1Char(')');
    }
    }
}

void appendValue(const QVariant& value, QByteArray& out)
{
    const int type = value.metaType().id();
    if (type == QMetaType::QStringList || (type == QMetaType::QVariantList && value.toList().size() != 1)) {
        const QVariantList items = value.toList();
        if (items.isEmpty()) {
            out += "@Invalid()";
            return;
        }
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (i) out += ", ";
            appendEscapedString(items[i].metaType().id() == QMetaType::QString ? [&] {
                QString text = items[i].toString();
                if (text.startsWith(QLatin1Char('@'))) text.prepend(QLatin1Char('@'));
                return text;
            }()
                                                                                : variantToString(items[i]),
                                out);
        }
        return;
    }
    appendEscapedString(variantToString(value), out);
}

// ---- reading ----

QString unescapeKey(QByteArrayView bytes)
{
    const QString key = QString::fromUtf8(bytes);
    QString out;
    out.reserve(key.size());
    for (qsizetype i = 0; i < key.size();) {
        const QChar c = key[i];
        if (c == QLatin1Char('\\')) {
            out += QLatin1Char('/');
            ++i;
            continue;
        }
        if (c != QLatin1Char('%') || i == key.size() - 1) {
            out += c;
            ++i;
            continue;
        }
        const bool wide = key[i + 1] == QLatin1Char('U');
        const qsizetype first = i + 1 + (wide ? 1 : 0);
        const qsizetype digits = wide ? 4 : 2;
        bool ok = false;
        const ushort code = first + digits <= key.size() ? QStringView(key).sliced(first, digits).toUShort(&ok, 16) : 0;
        if (!ok) {
            out += QLatin1Char('%');
            ++i;
            continue;
        }
        out += QChar(code);
        i = first + digits;
    }
    return out;
}

void chopTrailingSpaces(QString& text, qsizetype limit)
{
    while (text.size() > limit && (text.back() == QLatin1Char(' ') || text.back() == QLatin1Char('\t'))) text.chop(1);
}

// One value: quotes group, backslash escapes (C's, \xHH..., \ooo), unquoted
// commas split a list, spaces around unquoted items are dropped.
struct Unescaped {
    QString text;
    QStringList list;
    bool isList = false;
};

Unescaped unescapeValue(QByteArrayView bytes)
{
    Unescaped out;
    QString& text = out.text;
    bool inQuotes = false;
    bool quoted = false;
    qsizetype i = 0;
    const qsizetype end = bytes.size();
    const auto skipSpaces = [&] {
        while (i < end && (bytes[i] == ' ' || bytes[i] == '\t')) ++i;
    };
    skipSpaces();
    qsizetype chopLimit = 0;
    while (i < end) {
        const char c = bytes[i];
        if (c == '\\') {
            if (++i >= end) break;
            const char e = bytes[i++];
            static const char from[] = "abfnrtv\"?'\\";
            static const char to[] = "\a\b\f\n\r\t\v\"?'\\";
            if (const char* hit = e ? std::strchr(from, e) : nullptr) {
                text += QLatin1Char(to[hit - from]);
            } else if (e == 'x' && i < end && isHexDigit(static_cast<unsigned char>(bytes[i]))) {
                uint code = 0;
                while (i < end && isHexDigit(static_cast<unsigned char>(bytes[i]))) code = (code << 4) + hexValue(bytes[i++]);
                text += QChar(static_cast<char16_t>(code));
            } else if (e >= '0' && e <= '7') {
                uint code = static_cast<uint>(e - '0');
                while (i < end && bytes[i] >= '0' && bytes[i] <= '7') code = (code << 3) + static_cast<uint>(bytes[i++] - '0');
                text += QChar(static_cast<char16_t>(code));
            }
            chopLimit = text.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) skipSpaces();
        } else if (c == ',' && !inQuotes) {
            if (!quoted) chopTrailingSpaces(text, chopLimit);
            out.isList = true;
            out.list.append(text);
            text.clear();
            quoted = false;
            ++i;
            skipSpaces();
            chopLimit = 0;
        } else {
            qsizetype j = i + 1;
            while (j < end && bytes[j] != '\\' && bytes[j] != '"' && bytes[j] != ',') ++j;
            text += QString::fromUtf8(bytes.sliced(i, j - i));
            i = j;
        }
    }
    if (!quoted) chopTrailingSpaces(text, chopLimit);
    if (out.isList) out.list.append(text);
    return out;
}

QStringList splitArguments(const QString& text, qsizetype open)
{
    return text.sliced(open + 1, text.size() - open - 2).split(QLatin1Char(' '));
}

QVariant stringToVariant(const QString& text)
{
    if (!text.startsWith(QLatin1Char('@'))) return text;
    if (text.endsWith(QLatin1Char(')'))) {
        if (text.startsWith(QLatin1String("@ByteArray("))) return QStringView(text).sliced(11).chopped(1).toLatin1();
        if (text.startsWith(QLatin1String("@String("))) return text.sliced(8).chopped(1);
        const bool dateTime = text.startsWith(QLatin1String("@DateTime("));
        if (dateTime || text.startsWith(QLatin1String("@Variant("))) {
            QByteArray bytes = QStringView(text).sliced(dateTime ? 10 : 9).toLatin1();
            QDataStream stream(&bytes, QIODevice::ReadOnly);
            stream.setVersion(dateTime ? QDataStream::Qt_5_6 : QDataStream::Qt_4_0);
            QVariant value;
            stream >> value;
            return value;
        }
        if (text.startsWith(QLatin1String("@Rect("))) {
            const QStringList a = splitArguments(text, 5);
            if (a.size() == 4) return QRect(a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt());
        } else if (text.startsWith(QLatin1String("@Size("))) {
            const QStringList a = splitArguments(text, 5);
            if (a.size() == 2) return QSize(a[0].toInt(), a[1].toInt());
        } else if (text.startsWith(QLatin1String("@Point("))) {
            const QStringList a = splitArguments(text, 6);
            if (a.size() == 2) return QPoint(a[0].toInt(), a[1].toInt());
        } else if (text == QLatin1String("@Invalid()")) {
            return {};
        }
    }
    if (text.startsWith(QLatin1String("@@"))) return text.sliced(1);
    return text;
}

QVariant listToVariant(QStringList list)
{
    for (QString& item : list) {
        if (!item.startsWith(QLatin1Char('@'))) continue;
        if (item.size() < 2 || item[1] != QLatin1Char('@')) {
            QVariantList values;
            for (const QString& each : std::as_const(list)) values.append(stringToVariant(each));
            return values;
        }
        item.remove(0, 1);
    }
    return list;
}

}  // namespace

QByteArray encode(const Values& values)
{
    if (values.empty()) return {};
    QByteArray out("[General]\n");
    for (const auto& [key, value] : values) {
        appendEscapedKey(key, out);
        out += '=';
        appendValue(value, out);
        out += '\n';
    }
    return out;
}

Values decode(const QByteArray& text)
{
    Values values;
    QString section;
    QByteArrayView rest(text);
    if (rest.startsWith("\xEF\xBB\xBF")) rest = rest.sliced(3);
    while (!rest.isEmpty()) {
        const qsizetype newline = rest.indexOf('\n');
        QByteArrayView line = newline < 0 ? rest : rest.first(newline);
        rest = newline < 0 ? QByteArrayView() : rest.sliced(newline + 1);
        if (line.endsWith('\r')) line.chop(1);
        qsizetype start = 0;
        while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
        line = line.sliced(start);
        if (line.isEmpty() || line.front() == ';') continue;
        // Where the key ends and where a comment starts, outside quotes.
        qsizetype equals = -1;
        qsizetype end = 0;
        bool inQuotes = false;
        for (; end < line.size(); ++end) {
            const char c = line[end];
            if (c == '\\') {
                ++end;
            } else if (c == '"') {
                inQuotes = !inQuotes;
            } else if (c == '=' && !inQuotes && equals < 0) {
                equals = end;
            } else if (c == ';' && !inQuotes) {
                break;
            }
        }
        line = line.first(std::min(end, line.size()));
        if (line.front() == '[') {
            const qsizetype close = line.indexOf(']');
            const QByteArray name = (close < 0 ? line.sliced(1) : line.sliced(1, close - 1)).toByteArray().trimmed();
            if (name.compare("general", Qt::CaseInsensitive) == 0) {
                section.clear();
            } else {
                section = name.compare("%general", Qt::CaseInsensitive) == 0 ? QString::fromLatin1(name.sliced(1))
                                                                             : unescapeKey(name);
                section += QLatin1Char('/');
            }
            continue;
        }
        if (equals < 0) continue;
        qsizetype keyEnd = equals;
        while (keyEnd > 0 && (line[keyEnd - 1] == ' ' || line[keyEnd - 1] == '\t')) --keyEnd;
        const QString key = section + unescapeKey(line.first(keyEnd));
        Unescaped value = unescapeValue(line.sliced(equals + 1));
        values[key] = value.isList ? listToVariant(std::move(value.list)) : stringToVariant(value.text);
    }
    return values;
}

}  // namespace zorbel::platform::ini
