#pragma once

#include "Platform/Simulated/SimulatedEventMonitor.h"
#include "support/SimulatedDesktopTest.h"

#include <QRectF>

#include <list>

namespace zorbel::testing {

// A simulated desktop with global mouse events and two text applications:
// an editor (pid 41) and a notes application (pid 42), each with a window
// holding two text fields. Characters are 8 x 16 boxes from each field's
// top-left corner; the one screen is 1920 x 1080.
class CaretDesktopTest : public SimulatedDesktopTest {
protected:
    void SetUp() override
    {
        SimulatedDesktopTest::SetUp();
        world().extra.eventMonitor = &mouse_;
        world().install();
        editor = &addTextApplication(41, QStringLiteral("org.example.editor"), QStringLiteral("Editor"), 0);
        notes = &addTextApplication(42, QStringLiteral("org.example.notes"), QStringLiteral("Notes"), 1);
    }

    struct TextApplication {
        platform::SimulatedApplication* app = nullptr;
        platform::SimulatedElement* window = nullptr;
        platform::SimulatedElement* first = nullptr;
        platform::SimulatedElement* second = nullptr;
    };

    // Fields at (100, 200 + 300 * row) and 40 px below.
    TextApplication& addTextApplication(std::int32_t pid, const QString& bundleIdentifier, const QString& name,
                                        int row)
    {
        auto& app = addApplication(pid, bundleIdentifier, name);
        const double top = 200 + 300 * row;
        auto& window = app.addWindow(name, QRectF(50, top - 50, 800, 250));
        auto& first = window.addTextField(QRectF(100, top, 300, 20), QStringLiteral("hello"));
        auto& second = window.addTextField(QRectF(100, top + 40, 300, 20), QStringLiteral("world"));
        applications_.push_back({&app, &window, &first, &second});
        return applications_.back();
    }

    // Makes the application frontmost with the element focused, and lets
    // the announcements arrive.
    void activate(const TextApplication& a, platform::SimulatedElement& focus)
    {
        desktop().focus(focus);
        desktop().activate(*a.app);
        deliver();
    }

    platform::SimulatedEventMonitor& mouse() { return mouse_; }

    TextApplication* editor = nullptr;
    TextApplication* notes = nullptr;

private:
    platform::SimulatedEventMonitor mouse_;
    std::list<TextApplication> applications_;
};

}  // namespace zorbel::testing
