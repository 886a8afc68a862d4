#include "Platform/AXValue.h"

namespace zorbel::platform {

bool operator==(const AXValue& a, const AXValue& b)
{
    if (a.kind() != b.kind()) {
        // An integer and a real holding the same number are the same number.
        return a.isNumber() && b.isNumber() && a.toDouble() == b.toDouble();
    }
    if (auto x = a.array()) return *x == *b.array();
    if (auto x = a.dictionary()) return *x == *b.dictionary();
    return a.v_ == b.v_;
}

}  // namespace zorbel::platform
