#pragma once

#include <QString>

#include <cstdint>

namespace zorbel::platform::atspi {

// What the role mapping needs to know of one object besides its AT-SPI role.
struct RoleFacts {
    int atspiRole = 0;          // AtspiRole
    bool singleLine = false;
    bool multiLine = false;
    bool editable = false;
    bool topLevel = false;      // a direct child of its application
    bool text = false;          // has the text interface
};

// The accessibility role ("AXTextField", "AXWindow", ...) of an AT-SPI object.
QString axRole(const RoleFacts& facts);
// The subrole, or an empty string when there is none.
QString axSubrole(const RoleFacts& facts);

}  // namespace zorbel::platform::atspi
