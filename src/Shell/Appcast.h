#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <vector>

namespace zorbel {

// A version made of numbers ("1.10.2", optionally written "v1.10.2"),
// compared number by number; missing trailing numbers count as 0.
class AppVersion {
public:
    // Nothing for anything else: letters, empty parts, more than 16 parts or
    // more than 64 characters.
    static std::optional<AppVersion> parse(const QString& text);
    // Negative, 0 or positive as this is older, the same or newer.
    int compare(const AppVersion& other) const;
    bool operator<(const AppVersion& other) const { return compare(other) < 0; }
    bool operator==(const AppVersion& other) const { return compare(other) == 0; }

private:
    QStringList parts_;  // digits without leading zeros ("0" for zero)
};

struct AppcastItem {
    QString title;
    QString version;               // as the feed writes it
    QString displayVersionString;  // plain text, for people
    QUrl downloadPage;             // http or https; empty when the item has none
};

struct Appcast {
    std::vector<AppcastItem> items;  // only items with a usable version
    QStringList skipped;             // why other items were left out
};

struct AppcastResult {
    std::optional<Appcast> appcast;
    QString error;  // why the feed could not be read at all
};

// Reads an appcast: an RSS document whose items carry their version in a
// `sparkle:version` element or enclosure attribute, and an optional display
// version (`sparkle:shortVersionString`). Streams through the document;
// nothing is fetched, no external entity is read.
AppcastResult parseAppcast(const QByteArray& xml);

// The newest item newer than the running version, if any.
std::optional<AppcastItem> newestUpdate(const Appcast& appcast, const AppVersion& running);

}  // namespace zorbel
