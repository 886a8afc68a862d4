// Runs a tray host on the session bus until it is stopped: programs started beside it find
// a tray for their StatusNotifierItem.
#include "support/TrayHost.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  zorbel::integration::TrayHost host;
  if (!host.isRunning()) {
    std::fprintf(stderr, "zorbel_tray_host: the session bus refused the tray names\n");
    return 1;
  }
  std::printf("zorbel_tray_host: ready\n");
  std::fflush(stdout);
  return QCoreApplication::exec();
}
