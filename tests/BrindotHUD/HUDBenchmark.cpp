// Figures, not pass or fail: the cost of showing the HUD on a trigger (the animation's own
// duration excluded), whether anything keeps running while a shown HUD is idle, and the
// resident memory after 1,000 shows. Runs offscreen on the simulated desktop.
#include "BrindotHUD/BrindotHUDManager.h"
#include "BrindotHUD/HUDWindow.h"
#include "Caret/CaretDesktopTest.h"
#include "Caret/Managers/BrindotManager.h"

#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <unistd.h>

using namespace zorbel;

namespace {
double residentMiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const auto fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}
}  // namespace

class HUDBenchmark : public zorbel::testing::CaretDesktopTest {};

TEST_F(HUDBenchmark, ShowCostIdleJobsAndMemory)
{
    world().defaults.memorySuite("quellan.brindot").setBool("isBrindotEnabled", true);
    BrindotHUDConfig c;
    c.contentTypes = {HUDContentType::inputMethod, HUDContentType::time, HUDContentType::battery,
                      HUDContentType::typingCount, HUDContentType::custom};
    world().defaults.standard().setData("BrindotHUDConfig", *encodeJson(c).value);
    BrindotManager::shared();
    auto& hud = BrindotHUDManager::shared();
    activate(*editor, *editor->first);
    world().runFor(0.5);

    auto showOnce = [&] {
        world().notifications.post("functionKeyEvent", {}, {{"source", "mouseClick"}});
        world().runFor(0.05);
        // The captured console lines would otherwise be the growth measured.
        world().console.lines.clear();
        world().log.clear();
    };
    for (int i = 0; i < 20; ++i) showOnce();  // warm caches
    world().runFor(1.0);
    const double before = residentMiB();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 1000; ++i) {
        showOnce();
        world().runFor(0.5);  // the animation ends
    }
    const double perShowMs = static_cast<double>(clock.nsecsElapsed()) / 1e6 / 1000.0;
    const double after = residentMiB();
    world().runFor(1.0);
    std::printf("HUD show, trigger to fully shown (work, animation time excluded): %.2f ms\n", perShowMs);
    std::printf("Jobs scheduled while a shown HUD is idle: %zu\n", world().scheduler.activeJobs());
    std::printf("Resident memory before / after 1,000 shows: %.1f / %.1f MiB\n", before, after);
    EXPECT_NE(hud.hudWindow(), nullptr);
}
