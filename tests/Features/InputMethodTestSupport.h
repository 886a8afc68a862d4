#pragma once

#include "Features/InputMethodStyle/InputMethodStyleFeature.h"
#include "Features/InputMethodStyle/Managers/InputMethodStyleMapper.h"
#include "Features/InputMethodStyle/Managers/StylePresetProvider.h"
#include "support/TestWorld.h"

#include <deque>

namespace zorbel::testing {

// A world with a scripted keyboard, counted saves and notifications, and a
// preset provider whose random picks are given by the test.
class InputMethodTest : public WorldTest {
protected:
    using Source = platform::InputSourceProperties;

    void SetUp() override
    {
        WorldTest::SetUp();
        // A seeded pick: each test can queue its own draws; otherwise the first entry.
        StylePresetProvider::shared().setRandomPick([this](int) {
            if (picks.empty()) return 0;
            const int p = picks.front();
            picks.pop_front();
            return p;
        });
        for (const char* name : {"inputMethodStyleConfigChanged", "inputMethodMappingUpdated", "BrindotStyleChanged",
                                 "capsLockStateChanged"})
            tokens_.push_back(world().notifications.addObserver(
                QString::fromLatin1(name), [this](const platform::Notification& n) { posted.push_back(n); }));
    }

    platform::SimulatedKeyboard& keyboard() { return world().keyboard; }
    platform::MemoryUserDefaults& defaults() { return world().defaults.standard(); }
    int configWrites() { return defaults().writeCount("InputMethodStyleConfig"); }
    int styleWrites() { return defaults().writeCount("BrindotStyle"); }
    int count(const char* name) const
    {
        return static_cast<int>(std::count_if(posted.begin(), posted.end(),
                                              [name](const auto& n) { return n.name == QLatin1String(name); }));
    }
    InputMethodStyleConfig storedConfig()
    {
        return decodeInputMethodStyleConfig(defaults().dataForKey("InputMethodStyleConfig").value_or(QByteArray()))
            .value.value_or(InputMethodStyleConfig{});
    }
    void useSources(std::initializer_list<std::pair<const char*, const char*>> idAndName)
    {
        std::vector<Source> list;
        for (const auto& [id, name] : idAndName)
            list.push_back(platform::SimulatedKeyboard::keyboardSource(QString::fromUtf8(id), QString::fromUtf8(name)));
        keyboard().setSources(list);
        keyboard().select(list.front().id);
    }

    // English and pinyin, the feature started with its first preset draws, nothing posted yet.
    void startWithEnglishAndPinyin()
    {
        useSources({{"xkb:us::eng", "English (US)"}, {"pinyin", "中文拼音"}});
        picks = {0, 0, 0, 0};
        InputMethodStyleFeature::initializeAtLaunch();
        world().runFor(0);
        posted.clear();
    }

    std::deque<int> picks;
    std::vector<platform::Notification> posted;

private:
    std::vector<platform::NotificationToken> tokens_;
};

}  // namespace zorbel::testing
