#include "Platform/Linux/Fcitx5InputSources.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QTimer>

namespace zorbel::platform {

namespace {
const QString kService = QStringLiteral("org.fcitx.Fcitx5");
const QString kPath = QStringLiteral("/controller");
const QString kInterface = QStringLiteral("org.fcitx.Fcitx.Controller1");
constexpr int kTimeoutMs = 500;
const QString kTray = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kTrayPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/MenuBar");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");

QList<QVariant> call(const QString& method, const QVariantList& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, kTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments() : QList<QVariant>();
}

// An array of structures, each as a list of its fields.
QList<QVariantList> structures(const QVariant& value)
{
    QList<QVariantList> rows;
    if (value.userType() != qMetaTypeId<QDBusArgument>()) return rows;
    const QDBusArgument arg = value.value<QDBusArgument>();
    arg.beginArray();
    while (!arg.atEnd()) {
        QVariantList fields;
        arg.beginStructure();
        while (!arg.atEnd()) fields << arg.asVariant();
        arg.endStructure();
        rows << fields;
    }
    arg.endArray();
    return rows;
}
}  // namespace

InputSourceProperties fcitxInputMethodSource(const QVariantList& f)
{
    InputSourceProperties p;
    if (f.size() < 6) return p;
    p.id = f[0].toString();
    p.localizedName = f[1].toString();
    p.iconName = f[3].toString();
    p.shortLabel = f[4].toString();
    if (!f[5].toString().isEmpty()) p.languages << f[5].toString();
    p.category = QString::fromLatin1(InputSourceProperties::keyboardCategory);
    p.selectCapable = true;
    return p;
}

Fcitx5InputSources::Fcitx5InputSources()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    watcher_ = new QDBusServiceWatcher(kService, bus,
                                       QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration, this);
    auto follow = [this](bool running) {
        running_ = running;
        firstMember_.reset();
        if (!running) lastId_.clear();
        setItem({});
        pid_ = 0;
        if (running) findItem();
        availabilityObservers_.notify();
        recheck();
    };
    connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this, [follow] { follow(true); });
    connect(watcher_, &QDBusServiceWatcher::serviceUnregistered, this, [follow] { follow(false); });
    // The item lives on a connection of its own, which closes when the tray goes or Fcitx quits.
    itemWatcher_ = new QDBusServiceWatcher(this);
    itemWatcher_->setConnection(bus);
    itemWatcher_->setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(itemWatcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this] { setItem({}); });
    again_ = new QTimer(this);
    again_->setSingleShot(true);
    connect(again_, &QTimer::timeout, this, [this] {
        ask();
        if (++againStep_ < recheckDelaysMs.size())
            again_->start(recheckDelaysMs[againStep_] - recheckDelaysMs[againStep_ - 1]);
    });
    // The item's new icon and its new menu come together: one question for both.
    askSoon_ = new QTimer(this);
    askSoon_->setSingleShot(true);
    askSoon_->setInterval(0);
    connect(askSoon_, &QTimer::timeout, this, &Fcitx5InputSources::ask);
    auto* names = bus.interface();
    running_ = names && names->isServiceRegistered(kService).value();
    bus.connect(kService, kPath, kInterface, QStringLiteral("InputMethodGroupsChanged"), this, SLOT(groupsChanged()));
    // While a kimpanel (GNOME's input-method panel) runs, Fcitx tells it of every switch from
    // its own connection, tray or not.
    bus.connect(kService, QStringLiteral("/kimpanel"), QStringLiteral("org.kde.kimpanel.inputmethod"),
                QStringLiteral("UpdateProperty"), this, SLOT(itemChanged()));
    bus.connect(kTray, kTrayPath, kTray, QStringLiteral("StatusNotifierItemRegistered"), this,
                SLOT(itemRegistered(QString)));
    if (running_) findItem();
}

bool Fcitx5InputSources::isAvailable()
{
    if (!running_) return false;
    auto* bus = QDBusConnection::sessionBus().interface();
    running_ = bus && bus->isServiceRegistered(kService).value();
    return running_;
}

void Fcitx5InputSources::findItem()
{
    // A tray that was there before Fcitx or this program lists the item already.
    QDBusMessage get = QDBusMessage::createMethodCall(kTray, kTrayPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << kTray << QStringLiteral("RegisteredStatusNotifierItems");
    get.setAutoStartService(false);
    auto* pending = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(get, kTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusMessage reply = call->reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return;
        for (const QString& item : reply.arguments().first().value<QDBusVariant>().variant().toStringList())
            itemRegistered(item);
    });
}

void Fcitx5InputSources::itemRegistered(const QString& entry)
{
    if (!running_ || !item_.isEmpty()) return;
    // Trays list an item as its bus name, perhaps followed by its path. Fcitx names its
    // item by the unique name of the item's own connection, so the item is known as
    // Fcitx's by the process behind it.
    const QString service = entry.section(QLatin1Char('/'), 0, 0);
    auto* names = QDBusConnection::sessionBus().interface();
    if (service.isEmpty() || !names) return;
    if (!pid_) pid_ = names->servicePid(kService).value();
    if (!pid_ || names->servicePid(service).value() != pid_) return;
    setItem(service);
    // A switch made before the item was known is news too.
    if (!selectionObservers_.empty()) ask();
}

