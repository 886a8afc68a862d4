// GIO before Qt: Qt's "signals" keyword would clash with a GIO field name.
#include <gio/gio.h>

#include "Platform/Linux/IbusInputSources.h"

#include "Platform/LogSink.h"
#include "Platform/SafeFiles.h"

#include <QDBusArgument>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QStandardPaths>

namespace zorbel::platform {

namespace {
const QString kService = QStringLiteral("org.freedesktop.IBus");
const QString kPath = QStringLiteral("/org/freedesktop/IBus");
const QString kInterface = QStringLiteral("org.freedesktop.IBus");
constexpr int kTimeoutMs = 500;

QString machineId()
{
    for (const char* path : {"/var/lib/dbus/machine-id", "/etc/machine-id"}) {
        QFile f(QString::fromLatin1(path));
        if (f.open(QIODevice::ReadOnly)) return QString::fromLatin1(f.readAll().trimmed());
    }
    return {};
}

// The daemon's address file lies in the user's folder: a FIFO or a device
// planted there would hold the program at start.
QString addressFromFile()
{
    const auto file = files::readRegularFile(IbusInputSources::addressFile(), 64 * 1024);
    for (const QByteArray& line : file.bytes.split('\n'))
        if (line.startsWith("IBUS_ADDRESS=")) return QString::fromUtf8(line.mid(13).trimmed());
    return {};
}

// Reads a D-Bus value that may be a structure or an array into plain variants.
QVariant plain(const QVariant& value)
{
    if (value.canConvert<QDBusVariant>()) return plain(value.value<QDBusVariant>().variant());
    if (value.userType() != qMetaTypeId<QDBusArgument>()) return value;
    const QDBusArgument arg = value.value<QDBusArgument>();
    QVariantList list;
    switch (arg.currentType()) {
    case QDBusArgument::StructureType:
        arg.beginStructure();
        while (!arg.atEnd()) list << plain(arg.asVariant());
        arg.endStructure();
        return list;
    case QDBusArgument::ArrayType:
        arg.beginArray();
        while (!arg.atEnd()) list << plain(arg.asVariant());
        arg.endArray();
        return list;
    default:
        return {};
    }
}
}  // namespace

InputSourceProperties ibusEngineSource(const QVariantList& f)
{
    // ("IBusEngineDesc", attachments, name, longname, description, language,
    //  license, author, icon, layout, rank, hotkeys, symbol, ...)
    InputSourceProperties p;
    if (f.size() < 13 || f[0].toString() != QLatin1String("IBusEngineDesc")) return p;
    p.id = f[2].toString();
    p.localizedName = f[3].toString();
    if (!f[5].toString().isEmpty()) p.languages << f[5].toString();
    const QString icon = f[8].toString();
    if (icon.startsWith(QLatin1Char('/'))) p.iconPath = icon;
    else p.iconName = icon;
    p.shortLabel = f[12].toString();
    p.category = QString::fromLatin1(InputSourceProperties::keyboardCategory);
    p.selectCapable = true;
    return p;
}

QString IbusInputSources::addressFile()
{
    // "<machine id>-<host or unix>-<display number>" under the user's ibus/bus folder.
    const QString display = qEnvironmentVariable("DISPLAY");
    const qsizetype colon = display.lastIndexOf(QLatin1Char(':'));
    const QString host = colon > 0 ? display.left(colon) : QStringLiteral("unix");
    const QString number = display.mid(colon + 1).section(QLatin1Char('.'), 0, 0);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config + QStringLiteral("/ibus/bus/") + machineId() + QLatin1Char('-') + host + QLatin1Char('-') + number;
}

IbusInputSources::IbusInputSources() : connectionName_(QStringLiteral("zorbel-ibus"))
{
    const QString folder = QFileInfo(addressFile()).absolutePath();
    QDir().mkpath(folder);
    watcher_ = new QFileSystemWatcher({folder}, this);
    if (QFile::exists(addressFile())) watcher_->addPath(addressFile());
    auto changed = [this](const QString&) {
        if (QFile::exists(addressFile()) && !watcher_->files().contains(addressFile())) watcher_->addPath(addressFile());
        const bool was = connected_;
        dropConnection();
        if (connectToDaemon() || was) {
            availabilityObservers_.notify();
            selectionObservers_.notify();
        }
    };
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, changed);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, changed);
    connectToDaemon();
}

