#pragma once

#include "BrindotHUD/BrindotHUDConfig.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace zorbel::hudEdits {

// Every HUD control reads the manager's record, changes one field of the
// copy and assigns the whole copy back: one store, one announcement.
void editConfig(const std::function<void(BrindotHUDConfig&)>& change);

// A content check box switched on appends its kind when missing (nothing is
// written when it is there already); switched off it removes every copy.
// Nothing when there is nothing to write.
std::optional<BrindotHUDConfig> switchContent(BrindotHUDConfig config, HUDContentType type, bool on);
// The same applied to the manager's record.
void showContent(HUDContentType type, bool on);

// Removes the row the user clicked: the entry at `position` of the current
// list, and only while it still holds the kind that row showed (a list
// changed since the rows were drawn must not lose another entry).
std::optional<BrindotHUDConfig> removeContent(BrindotHUDConfig config, int position, HUDContentType shown);

// The kinds not in the list yet, in declaration order: the add menu.
std::vector<HUDContentType> addableContentTypes(const std::vector<HUDContentType>& types);

// "90%": the opacity in whole percent, truncated toward zero; a value a
// hand-edited record holds outside 0...1 (or not a number) is shown clamped.
QString opacityPercentText(double opacity);
// "2.5s"; a value that is not a number shows as "0.0s".
QString durationText(double seconds);

struct ContentKindInfo {
    HUDContentType type;
    const char* symbol;
    const char* label;
};
// Symbol and label of each kind in the order list and add menu.
const ContentKindInfo& contentKindInfo(HUDContentType type);

}  // namespace zorbel::hudEdits
