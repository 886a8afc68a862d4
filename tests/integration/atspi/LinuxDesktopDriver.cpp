#include "LinuxDesktopDriver.h"

#include "Platform/Services.h"
#include "support/DesktopTools.h"
#include "support/LinuxServices.h"
#include "support/Poll.h"

#include <gtest/gtest.h>

#include <csignal>
#include <deque>

namespace zorbel::integration {

using namespace zorbel::platform;

struct LinuxDesktopDriver::Services : LinuxServices {};

namespace {
QString roleOf(const AXElementRef& element)
{
    AXValue value;
    if (accessibility().attributeValue(element, "AXRole", value) != axcode::success || !value.string()) return {};
    return *value.string();
}

// Line feeds go in as Return presses.
bool typeLines(const QString& text)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0 && !pressKeys(QStringLiteral("Return"))) return false;
        if (!lines[i].isEmpty() && !typeText(lines[i])) return false;
    }
    return true;
}

bool isFocused(const AXElementRef& element)
{
    AXValue value;
    return accessibility().attributeValue(element, "AXFocused", value) == axcode::success && value.boolean() &&
           *value.boolean();
}
}  // namespace

LinuxDesktopDriver::LinuxDesktopDriver(Toolkit toolkit) : toolkit_(toolkit) {}

LinuxDesktopDriver::~LinuxDesktopDriver()
{
    launched_.clear();
    installServices({});
    services_.reset();
}

void LinuxDesktopDriver::setUp() { services_ = std::make_unique<Services>(); }

bool LinuxDesktopDriver::findTextElements(std::int32_t pid, Launched& launched)
{
    AXValue windows;
    if (accessibility().attributeValue(accessibility().applicationElement(pid), "AXWindows", windows) ||
        !windows.array())
        return false;
    std::deque<AXElementRef> queue;
    for (const auto& w : *windows.array())
        if (w.element()) queue.push_back(*w.element());
    for (int visited = 0; !queue.empty() && visited < 300; ++visited) {
        AXElementRef element = queue.front();
        queue.pop_front();
        const QString role = roleOf(element);
        if (role == "AXTextField" && !launched.field) launched.field = element;
        if (role == "AXTextArea" && !launched.area) launched.area = element;
        AXValue children;
        if (accessibility().attributeValue(element, "AXChildren", children) == axcode::success && children.array())
            for (const auto& c : *children.array())
                if (c.element()) queue.push_back(*c.element());
    }
    return launched.field && launched.area;
}

bool LinuxDesktopDriver::observe(std::int32_t pid, Launched& launched)
{
    launched.heard = std::make_shared<std::vector<std::pair<AXElementRef, QString>>>();
    auto heard = launched.heard;
    if (accessibility().createObserver(
            pid, [heard](const AXElementRef& e, const QString& name, const AXValue&) { heard->emplace_back(e, name); },
            launched.observer))
        return false;
    const AXElementRef app = accessibility().applicationElement(pid);
    return accessibility().addNotification(launched.observer, app, "AXFocusedUIElementChanged") == axcode::success &&
           accessibility().addNotification(launched.observer, app, "AXSelectedTextChanged") == axcode::success;
}

bool LinuxDesktopDriver::heardSince(std::int32_t pid, std::size_t mark, const AXElementRef& element,
                                    const QString& notification)
{
    const auto& heard = *launched_.at(pid).heard;
    for (std::size_t i = mark; i < heard.size(); ++i)
        if (heard[i].first == element && heard[i].second == notification) return true;
    return false;
}

void LinuxDesktopDriver::setCaret(std::int32_t pid, const AXElementRef& element, std::int64_t position)
{
    const AXValue wanted(AXRange{position, 0});
    auto current = [&] {
        AXValue range;
        accessibility().attributeValue(element, "AXSelectedTextRange", range);
        return range;
    };
    if (current() == wanted) return;
    const std::size_t mark = launched_.at(pid).heard->size();
    EXPECT_EQ(accessibility().setAttributeValue(element, "AXSelectedTextRange", wanted), axcode::success);
    EXPECT_TRUE(waitUntil([&] { return current() == wanted; })) << "the caret moves to " << position;
    EXPECT_TRUE(waitUntil([&] { return heardSince(pid, mark, element, "AXSelectedTextChanged"); }))
        << "the caret move is notified";
}

