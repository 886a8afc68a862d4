#pragma once

// The accessibility contract's desktop driver on the real desktop: the Linux
// services over a headless X server, with GTK 3 or Qt 6 text clients.
#include "contract/DesktopDriver.h"

#include "Platform/Accessibility.h"
#include "support/TextClient.h"

#include <map>
#include <memory>

namespace zorbel::integration {

class LinuxDesktopDriver final : public contract::DesktopDriver {
public:
    explicit LinuxDesktopDriver(Toolkit toolkit);
    ~LinuxDesktopDriver() override;

    void setUp() override;
    contract::LaunchedApplication launch(const contract::TextApplicationLayout& layout) override;
    void focus(std::int32_t pid, contract::TextElement element) override;
    void moveCaret(std::int32_t pid, contract::TextElement element, std::int64_t position) override;
    void quit(std::int32_t pid) override;
    void hang(std::int32_t pid) override;
    void resume(std::int32_t pid) override;
    bool waitUntil(const std::function<bool()>& condition) override;
    bool stillNot(const std::function<bool()>& unwanted) override;

    // The text elements and the client of a launched application.
    platform::AXElementRef textElement(std::int32_t pid, contract::TextElement element)
    {
        return elementOf(pid, element);
    }
    TextClient& client(std::int32_t pid) { return *launched_.at(pid).client; }

private:
    struct Launched {
        std::unique_ptr<TextClient> client;
        platform::AXElementRef field;
        platform::AXElementRef area;
        std::int64_t fieldCaret = 0;
        std::int64_t areaCaret = 0;
        // The driver's own observer: an operation returns once the toolkit's
        // notifications of it have arrived, so none reaches a later observer.
        platform::AXObserverRef observer;
        std::shared_ptr<std::vector<std::pair<platform::AXElementRef, QString>>> heard;
    };
    struct Services;

    platform::AXElementRef& elementOf(std::int32_t pid, contract::TextElement element);
    std::int64_t& caretOf(std::int32_t pid, contract::TextElement element);
    bool findTextElements(std::int32_t pid, Launched& launched);
    void setCaret(std::int32_t pid, const platform::AXElementRef& element, std::int64_t position);
    bool observe(std::int32_t pid, Launched& launched);
    bool heardSince(std::int32_t pid, std::size_t mark, const platform::AXElementRef& element,
                    const QString& notification);

    Toolkit toolkit_;
    std::unique_ptr<Services> services_;
    std::map<std::int32_t, Launched> launched_;
    int launchCount_ = 0;
};

}  // namespace zorbel::integration
