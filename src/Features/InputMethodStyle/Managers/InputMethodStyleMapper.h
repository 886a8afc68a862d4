#pragma once

#include "Features/InputMethodStyle/Managers/InputSourceManager.h"
#include "Features/InputMethodStyle/Models/InputMethodStyleConfig.h"
#include "Platform/Reactive/Published.h"

#include <set>

namespace zorbel {

class Logger;
class StylePresetProvider;

// Decides which preset each input source gets and keeps the choice stored.
// Every assignment of the configuration tells the subscribers, saves it under
// "InputMethodStyleConfig" and posts "inputMethodStyleConfigChanged".
class InputMethodStyleMapper {
public:
    // The shared mapper refreshes its mappings once, right after creation.
    static InputMethodStyleMapper& shared();
    InputMethodStyleMapper();
    InputMethodStyleMapper(const InputMethodStyleMapper&) = delete;
    InputMethodStyleMapper& operator=(const InputMethodStyleMapper&) = delete;

    static constexpr const char* configChangedNotification = "inputMethodStyleConfigChanged";
    static constexpr const char* mappingUpdatedNotification = "inputMethodMappingUpdated";
    static constexpr const char* configKey = "InputMethodStyleConfig";

    const InputMethodStyleConfig& config() const { return config_.get(); }
    // The user's (or a settings page's) change of the configuration.
    void setConfig(const InputMethodStyleConfig& config);
    rx::Publisher<InputMethodStyleConfig> configPublisher() const { return config_.publisher(); }

    // The source's preset; a source seen for the first time gets one stored
    // when automatic assignment is on.
    int getStyleIndex(const QString& inputSourceID);
    // The mapped preset, or 0, without assigning or storing anything: for
    // drawing code, after assignMissingStyles() ran for the rows it shows.
    int styleIndexWithoutAssigning(const QString& inputSourceID) const;
    // Gives each listed source without a preset one (automatic assignment on).
    void assignMissingStyles(const std::vector<InputSourceInfo>& sources);

    void setStyle(int index, const QString& inputSourceID);
    int autoAssignStyle(const QString& inputSourceID);
    void refreshMappings();
    void resetAllMappings();
    int leastUsedStyleIndex() const;

    void saveConfig();
    static InputMethodStyleConfig loadConfig();

    std::set<int> usedStyleIndices() const;
    static std::vector<int> unusedStyleIndices(int begin, int end, const std::set<int>& excluding);
    void postMappingUpdated(const QString& inputMethodId, int styleIndex, bool isNewInputMethod);

    const InputSourceManager& inputSourceManager() const { return inputSourceManager_; }

private:
    // Stores and announces; a change the system makes by itself (not through
    // setConfig) leaves a stored record that could not be read in place.
    void assign(const InputMethodStyleConfig& config);
    int presetCount() const;

    rx::Published<InputMethodStyleConfig> config_;
    StylePresetProvider& presetProvider_;
    InputSourceManager inputSourceManager_;
    const Logger& logger_;
    // Set while the stored record could not be read: kept until the user changes the mapping.
    bool keepUnreadableRecord_ = false;
    bool refreshedOnce_ = false;
};

}  // namespace zorbel
