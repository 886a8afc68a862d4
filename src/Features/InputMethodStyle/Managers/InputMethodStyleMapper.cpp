#include "Features/InputMethodStyle/Managers/InputMethodStyleMapper.h"

#include "Caret/Core/Logger.h"
#include "Features/InputMethodStyle/Managers/StylePresetProvider.h"
#include "Platform/Console.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Services.h"
#include "Platform/UserDefaults.h"

#include <algorithm>
#include <map>

namespace zorbel {

namespace {
platform::UserDefaults& standardDefaults() { return platform::userDefaults().standard(); }
QString key() { return QString::fromLatin1(InputMethodStyleMapper::configKey); }

// Whether what is stored now is a record this version cannot read.
bool storedRecordIsUnreadable()
{
    const auto& defaults = standardDefaults();
    if (!defaults.contains(key())) return false;
    const auto data = defaults.dataForKey(key());
    return !data || !decodeInputMethodStyleConfig(*data).ok();
}
}  // namespace

InputMethodStyleMapper& InputMethodStyleMapper::shared()
{
    // The first refresh runs once the shared instance is in place, so whoever
    // hears of the first mappings can already reach it.
    auto& mapper = sharedInstance<InputMethodStyleMapper>();
    if (!mapper.refreshedOnce_) {
        mapper.refreshedOnce_ = true;
        mapper.refreshMappings();
    }
    return mapper;
}

InputMethodStyleMapper::InputMethodStyleMapper()
    : config_(loadConfig()), presetProvider_(StylePresetProvider::shared()), logger_(Logger::shared())
{
    keepUnreadableRecord_ = storedRecordIsUnreadable();
    if (keepUnreadableRecord_)
        logger_.warning(QStringLiteral("The stored input method style config cannot be read; it is kept until the "
                                       "mapping is changed"),
                        ZHERE("init()"));
    logger_.info(QStringLiteral("InputMethodStyleMapper initialized"), ZHERE("init()"));
}

void InputMethodStyleMapper::setConfig(const InputMethodStyleConfig& config)
{
    keepUnreadableRecord_ = false;
    assign(config);
}

void InputMethodStyleMapper::assign(const InputMethodStyleConfig& config)
{
    config_.set(config);
    saveConfig();
    platform::notificationCenter().post(QString::fromLatin1(configChangedNotification));
}

int InputMethodStyleMapper::presetCount() const { return static_cast<int>(presetProvider_.presets().size()); }

void InputMethodStyleMapper::saveConfig()
{
    if (keepUnreadableRecord_) return;
    const auto encoded = encodeJson(config());
    if (!encoded.ok()) {
        logger_.error(QStringLiteral("Failed to save config: ") + encoded.error, ZHERE("saveConfig()"));
        return;
    }
    if (!standardDefaults().setData(key(), *encoded.value)) {
        logger_.error(QStringLiteral("Failed to save config: the settings store could not be written"),
                      ZHERE("saveConfig()"));
        return;
    }
    logger_.debug(QStringLiteral("Input method style config saved"), ZHERE("saveConfig()"));
}

InputMethodStyleConfig InputMethodStyleMapper::loadConfig()
{
    const auto& defaults = standardDefaults();
    if (!defaults.contains(key())) {
        print(QStringLiteral("[InputMethodStyleMapper] No saved config, using default"));
        return {};
    }
    const auto data = defaults.dataForKey(key());
    const auto decoded = data ? decodeInputMethodStyleConfig(*data)
                              : json::Result<InputMethodStyleConfig>::failure(QStringLiteral("The stored value is not data"));
    if (decoded.ok()) {
        print(QStringLiteral("[InputMethodStyleMapper] Config loaded successfully"));
        return *decoded.value;
    }
    print(QStringLiteral("[InputMethodStyleMapper] Failed to load config: ") + decoded.error +
          QStringLiteral(", using default"));
    return {};
}

int InputMethodStyleMapper::getStyleIndex(const QString& inputSourceID)
{
    if (auto it = config().styleMapping.constFind(inputSourceID); it != config().styleMapping.cend()) return *it;
    if (!config().autoAssignNewInputMethods) return 0;
    logger_.info(QStringLiteral("Auto-assigning style for new input method: ") + inputSourceID, ZHERE("getStyleIndex(for:)"));
    return autoAssignStyle(inputSourceID);
}

int InputMethodStyleMapper::styleIndexWithoutAssigning(const QString& inputSourceID) const
{
    return config().styleMapping.value(inputSourceID, 0);
}

void InputMethodStyleMapper::assignMissingStyles(const std::vector<InputSourceInfo>& sources)
{
    if (!config().autoAssignNewInputMethods) return;
    for (const InputSourceInfo& s : sources)
        if (!config().styleMapping.contains(s.id)) autoAssignStyle(s.id);
}

void InputMethodStyleMapper::setStyle(int index, const QString& inputSourceID)
{
    if (index < 0 || index >= presetCount()) {
        logger_.error(QStringLiteral("Invalid style index: ") + QString::number(index), ZHERE("setStyle(_:for:)"));
        return;
    }
    InputMethodStyleConfig c = config();
    c.setStyleIndex(index, inputSourceID);
    setConfig(c);
    logger_.info(QStringLiteral("Style set for ") + inputSourceID + QStringLiteral(": index ") + QString::number(index),
                 ZHERE("setStyle(_:for:)"));
    postMappingUpdated(inputSourceID, index, false);
}

int InputMethodStyleMapper::autoAssignStyle(const QString& inputSourceID)
{
    const auto sources = inputSourceManager_.getAvailableInputSources();
    const auto found = std::find_if(sources.begin(), sources.end(), [&](const auto& s) { return s.id == inputSourceID; });
    if (found == sources.end()) {
        logger_.warning(QStringLiteral("Input method not found: ") + inputSourceID + QStringLiteral(", using default style"),
                        ZHERE("autoAssignStyle(for:)"));
        return 0;
    }
    const QString& name = found->name;
    const int recommended = presetProvider_.recommendedStyleIndex(inputSourceID, name);
    const std::set<int> used = usedStyleIndices();
    int index = recommended;
    QString line;
    if (!used.contains(recommended)) {
        line = QStringLiteral("Auto-assigned recommended style ") + QString::number(index) + QStringLiteral(" for ") + name;
    } else if (const auto unused = unusedStyleIndices(0, presetCount(), used); !unused.empty()) {
        index = unused.front();
        line = QStringLiteral("Auto-assigned unused style ") + QString::number(index) + QStringLiteral(" for ") + name;
    } else {
        index = leastUsedStyleIndex();
        line = QStringLiteral("Auto-assigned least used style ") + QString::number(index) + QStringLiteral(" for ") + name;
    }
    InputMethodStyleConfig c = config();
    c.setStyleIndex(index, inputSourceID);
    assign(c);
    logger_.info(line, ZHERE("autoAssignStyle(for:)"));
    postMappingUpdated(inputSourceID, index, true);
    return index;
}

void InputMethodStyleMapper::refreshMappings()
{
    if (!config().autoAssignNewInputMethods) {
        logger_.debug(QStringLiteral("Auto-assign disabled, skipping refresh"), ZHERE("refreshMappings()"));
        return;
    }
    logger_.info(QStringLiteral("Refreshing input method mappings"), ZHERE("refreshMappings()"));
    bool complete = true;
    std::set<QString> current;
    for (const auto& s : inputSourceManager_.getAvailableInputSources(complete)) current.insert(s.id);
    const QStringList mappedKeys = config().styleMapping.keys();
    const std::set<QString> mapped(mappedKeys.begin(), mappedKeys.end());

    std::vector<QString> added;
    std::set_difference(current.begin(), current.end(), mapped.begin(), mapped.end(), std::back_inserter(added));
    if (!added.empty()) {
        logger_.info(QStringLiteral("Found ") + QString::number(added.size()) + QStringLiteral(" new input methods"),
                     ZHERE("refreshMappings()"));
        for (const QString& id : added) autoAssignStyle(id);
    }

    std::vector<QString> gone;
    std::set_difference(mapped.begin(), mapped.end(), current.begin(), current.end(), std::back_inserter(gone));
    if (gone.empty()) return;
    // A listing that failed, came back empty or lacks a daemon's sources says
    // nothing about what the user removed.
    if (current.empty() || !complete) {
        logger_.warning(QStringLiteral("The input source listing is empty or incomplete; keeping ") +
                            QString::number(gone.size()) + QStringLiteral(" mappings of unlisted input methods"),
                        ZHERE("refreshMappings()"));
        return;
    }
    logger_.info(QStringLiteral("Found ") + QString::number(gone.size()) + QStringLiteral(" deleted input methods, cleaning up"),
                 ZHERE("refreshMappings()"));
    // One store for all of them: each store writes the whole record, so thousands
    // of stale entries removed one by one would hold up the start for a minute.
    InputMethodStyleConfig c = config();
    for (const QString& id : gone) c.styleMapping.remove(id);
    c.lastUpdated = QDateTime::currentDateTimeUtc();
    assign(c);
}

void InputMethodStyleMapper::resetAllMappings()
{
    logger_.info(QStringLiteral("Resetting all input method style mappings"), ZHERE("resetAllMappings()"));
    InputMethodStyleConfig c = config();
    c.styleMapping.clear();
    c.lastUpdated = QDateTime::currentDateTimeUtc();
    setConfig(c);
    refreshMappings();
}

int InputMethodStyleMapper::leastUsedStyleIndex() const
{
    std::map<int, int> counts;
    for (int index : config().styleMapping) ++counts[index];
    int best = 0;
    int bestCount = -1;
    for (int i = 0; i < presetCount(); ++i) {
        const int n = counts.contains(i) ? counts[i] : 0;
        if (bestCount < 0 || n < bestCount) {
            best = i;
            bestCount = n;
        }
    }
    return best;
}

std::set<int> InputMethodStyleMapper::usedStyleIndices() const
{
    std::set<int> used;
    for (int index : config().styleMapping) used.insert(index);
    return used;
}

std::vector<int> InputMethodStyleMapper::unusedStyleIndices(int begin, int end, const std::set<int>& excluding)
{
    std::vector<int> result;
    for (int i = begin; i < end; ++i)
        if (!excluding.contains(i)) result.push_back(i);
    return result;
}

void InputMethodStyleMapper::postMappingUpdated(const QString& inputMethodId, int styleIndex, bool isNewInputMethod)
{
    QVariantMap info;
    info.insert(QStringLiteral("inputMethodId"), inputMethodId);
    info.insert(QStringLiteral("styleIndex"), styleIndex);
    info.insert(QStringLiteral("isNewInputMethod"), isNewInputMethod);
    platform::notificationCenter().post(QString::fromLatin1(mappingUpdatedNotification), {}, info);
}

}  // namespace zorbel
