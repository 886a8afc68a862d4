#pragma once

#include "Caret/CaretDesktopTest.h"
#include "Caret/Managers/BrindotManager.h"
#include "Caret/Managers/PermissionManager.h"
#include "Features/InputMethodStyle/Managers/InputMethodStyleMapper.h"
#include "Platform/UserDefaults.h"
#include "Shell/AutoStartupManager.h"
#include "Shell/SettingsWindowController.h"
#include "Shell/ShellTest.h"
#include "Shell/StatusBarManager.h"
#include "Shell/UIStyleManager.h"

#include <QAbstractButton>
#include <QApplication>
#include <QStringList>
#include <QTest>
#include <QWidget>

namespace zorbel::testing {

// The settings window's world as the program has it after its start: the
// managers the window reads exist, every input source has its preset, and
// every notification posted from then on is recorded.
class SettingsDesktopTest : public ShellTestOn<CaretDesktopTest> {
protected:
    void SetUp() override
    {
        ShellTestOn<CaretDesktopTest>::SetUp();
        BrindotManager::shared();
        PermissionManager::shared();
        StatusBarManager::shared();
        UIStyleManager::shared();
        AutoStartupManager::shared();
        InputMethodStyleMapper::shared().refreshMappings();
        deliver();
        everything_ = world().notifications.addObserver(
            QString(), [this](const platform::Notification& n) { posted_ << n.name; });
    }
    void TearDown() override
    {
        if (auto* c = SettingsWindowController::shared()) delete c;
        QApplication::processEvents();
        ShellTestOn<CaretDesktopTest>::TearDown();
    }

    // A control of the open window by its object name.
    template <class T = QWidget>
    T* find(const QString& name)
    {
        auto* w = SettingsWindowController::shared()->window()->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    void openTab(const QString& id)
    {
        QTest::mouseClick(find<QAbstractButton>(QStringLiteral("tab.") + id), Qt::LeftButton);
        QApplication::processEvents();
    }

    // Writes to either settings domain since the test began.
    int writes()
    {
        int n = 0;
        for (auto* domain : {static_cast<platform::MemoryUserDefaults*>(&world().defaults.standard()),
                             &world().defaults.memorySuite(QStringLiteral("quellan.brindot"))})
            for (const auto& key : domain->keys()) n += domain->writeCount(key);
        return n;
    }

    QStringList posted_;
    platform::NotificationToken everything_;
};

}  // namespace zorbel::testing