IbusInputSources::~IbusInputSources() { dropConnection(); }

bool IbusInputSources::connectToDaemon()
{
    if (connected_ && QDBusConnection(connectionName_).isConnected()) return true;
    dropConnection();
    QString address = qEnvironmentVariable("IBUS_ADDRESS");
    if (address.isEmpty()) address = addressFromFile();
    if (address.isEmpty()) return false;
    QDBusConnection bus = QDBusConnection::connectToBus(address, connectionName_);
    if (!bus.isConnected()) {
        QDBusConnection::disconnectFromBus(connectionName_);
        return false;
    }
    bus.connect(QString(), kPath, kInterface, QStringLiteral("GlobalEngineChanged"), this,
                SLOT(globalEngineChanged(QString)));
    // The daemon is the bus: when it dies the connection closes, and the library
    // says so with a signal of its own.
    bus.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"), QStringLiteral("org.freedesktop.DBus.Local"),
                QStringLiteral("Disconnected"), this, SLOT(daemonGone()));
    connected_ = true;
    return true;
}

void IbusInputSources::daemonGone()
{
    // Closed once the library's own handling of the connection is over.
    QMetaObject::invokeMethod(
        this,
        [this] {
            // Told even when a call meanwhile found the connection closed.
            dropConnection();
            availabilityObservers_.notify();
            selectionObservers_.notify();
        },
        Qt::QueuedConnection);
}

void IbusInputSources::dropConnection()
{
    if (!connected_) return;
    connected_ = false;
    QDBusConnection::disconnectFromBus(connectionName_);
}

bool IbusInputSources::isAvailable()
{
    // A daemon that quit closed its socket; the connection notices without a call.
    return connectToDaemon();
}

void IbusInputSources::globalEngineChanged(const QString&) { selectionObservers_.notify(); }

QStringList IbusInputSources::preloadEngines()
{
    // IBus keeps the user's engines in its GSettings schema; without the schema
    // (IBus not installed) there is nothing to read.
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema = source ? g_settings_schema_source_lookup(source, "org.freedesktop.ibus.general", TRUE) : nullptr;
    if (!schema) return {};
    g_settings_schema_unref(schema);
    GSettings* settings = g_settings_new("org.freedesktop.ibus.general");
    gchar** names = g_settings_get_strv(settings, "preload-engines");
    QStringList result;
    for (gchar** n = names; n && *n; ++n) result << QString::fromUtf8(*n);
    g_strfreev(names);
    g_object_unref(settings);
    return result;
}

std::vector<InputSourceProperties> IbusInputSources::describe(const QStringList& names)
{
    if (names.isEmpty() || !connectToDaemon()) return {};
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetEnginesByNames"));
    call << names;
    const QDBusMessage reply = QDBusConnection(connectionName_).call(call, QDBus::Block, kTimeoutMs);
    std::vector<InputSourceProperties> result;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return result;
    for (const QVariant& engine : plain(reply.arguments().first()).toList()) {
        InputSourceProperties p = ibusEngineSource(engine.toList());
        if (!p.id.isEmpty()) result.push_back(std::move(p));
    }
    return result;
}

InputSourceListing IbusInputSources::enabledSources()
{
    if (!isAvailable()) return InputSourceListing{{}, false};
    const QStringList names = preloadEngines();
    if (names.isEmpty()) {
        // No list of its own yet: the engine in use is all that is known.
        auto current = currentKeyboardSource();
        InputSourceListing listing{{}, false};
        if (current) listing.sources.push_back(*current);
        return listing;
    }
    auto sources = describe(names);
    const bool complete = static_cast<qsizetype>(sources.size()) == names.size();
    return InputSourceListing{std::move(sources), complete};
}

std::optional<InputSourceProperties> IbusInputSources::currentKeyboardSource()
{
    if (!connectToDaemon()) return std::nullopt;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    call << kInterface << QStringLiteral("GlobalEngine");
    const QDBusMessage reply = QDBusConnection(connectionName_).call(call, QDBus::Block, kTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return std::nullopt;
    InputSourceProperties p = ibusEngineSource(plain(reply.arguments().first()).toList());
    if (p.id.isEmpty()) return std::nullopt;
    return p;
}

}  // namespace zorbel::platform
