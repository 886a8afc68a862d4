// The main of every integration test. Tests that show widgets themselves are built with
// ZORBEL_INTEGRATION_GUI and get a QApplication; the others need only an event loop.
#ifdef ZORBEL_INTEGRATION_GUI
#include <QApplication>
using Application = QApplication;
#else
#include <QCoreApplication>
using Application = QCoreApplication;
#endif

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  Application app(argc, argv);
  return RUN_ALL_TESTS();
}
