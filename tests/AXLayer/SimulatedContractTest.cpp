// The accessibility contract, run against the simulated desktop.
#include "contract/AccessibilityContract.h"

#include "Platform/Simulated/SimulatedDesktop.h"
#include "support/TestWorld.h"

#include <map>

namespace zorbel::contract {
namespace {

using namespace zorbel::platform;

class SimulatedDriver final : public DesktopDriver {
public:
    ~SimulatedDriver() override
    {
        world_.reset();
        desktop_.reset();
    }

    void setUp() override
    {
        world_ = std::make_unique<testing::TestWorld>();
        desktop_ = std::make_unique<SimulatedDesktop>();
        world_->extra.accessibility = &desktop_->accessibility();
        world_->extra.workspace = &desktop_->workspace();
        world_->install();
    }

    LaunchedApplication launch(const TextApplicationLayout& layout) override
    {
        const auto pid = nextPid_++;
        const auto bundle = QStringLiteral("org.zorbel.contract%1").arg(pid);
        auto& app = desktop_->addApplication({pid, bundle, QStringLiteral("Contract"), ActivationPolicy::regular});
        auto& window = app.addWindow(layout.windowTitle, QRectF(100, 100, 400, 300));
        auto& field = window.addTextField(QRectF(110, 130, 380, 24), layout.fieldText).setCaret(layout.fieldCaret);
        auto& area = window.addTextArea(QRectF(110, 170, 380, 200), layout.areaText).setCaret(layout.areaCaret);
        elements_[pid] = {&field, &area};
        world_->scheduler.runPending();
        return {pid, bundle};
    }

    void focus(std::int32_t pid, TextElement element) override
    {
        desktop_->activate(*desktop_->application(pid));
        desktop_->focus(elementOf(pid, element));
    }

    void moveCaret(std::int32_t pid, TextElement element, std::int64_t position) override
    {
        elementOf(pid, element).setCaret(position);
    }

    void quit(std::int32_t pid) override { desktop_->quit(*desktop_->application(pid)); }
    void hang(std::int32_t pid) override { desktop_->application(pid)->hang(true); }
    void resume(std::int32_t pid) override { desktop_->application(pid)->hang(false); }

    bool waitUntil(const std::function<bool()>& condition) override
    {
        for (int turn = 0; turn < 100; ++turn) {
            if (condition()) return true;
            world_->runFor(0.01);
        }
        return condition();
    }

    bool stillNot(const std::function<bool()>& unwanted) override
    {
        world_->runFor(0.05);
        return !unwanted();
    }

private:
    SimulatedElement& elementOf(std::int32_t pid, TextElement element)
    {
        const auto& pair = elements_.at(pid);
        return element == TextElement::field ? *pair.first : *pair.second;
    }

    std::unique_ptr<testing::TestWorld> world_;
    std::unique_ptr<SimulatedDesktop> desktop_;
    std::map<std::int32_t, std::pair<SimulatedElement*, SimulatedElement*>> elements_;
    std::int32_t nextPid_ = 7001;
};

}  // namespace

std::unique_ptr<DesktopDriver> makeSimulatedDriver() { return std::make_unique<SimulatedDriver>(); }

INSTANTIATE_TEST_SUITE_P(Simulated, AccessibilityContract,
                         ::testing::Values(DriverParam{"Simulated", makeSimulatedDriver}), driverName);

}  // namespace zorbel::contract