contract::LaunchedApplication LinuxDesktopDriver::launch(const contract::TextApplicationLayout& layout)
{
    ClientOptions options;
    options.title = layout.windowTitle;
    options.geometry = QRect(100 + 60 * launchCount_, 80 + 40 * launchCount_, 480, 320);
    ++launchCount_;
    QString error;
    Launched launched;
    launched.client = TextClient::start(toolkit_, options, &error);
    if (!launched.client) {
        ADD_FAILURE() << error.toStdString();
        return {};
    }
    const auto pid = static_cast<std::int32_t>(launched.client->pid());
    EXPECT_TRUE(focusWindow(launched.client->windowId()));
    EXPECT_TRUE(waitUntil([&] { return findTextElements(pid, launched); })) << "the text elements appear";
    EXPECT_TRUE(observe(pid, launched));

    EXPECT_TRUE(waitUntil([&] { return isFocused(launched.field); }));
    EXPECT_TRUE(typeLines(layout.fieldText));
    // Keys still queued in the client would follow the focus into the area.
    EXPECT_TRUE(waitUntil([&] {
        AXValue typed;
        accessibility().attributeValue(launched.field, "AXValue", typed);
        return typed == AXValue(layout.fieldText);
    })) << "the field's text arrives before the focus moves on";
    accessibility().setAttributeValue(launched.area, "AXFocused", true);
    EXPECT_TRUE(waitUntil([&] { return isFocused(launched.area); }));
    EXPECT_TRUE(typeLines(layout.areaText));
    AXValue field, area;
    EXPECT_TRUE(waitUntil([&] {
        accessibility().attributeValue(launched.field, "AXValue", field);
        accessibility().attributeValue(launched.area, "AXValue", area);
        return field == AXValue(layout.fieldText) && area == AXValue(layout.areaText);
    })) << "the typed texts arrive: " << (field.string() ? field.string()->toStdString() : "?") << " / "
        << (area.string() ? area.string()->toStdString() : "?");
    launched.fieldCaret = layout.fieldCaret;
    launched.areaCaret = layout.areaCaret;
    const AXElementRef areaElement = launched.area;
    launched_[pid] = std::move(launched);
    setCaret(pid, areaElement, layout.areaCaret);

    contract::LaunchedApplication result;
    result.pid = pid;
    result.bundleIdentifier = toolkit_ == Toolkit::Gtk3 ? QStringLiteral("gtk3_text.py")
                                                        : QStringLiteral("zorbel_qt6_text_client");
    return result;
}

AXElementRef& LinuxDesktopDriver::elementOf(std::int32_t pid, contract::TextElement element)
{
    auto& launched = launched_.at(pid);
    return element == contract::TextElement::field ? launched.field : launched.area;
}

std::int64_t& LinuxDesktopDriver::caretOf(std::int32_t pid, contract::TextElement element)
{
    auto& launched = launched_.at(pid);
    return element == contract::TextElement::field ? launched.fieldCaret : launched.areaCaret;
}

void LinuxDesktopDriver::focus(std::int32_t pid, contract::TextElement which)
{
    EXPECT_TRUE(focusWindow(launched_.at(pid).client->windowId()));
    const AXElementRef element = elementOf(pid, which);
    const bool already = isFocused(element);
    const std::size_t mark = launched_.at(pid).heard->size();
    accessibility().setAttributeValue(element, "AXFocused", true);
    EXPECT_TRUE(waitUntil([&] { return isFocused(element); })) << "the element takes the focus";
    if (!already) {
        EXPECT_TRUE(waitUntil([&] { return heardSince(pid, mark, element, "AXFocusedUIElementChanged"); }))
            << "the focus change is notified";
    }
    // GTK selects a whole entry when it takes the focus; the caret goes back where it was.
    setCaret(pid, element, caretOf(pid, which));
}

void LinuxDesktopDriver::moveCaret(std::int32_t pid, contract::TextElement which, std::int64_t position)
{
    caretOf(pid, which) = position;
    setCaret(pid, elementOf(pid, which), position);
}

void LinuxDesktopDriver::quit(std::int32_t pid)
{
    auto it = launched_.find(pid);
    if (it == launched_.end()) return;
    it->second.client->stop();
}

void LinuxDesktopDriver::hang(std::int32_t pid) { ::kill(pid, SIGSTOP); }

void LinuxDesktopDriver::resume(std::int32_t pid) { ::kill(pid, SIGCONT); }

bool LinuxDesktopDriver::waitUntil(const std::function<bool()>& condition)
{
    return pollUntil(condition, std::chrono::seconds(10));
}

bool LinuxDesktopDriver::stillNot(const std::function<bool()>& unwanted)
{
    // An event an application sent before its answer to the focus question has come well
    // within this: the bus delivers in order, the main loop in a few milliseconds.
    return !pollUntil(unwanted, std::chrono::milliseconds(400));
}

}  // namespace zorbel::integration