void Fcitx5InputSources::setItem(const QString& service)
{
    if (service == item_) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!item_.isEmpty()) {
        bus.disconnect(item_, kItemPath, kItemInterface, QStringLiteral("NewIcon"), this, SLOT(itemChanged()));
        bus.disconnect(item_, kMenuPath, kMenuInterface, QStringLiteral("LayoutUpdated"), this, SLOT(itemChanged()));
    }
    item_ = service;
    itemWatcher_->setWatchedServices(item_.isEmpty() ? QStringList() : QStringList{item_});
    if (item_.isEmpty()) return;
    // The icon changes only when the new input method has another icon or label; the
    // menu, which marks the current input method, is laid out anew on every switch.
    bus.connect(item_, kItemPath, kItemInterface, QStringLiteral("NewIcon"), this, SLOT(itemChanged()));
    bus.connect(item_, kMenuPath, kMenuInterface, QStringLiteral("LayoutUpdated"), this, SLOT(itemChanged()));
}

void Fcitx5InputSources::itemChanged()
{
    if (running_ && !selectionObservers_.empty()) askSoon_->start();
}

void Fcitx5InputSources::groupsChanged()
{
    firstMember_.reset();
    recheck();
}

QStringList Fcitx5InputSources::groupMembers() const
{
    const auto group = call(QStringLiteral("CurrentInputMethodGroup"));
    if (group.isEmpty()) return {};
    const auto info = call(QStringLiteral("InputMethodGroupInfo"), {group.first()});
    QStringList names;
    if (info.size() < 2) return names;
    for (const QVariantList& item : structures(info[1]))
        if (!item.isEmpty()) names << item.first().toString();
    return names;
}

InputSourceListing Fcitx5InputSources::enabledSources()
{
    const QStringList members = groupMembers();
    const auto available = call(QStringLiteral("AvailableInputMethods"));
    if (members.isEmpty() || available.isEmpty()) return InputSourceListing{{}, false};
    std::vector<InputSourceProperties> known;
    for (const QVariantList& row : structures(available.first())) known.push_back(fcitxInputMethodSource(row));
    InputSourceListing listing;
    for (const QString& name : members) {
        const auto it = std::find_if(known.begin(), known.end(), [&](const auto& s) { return s.id == name; });
        if (it != known.end()) listing.sources.push_back(*it);
        else listing.complete = false;
    }
    return listing;
}

QString Fcitx5InputSources::currentId() const
{
    const auto current = call(QStringLiteral("CurrentInputMethod"));
    QString id = current.isEmpty() ? QString() : current.first().toString();
    // Without a focused input context Fcitx names none: the group's first one is what a new one starts with.
    if (id.isEmpty()) {
        const QStringList members = groupMembers();
        if (!members.isEmpty()) id = members.first();
    }
    return id;
}

std::optional<InputSourceProperties> Fcitx5InputSources::currentKeyboardSource()
{
    const QString id = currentId();
    if (id.isEmpty()) return std::nullopt;
    for (auto& s : enabledSources().sources)
        if (s.id == id) return s;
    InputSourceProperties p;
    p.id = id;
    p.localizedName = id;
    p.category = QString::fromLatin1(InputSourceProperties::keyboardCategory);
    p.selectCapable = true;
    return p;
}

rx::Cancellable Fcitx5InputSources::observeSelectionChanges(std::function<void()> handler)
{
    if (selectionObservers_.empty() && isAvailable()) lastId_ = currentId();
    return selectionObservers_.add(std::move(handler));
}

void Fcitx5InputSources::recheck()
{
    if (selectionObservers_.empty() || !running_) return;
    ask();
    againStep_ = 0;
    again_->start(recheckDelaysMs[0]);
}

void Fcitx5InputSources::ask()
{
    const quint64 serial = ++asked_;
    const QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("CurrentInputMethod"));
    auto* pending = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message, kTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, serial](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusMessage reply = call->reply();
        // No answer (Fcitx busy or gone) says nothing about a switch; its going is followed by name.
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return;
        answered(serial, reply.arguments().first().toString());
    });
}

void Fcitx5InputSources::answered(quint64 serial, const QString& answer)
{
    // An answer overtaken by a later one is older news.
    if (serial <= applied_) return;
    applied_ = serial;
    if (selectionObservers_.empty()) return;
    QString id = answer;
    if (id.isEmpty()) {
        if (!firstMember_) {
            const QStringList members = groupMembers();
            firstMember_ = members.isEmpty() ? QString() : members.first();
        }
        id = *firstMember_;
    }
    if (id == lastId_) return;
    lastId_ = id;
    selectionObservers_.notify();
}

}  // namespace zorbel::platform
