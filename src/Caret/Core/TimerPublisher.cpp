#include "Caret/Core/TimerPublisher.h"

#include "Platform/Scheduler.h"
#include "Platform/Services.h"

namespace zorbel {

rx::Publisher<double> makeTimerPublisher(double every)
{
    return rx::Publisher<double>([every](rx::Subscriber<double> down) {
        auto timer = platform::scheduler().every(every, [receive = std::move(down.receive)] {
            receive(platform::scheduler().now());
        });
        return rx::Cancellable([timer] { timer->cancel(); });
    });
}

}  // namespace zorbel
