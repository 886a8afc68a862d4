#include "indicator/BusCallCounter.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <dbus/dbus.h>

#include <algorithm>
#include <cstdio>

namespace zorbel::integration {

namespace {
constexpr int kTimeoutMs = 1000;

QString accessibilityBusAddress() {
  auto call = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                             QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
  const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, kTimeoutMs);
  return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
             ? reply.arguments().constFirst().toString()
             : QString();
}

DBusConnection* openPrivate(const QByteArray& address) {
  DBusError error;
  dbus_error_init(&error);
  DBusConnection* connection = dbus_connection_open_private(address.constData(), &error);
  if (connection && !dbus_bus_register(connection, &error)) {
    dbus_connection_close(connection);
    dbus_connection_unref(connection);
    connection = nullptr;
  }
  if (dbus_error_is_set(&error)) std::fprintf(stderr, "benchmark: accessibility bus: %s\n", error.message);
  dbus_error_free(&error);
  return connection;
}

void closePrivate(DBusConnection* connection) {
  if (!connection) return;
  dbus_connection_close(connection);
  dbus_connection_unref(connection);
}

std::string lastPart(const char* dotted) {
  std::string name = dotted ? dotted : "?";
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(dot + 1);
}

// "Text.GetCharacterExtents"; a property read names its property: "Get(Accessible.Parent)".
std::string callName(DBusMessage* message, const char* interface, const char* member) {
  std::string name = lastPart(interface) + '.' + (member ? member : "?");
  const char* propertyInterface = nullptr;
  const char* property = nullptr;
  if (name == "Properties.Get" &&
      dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &propertyInterface, DBUS_TYPE_STRING, &property,
                            DBUS_TYPE_INVALID))
    name = "Get(" + lastPart(propertyInterface) + '.' + property + ')';
  return name;
}

// A monitor sees copies of the calls of every connection; it can do nothing else after.
bool becomeMonitor(DBusConnection* connection) {
  DBusMessage* message = dbus_message_new_method_call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                      "org.freedesktop.DBus.Monitoring", "BecomeMonitor");
  const char* rule = "type='method_call'";
  const char** rules = &rule;
  dbus_uint32_t flags = 0;
  dbus_message_append_args(message, DBUS_TYPE_ARRAY, DBUS_TYPE_STRING, &rules, 1, DBUS_TYPE_UINT32, &flags,
                           DBUS_TYPE_INVALID);
  DBusError error;
  dbus_error_init(&error);
  DBusMessage* reply = dbus_connection_send_with_reply_and_block(connection, message, kTimeoutMs, &error);
  dbus_message_unref(message);
  if (dbus_error_is_set(&error)) std::fprintf(stderr, "benchmark: cannot monitor the bus: %s\n", error.message);
  dbus_error_free(&error);
  if (reply) dbus_message_unref(reply);
  return reply != nullptr;
}
}  // namespace

BusCallCounter::BusCallCounter() {
  const QByteArray address = accessibilityBusAddress().toUtf8();
  if (address.isEmpty()) return;
  asker_ = openPrivate(address);
  monitor_ = openPrivate(address);
  if (monitor_ && !becomeMonitor(monitor_)) {
    closePrivate(monitor_);
    monitor_ = nullptr;
  }
}

BusCallCounter::~BusCallCounter() {
  closePrivate(monitor_);
  closePrivate(asker_);
}

void BusCallCounter::follow(std::int64_t pid) { pid_ = pid; }

std::int64_t BusCallCounter::pidOf(const std::string& sender) {
  if (auto it = senders_.find(sender); it != senders_.end()) return it->second;
  std::int64_t pid = -1;
  DBusMessage* message = dbus_message_new_method_call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                      "org.freedesktop.DBus", "GetConnectionUnixProcessID");
  const char* name = sender.c_str();
  dbus_message_append_args(message, DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID);
  DBusError error;
  dbus_error_init(&error);
  DBusMessage* reply = asker_ ? dbus_connection_send_with_reply_and_block(asker_, message, kTimeoutMs, &error) : nullptr;
  dbus_message_unref(message);
  dbus_uint32_t value = 0;
  if (reply && dbus_message_get_args(reply, &error, DBUS_TYPE_UINT32, &value, DBUS_TYPE_INVALID)) pid = value;
  if (reply) dbus_message_unref(reply);
  dbus_error_free(&error);
  return senders_[sender] = pid;
}

void BusCallCounter::drain() {
  if (!monitor_) return;
  dbus_connection_read_write(monitor_, 0);
  while (DBusMessage* message = dbus_connection_pop_message(monitor_)) {
    const char* sender = dbus_message_get_sender(message);
    if (dbus_message_get_type(message) == DBUS_MESSAGE_TYPE_METHOD_CALL && !dbus_message_get_no_reply(message) &&
        sender && pid_ && pidOf(sender) == pid_) {
      const char* interface = dbus_message_get_interface(message);
      const char* member = dbus_message_get_member(message);
      ++counts_[callName(message, interface, member)];
      ++total_;
    }
    dbus_message_unref(message);
  }
}

void BusCallCounter::reset() {
  drain();
  counts_.clear();
  total_ = 0;
}

std::vector<std::pair<std::string, int>> BusCallCounter::byMember() const {
  std::vector<std::pair<std::string, int>> sorted(counts_.begin(), counts_.end());
  std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  return sorted;
}

}  // namespace zorbel::integration
