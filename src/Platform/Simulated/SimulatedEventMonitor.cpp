#include "Platform/Simulated/SimulatedEventMonitor.h"

namespace zorbel::platform {

void SimulatedEventMonitor::click(QPointF location)
{
    GlobalEvent e;
    e.type = GlobalEventType::leftMouseDown;
    e.location = location;
    send(e);
}

void SimulatedEventMonitor::changeFlags(const ModifierFlags& flags)
{
    GlobalEvent e;
    e.type = GlobalEventType::flagsChanged;
    e.modifiers = flags;
    send(e);
}

void SimulatedEventMonitor::pressKey(KeyKind kind)
{
    GlobalEvent e;
    e.type = GlobalEventType::keyDown;
    e.key = kind;
    send(e);
}

}  // namespace zorbel::platform
