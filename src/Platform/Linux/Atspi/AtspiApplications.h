#pragma once

typedef struct _AtspiAccessible AtspiAccessible;
typedef struct DBusConnection DBusConnection;

namespace zorbel::platform::atspi {

// libatspi keeps one application object per bus name for the life of the
// process, across atspi_exit too. The objects of a lost bus lose their
// connection, yet a new bus hands out the same unique names (:1.0, :1.1, ...)
// again, and libatspi would answer every object of a new application with
// such a name from the dead one. Every application object met is remembered,
// so that a new connection can give each one the state libatspi gives an
// application it meets for the first time.
namespace applications {

// Remembers the application of an object handed to us; one met for the
// first time after a reconnection that still belongs to an earlier bus is
// renewed on the spot.
void remember(AtspiAccessible* accessible);
// Before letting go of a lost bus: the applications the desktop lists.
void rememberDesktop();
// After connecting to a new bus: every remembered application starts afresh
// on it.
void renewAll(DBusConnection* bus);

}  // namespace applications
}  // namespace zorbel::platform::atspi
