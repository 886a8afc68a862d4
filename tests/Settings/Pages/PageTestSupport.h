#pragma once

#include "Platform/NotificationCenter.h"
#include "support/TestWorld.h"

#include <QApplication>
#include <QWidget>

#include <memory>
#include <vector>

namespace zorbel::testing {

// Counts what a page writes and posts while it is shown and used.
class PageRecorder {
public:
    explicit PageRecorder(TestWorld& world) : world_(world)
    {
        token_ = world.notifications.addObserver({}, [this](const platform::Notification& n) { posted.push_back(n.name); });
    }
    // Every write to the standard domain and the basic switches' suite.
    int writes() const
    {
        int total = 0;
        auto& standard = world_.defaults.standard();
        for (const auto& key : standard.keys()) total += standard.writeCount(key);
        auto& suite = world_.defaults.memorySuite(QStringLiteral("quellan.brindot"));
        for (const auto& key : suite.keys()) total += suite.writeCount(key);
        return total;
    }
    int writes(const QString& key) const { return world_.defaults.standard().writeCount(key); }
    QStringList posted;

private:
    TestWorld& world_;
    platform::NotificationToken token_;
};

// Shows a page in a window of the settings page column's width and lets
// queued work run.
inline std::unique_ptr<QWidget> showPage(QWidget* page, int width = 380)
{
    auto window = std::make_unique<QWidget>();
    page->setParent(window.get());
    window->resize(width, 2400);
    page->resize(width, 2400);
    window->show();
    QApplication::processEvents();
    return window;
}

template <class T>
T* find(QWidget* root, const QString& name)
{
    return root->findChild<T*>(name);
}

}  // namespace zorbel::testing
