#include "Platform/StatusItem.h"

namespace zorbel::platform {

QString MenuItem::displayTitle() const
{
    if (attributedTitle.isEmpty()) return title;
    QString text;
    for (const auto& run : attributedTitle) text += run.text;
    return text;
}

}  // namespace zorbel::platform
