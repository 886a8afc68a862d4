#pragma once

// A small tray host of the tests' own on the session bus: it owns the StatusNotifierWatcher
// name, says a host is registered, records the items that register, and reads an item and
// its menu (com.canonical.dbusmenu) as a panel would.
#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QImage>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <optional>
#include <vector>

namespace zorbel::integration {

struct MenuNode {
  int id = 0;
  QVariantMap properties;
  std::vector<MenuNode> children;

  QString label() const { return properties.value(QStringLiteral("label")).toString(); }
  bool isSeparator() const { return properties.value(QStringLiteral("type")).toString() == QLatin1String("separator"); }
  // The first node, depth first, whose label is `text`.
  const MenuNode* find(const QString& text) const;
};

class TrayHost : public QObject {
  Q_OBJECT
 public:
  TrayHost();
  ~TrayHost() override;
  bool isRunning() const { return running_; }

  // Items as "service" + "path", in the order they registered.
  struct Item {
    QString service;
    QString path;
  };
  const std::vector<Item>& items() const { return items_; }
  // The first registered item whose Id property is `id` ("Fcitx").
  std::optional<Item> itemWithId(const QString& id) const;
  void addItem(const QString& serviceOrPath, const QString& sender);

  QVariant property(const Item& item, const QString& name) const;
  // The largest pixmap of IconPixmap.
  std::optional<QImage> icon(const Item& item) const;
  std::optional<MenuNode> menu(const Item& item) const;
  // Sends "clicked" to a menu node, as a panel does when the user picks it.
  bool click(const Item& item, int id) const;

 private:
  bool running_ = false;
  std::vector<Item> items_;
};

class WatcherAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems)
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
  Q_PROPERTY(int ProtocolVersion READ protocolVersion)
 public:
  explicit WatcherAdaptor(TrayHost* host);
  QStringList registeredItems() const;
  bool isHostRegistered() const { return true; }
  int protocolVersion() const { return 0; }

 public slots:
  void RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message);
  void RegisterStatusNotifierHost(const QString&) {}

 signals:
  void StatusNotifierItemRegistered(const QString& service);
  void StatusNotifierItemUnregistered(const QString& service);
  void StatusNotifierHostRegistered();

 private:
  TrayHost* host_;
};

}  // namespace zorbel::integration
