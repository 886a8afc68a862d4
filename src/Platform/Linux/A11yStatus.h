#pragma once

#include <optional>

namespace zorbel::platform {

// The desktop's accessibility switch (org.a11y.Status.IsEnabled on the
// session bus): toolkits that start while it is on join the accessibility
// desktop. Each call waits at most a short, fixed time.
namespace a11ystatus {
std::optional<bool> isEnabled();
bool setEnabled(bool enabled);
}  // namespace a11ystatus

}  // namespace zorbel::platform
