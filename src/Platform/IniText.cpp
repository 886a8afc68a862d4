#include "Platform/IniText.h"

#include <QList>

namespace zorbel::platform {

namespace {

enum class LineKind { blank, section, key, damaged };

bool isControl(char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; }

// Reads one physical line the way Qt's INI reader walks it: a backslash takes
// the next character with it, quotes toggle, ";" outside quotes starts a comment.
LineKind classify(QByteArrayView line)
{
    qsizetype start = 0;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
    line = line.sliced(start);
    if (line.isEmpty() || line.front() == ';') return LineKind::blank;
    bool inQuotes = false;
    bool hasEquals = false;
    qsizetype end = 0;
    for (; end < line.size(); ++end) {
        const char c = line[end];
        if (isControl(c)) return LineKind::damaged;
        if (c == '\\') {
            if (++end == line.size()) return LineKind::damaged;
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == '=' && !inQuotes) {
            hasEquals = true;
        } else if (c == ';' && !inQuotes) {
            break;
        }
    }
    if (inQuotes) return LineKind::damaged;
    if (line.front() == '[') return line.first(end).trimmed().back() == ']' ? LineKind::section : LineKind::damaged;
    return hasEquals ? LineKind::key : LineKind::damaged;
}

}  // namespace

IniText checkIniText(const QByteArray& bytes)
{
    IniText text;
    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF")) rest = rest.sliced(3);
    bool sectionKnown = true;
    int number = 0;
    for (const QByteArrayView line : QByteArray::fromRawData(rest.data(), rest.size()).split('\n')) {
        ++number;
        const QByteArrayView body = line.endsWith('\r') ? line.chopped(1) : line;
        const LineKind kind = body.contains('\r') ? LineKind::damaged : classify(body);
        if (kind == LineKind::section) sectionKnown = true;
        const bool keep = kind != LineKind::damaged && (kind != LineKind::key || sectionKnown);
        if (kind == LineKind::damaged) {
            if (body.trimmed().startsWith('[')) sectionKnown = false;
            if (!text.damaged()) text.firstDamagedLine = number;
        }
        if (keep) text.trusted.append(body).append('\n');
    }
    return text;
}

}  // namespace zorbel::platform
