#include "support/TrayHost.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusVariant>
#include <QDateTime>

namespace zorbel::integration {

namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");

const QDBusArgument& operator>>(const QDBusArgument& argument, MenuNode& node) {
  argument.beginStructure();
  argument >> node.id >> node.properties;
  argument.beginArray();
  while (!argument.atEnd()) {
    QDBusVariant child;
    argument >> child;
    MenuNode childNode;
    child.variant().value<QDBusArgument>() >> childNode;
    node.children.push_back(childNode);
  }
  argument.endArray();
  argument.endStructure();
  return argument;
}

QDBusMessage callItem(const TrayHost::Item& item, const QString& path, const QString& interface,
                      const QString& method, const QVariantList& arguments) {
  auto message = QDBusMessage::createMethodCall(item.service, path, interface, method);
  message.setArguments(arguments);
  const auto reply = QDBusConnection::sessionBus().call(message, QDBus::Block, 3000);
  if (reply.type() == QDBusMessage::ErrorMessage)
    qWarning("tray host: %s %s on %s%s: %s", qPrintable(interface), qPrintable(method), qPrintable(item.service),
             qPrintable(path), qPrintable(reply.errorMessage()));
  return reply;
}

}  // namespace

const MenuNode* MenuNode::find(const QString& text) const {
  if (label() == text) return this;
  for (const auto& child : children)
    if (const auto* found = child.find(text)) return found;
  return nullptr;
}

TrayHost::TrayHost() {
  auto bus = QDBusConnection::sessionBus();
  new WatcherAdaptor(this);
  running_ = bus.registerObject(watcherPath, this) && bus.registerService(watcherService) &&
             bus.registerService(QStringLiteral("org.kde.StatusNotifierHost-%1").arg(QCoreApplication::applicationPid()));
}

TrayHost::~TrayHost() {
  auto bus = QDBusConnection::sessionBus();
  bus.unregisterService(watcherService);
  bus.unregisterObject(watcherPath);
}

void TrayHost::addItem(const QString& serviceOrPath, const QString& sender) {
  if (serviceOrPath.startsWith(QLatin1Char('/')))
    items_.push_back({sender, serviceOrPath});
  else
    items_.push_back({serviceOrPath, QStringLiteral("/StatusNotifierItem")});
}

std::optional<TrayHost::Item> TrayHost::itemWithId(const QString& id) const {
  for (const Item& item : items_)
    if (property(item, QStringLiteral("Id")).toString() == id) return item;
  return std::nullopt;
}

QVariant TrayHost::property(const Item& item, const QString& name) const {
  const auto reply = callItem(item, item.path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                              {QStringLiteral("org.kde.StatusNotifierItem"), name});
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
  return reply.arguments().first().value<QDBusVariant>().variant();
}

std::optional<QImage> TrayHost::icon(const Item& item) const {
  const QVariant value = property(item, QStringLiteral("IconPixmap"));
  if (!value.canConvert<QDBusArgument>()) return std::nullopt;
  const auto argument = value.value<QDBusArgument>();
  std::optional<QImage> largest;
  argument.beginArray();
  while (!argument.atEnd()) {
    int width = 0, height = 0;
    QByteArray bytes;
    argument.beginStructure();
    argument >> width >> height >> bytes;
    argument.endStructure();
    if (width <= 0 || height <= 0 || bytes.size() != qsizetype(width) * height * 4) continue;
    QImage image(width, height, QImage::Format_ARGB32);
    // Pixels come in network byte order: A, R, G, B.
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const auto* p = reinterpret_cast<const uchar*>(bytes.constData()) + (y * width + x) * 4;
        image.setPixel(x, y, qRgba(p[1], p[2], p[3], p[0]));
      }
    if (!largest || largest->width() < width) largest = image;
  }
  argument.endArray();
  return largest;
}

std::optional<MenuNode> TrayHost::menu(const Item& item) const {
  const QString path = property(item, QStringLiteral("Menu")).value<QDBusObjectPath>().path();
  if (path.isEmpty()) return std::nullopt;
  const auto reply = callItem(item, path, QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("GetLayout"),
                              {0, -1, QStringList()});
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2) return std::nullopt;
  MenuNode root;
  reply.arguments().at(1).value<QDBusArgument>() >> root;
  return root;
}

bool TrayHost::click(const Item& item, int id) const {
  const QString path = property(item, QStringLiteral("Menu")).value<QDBusObjectPath>().path();
  const auto reply = callItem(item, path, QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("Event"),
                              {id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)),
                               uint(QDateTime::currentSecsSinceEpoch())});
  return reply.type() == QDBusMessage::ReplyMessage;
}

WatcherAdaptor::WatcherAdaptor(TrayHost* host) : QDBusAbstractAdaptor(host), host_(host) {
  setAutoRelaySignals(false);
}

QStringList WatcherAdaptor::registeredItems() const {
  QStringList list;
  for (const auto& item : host_->items()) list << item.service + item.path;
  return list;
}

void WatcherAdaptor::RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message) {
  host_->addItem(service, message.service());
  emit StatusNotifierItemRegistered(service);
}

}  // namespace zorbel::integration
