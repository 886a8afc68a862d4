// The accessibility contract on the real desktop, once per toolkit.
#include "LinuxDesktopDriver.h"

#include "contract/AccessibilityContract.h"

namespace zorbel::contract {

INSTANTIATE_TEST_SUITE_P(
    Linux, AccessibilityContract,
    ::testing::Values(DriverParam{"GTK3",
                                  [] {
                                      return std::make_unique<integration::LinuxDesktopDriver>(
                                          integration::Toolkit::Gtk3);
                                  }},
                      DriverParam{"Qt6",
                                  [] {
                                      return std::make_unique<integration::LinuxDesktopDriver>(
                                          integration::Toolkit::Qt6);
                                  }}),
    driverName);

}  // namespace zorbel::contract
