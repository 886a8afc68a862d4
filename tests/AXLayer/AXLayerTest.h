#pragma once

#include "AXLayer/AXLayer.h"
#include "support/AXPrinters.h"
#include "support/SimulatedDesktopTest.h"

namespace zorbel::testing {

// A desktop with one application, "Notes" (pid 512, "com.example.notes"):
// a window titled "Notes" holding a text field, a text area and a button.
class AXLayerTest : public SimulatedDesktopTest {
protected:
    void SetUp() override
    {
        SimulatedDesktopTest::SetUp();
        notes = &addApplication(512, QStringLiteral("com.example.notes"), QStringLiteral("Notes"));
        window = &notes->addWindow(QStringLiteral("Notes"), QRectF(100, 100, 400, 300));
        field = &window->addTextField(QRectF(110, 110, 380, 20), QStringLiteral("hello"));
        area = &window->addTextArea(QRectF(110, 140, 380, 200), QStringLiteral("one\ntwo"));
        button = &window->addButton(QStringLiteral("OK"), QRectF(400, 360, 80, 30));
        deliver();
    }

    static UIElement wrap(const platform::SimulatedElement* element) { return UIElement(element->ref()); }

    // "value", "none", "true", "false", a list's entries, or the reported error.
    template <class F>
    static QString outcome(F&& operation)
    {
        try {
            return operation();
        } catch (const AXError& error) {
            return error.description();
        }
    }

    platform::SimulatedApplication* notes = nullptr;
    platform::SimulatedElement* window = nullptr;
    platform::SimulatedElement* field = nullptr;
    platform::SimulatedElement* area = nullptr;
    platform::SimulatedElement* button = nullptr;
};

}  // namespace zorbel::testing
