#include "Caret/Styles/BrindotStyle.h"

namespace zorbel {

bool BrindotStyle::operator==(const BrindotStyle& other) const
{
    return shape == other.shape && size == other.size && fillColor == other.fillColor &&
           fillEnabled == other.fillEnabled && borderColor == other.borderColor &&
           borderWidth == other.borderWidth && borderEnabled == other.borderEnabled &&
           animationEnabled == other.animationEnabled && animationDuration == other.animationDuration;
}

}  // namespace zorbel
