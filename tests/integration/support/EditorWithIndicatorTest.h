#pragma once

// Tests with the program in-process through the Linux services beside an editor (GTK 3 unless
// told) whose
// caret the indicator marks. Header only: its users link zorbel_ui and zorbel_linux.
#include "Caret/Managers/BrindotManager.h"
#include "Caret/Managers/PerfectCaretManager.h"
#include "Caret/UI/PerfectCaretWindowController.h"
#include "Platform/Services.h"
#include "Shell/SettingsWindowController.h"
#include "Shell/StatusBarManager.h"
#include "support/AccessibilityProbe.h"
#include "support/DesktopTools.h"
#include "support/LinuxServices.h"
#include "support/Poll.h"
#include "support/TextClient.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace zorbel::integration {

// Clicks the middle of one of the program's own widgets with the pointer, as a user would, and
// waits until the button's release has reached it or a child of it: its click handlers have run.
inline bool clickWidget(QWidget* widget)
{
    if (!widget) return false;
    struct Release : QObject {
        QPointer<QWidget> target;
        bool seen = false;
        bool eventFilter(QObject* receiver, QEvent* event) override
        {
            if (event->type() == QEvent::MouseButtonRelease && receiver->isWidgetType() && target &&
                (receiver == target || target->isAncestorOf(static_cast<QWidget*>(receiver))))
                seen = true;
            return false;
        }
    } release;
    release.target = widget;
    qApp->installEventFilter(&release);
    const bool clicked = clickAt(widget->mapToGlobal(widget->rect().center())) &&
                         pollUntil([&] { return release.seen; }, std::chrono::seconds(5));
    qApp->removeEventFilter(&release);
    return clicked;
}

class EditorWithIndicatorTest : public ::testing::Test {
protected:
    void SetUp() override { services_ = std::make_unique<LinuxServices>(); }
    void TearDown() override
    {
        if (auto* c = SettingsWindowController::shared()) delete c;
        client_.reset();
        resetSharedInstances();
        services_.reset();
    }

    static QWidget* panel() { return BrindotManager::shared().perfectCaretManager().windowController().window(); }

    // Starts the editor, turns the indicator on as the program's start and its tray switch do
    // (`atLaunch` adds what else the program starts) and types until the indicator shows.
    void startEditor(void (*atLaunch)() = nullptr, Toolkit toolkit = Toolkit::Gtk3)
    {
        QString error;
        client_ = TextClient::start(toolkit, {QStringLiteral("Editor"), QRect(40, 40, 480, 320)}, &error);
        ASSERT_TRUE(client_) << error.toStdString();
        ASSERT_TRUE(pollUntil([&] { return isRegistered(client_->pid()); }, 10s));
        const QRect window = *windowGeometry(client_->windowId());
        entry_ = {window.center().x(), window.top() + 20};
        BrindotManager::shared();
        if (atLaunch) atLaunch();
        StatusBarManager::shared().setIsBrindotEnabled(true);
        platform::notificationCenter().post(QString::fromLatin1(BrindotManager::toggleNotification), QVariant(true));
        ASSERT_TRUE(focusWindow(client_->windowId()));
        ASSERT_TRUE(clickAt(entry_));
        ASSERT_TRUE(typeText(QStringLiteral("xx")));
        ASSERT_TRUE(pollUntil([] { return isViewable(panel()->winId()) == true; }, 8s)) << "the indicator shows";
    }

    std::unique_ptr<LinuxServices> services_;
    std::unique_ptr<TextClient> client_;
    QPoint entry_;
};

}  // namespace zorbel::integration
