#pragma once

#include "Caret/Styles/BrindotStyle.h"
#include "Platform/JsonCoding.h"

namespace zorbel {

// The stored form of a style: one compact JSON object whose keys are the
// field names; colours and the position as nested objects, enumerations as
// their raw values, the shadow offset as [width, height], custom content data
// as Base64. Absent optional values are left out, never written as null.
//
// Encoding fails on a number JSON cannot hold and on a value decoding would
// refuse, so whatever is written reads back. Decoding fails as a whole on a
// missing key, a wrong type, an unknown enumeration text, or a negative size,
// border width or shadow radius; unknown keys are ignored.
json::Result<QByteArray> encodeJson(const BrindotStyle& style);
json::Result<BrindotStyle> decodeBrindotStyle(const QByteArray& bytes);

}  // namespace zorbel
