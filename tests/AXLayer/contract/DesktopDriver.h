#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace zorbel::contract {

// One of the two text elements of the test application.
enum class TextElement { field, area };

// The test application: one window holding a single-line text field and,
// below it, a multi-line text area.
struct TextApplicationLayout {
    QString windowTitle = QStringLiteral("Contract");
    QString fieldText;
    std::int64_t fieldCaret = 0;
    QString areaText;
    std::int64_t areaCaret = 0;
};

struct LaunchedApplication {
    std::int32_t pid = 0;
    std::optional<QString> bundleIdentifier;
};

// What the accessibility contract suite needs of a desktop: a simulated one,
// or a real one (a headless X server with GTK or Qt clients) behind the Linux
// services. Every operation returns once its effect is visible through the
// installed accessibility and workspace services.
class DesktopDriver {
public:
    virtual ~DesktopDriver() = default;  // ends what it started, uninstalls its services

    // Installs the services under test (accessibility, workspace, scheduler,
    // notification centre, log, console). Called once before each test.
    virtual void setUp() = 0;
    // Starts the test application; its window and both text elements are on
    // the accessibility desktop when this returns.
    virtual LaunchedApplication launch(const TextApplicationLayout& layout) = 0;
    // Makes the application frontmost and gives the element keyboard focus.
    virtual void focus(std::int32_t pid, TextElement element) = 0;
    // Moves the caret of the focused element.
    virtual void moveCaret(std::int32_t pid, TextElement element, std::int64_t position) = 0;
    // Ends the process; returns when it is gone.
    virtual void quit(std::int32_t pid) = 0;
    // The process stops answering (for a real one: stopped by a signal), and
    // answers again after resume().
    virtual void hang(std::int32_t pid) = 0;
    virtual void resume(std::int32_t pid) = 0;

    // Runs the main loop until the condition holds; false when it still does
    // not after a generous limit.
    virtual bool waitUntil(const std::function<bool()>& condition) = 0;
    // Watches for something that must not happen (a notification that should
    // not arrive) for as long as notifications already under way take to
    // arrive; true when it never held.
    virtual bool stillNot(const std::function<bool()>& unwanted) = 0;
};

struct DriverParam {
    std::string name;
    std::function<std::unique_ptr<DesktopDriver>()> make;
};
inline void PrintTo(const DriverParam& param, std::ostream* out) { *out << param.name; }

}  // namespace zorbel::contract
