#include "Platform/Linux/Atspi/AtspiEvents.h"

#include "Platform/LogSink.h"

#include <QTimer>

#include <atspi/atspi.h>

#include <unistd.h>

namespace zorbel::platform::atspi {

namespace {
const char* const eventTypes[] = {
    "object:state-changed:focused", "object:text-caret-moved", "object:text-selection-changed",
    "object:text-changed",          "object:bounds-changed",   "window:activate",
    "window:deactivate",            "window:create",           "window:destroy",
};
}  // namespace

EventHub& EventHub::instance()
{
    static EventHub* hub = new EventHub();
    return *hub;
}

EventHub::EventHub()
{
    auto& runtime = Runtime::instance();
    // While the bus is gone nothing else would ask for it again.
    retry_ = new QTimer(this);
    retry_->setInterval(std::chrono::seconds(5));
    connect(retry_, &QTimer::timeout, this, [] { Runtime::instance().available(); });
    runtime.beforeRelease([this] { release(); });
    runtime.onBusChange([this](bool up) {
        if (!up) {
            retry_->start();
            return;
        }
        retry_->stop();
        start();
    });
}

void EventHub::release()
{
    auto* listener = static_cast<AtspiEventListener*>(listener_);
    for (const char* type : eventTypes) {
        if (listener) atspi_event_listener_deregister(listener, type, nullptr);
    }
    if (listener) g_object_unref(listener);
    listener_ = nullptr;
    started_ = false;
    queue_.clear();
}

bool EventHub::start()
{
    if (started_) return true;
    if (!Runtime::instance().available()) return false;
    started_ = true;
    AtspiEventListener* listener = atspi_event_listener_new(
        reinterpret_cast<AtspiEventListenerCB>(&EventHub::onEvent), this, nullptr);
    listener_ = listener;
    for (const char* type : eventTypes) {
        GError* error = nullptr;
        if (!atspi_event_listener_register(listener, type, &error)) {
            ZORBEL_PLATFORM_WARNING(QStringLiteral("Cannot listen to ") + QLatin1String(type) + QStringLiteral(": ") +
                                    QString::fromUtf8(error ? error->message : "unknown error"));
        }
        if (error) g_error_free(error);
    }
    return true;
}

void EventHub::onEvent(void* rawEvent, void* self)
{
    auto* event = static_cast<AtspiEvent*>(rawEvent);
    EventRecord record;
    record.type = QString::fromUtf8(event->type ? event->type : "");
    record.detail1 = event->detail1;
    record.detail2 = event->detail2;
    record.source = retain(event->source);
    if (G_VALUE_HOLDS(&event->any_data, ATSPI_TYPE_RECT)) {
        if (auto* rect = static_cast<AtspiRect*>(g_value_get_boxed(&event->any_data)))
            record.bounds = QRect(rect->x, rect->y, rect->width, rect->height);
    }
    g_boxed_free(ATSPI_TYPE_EVENT, event);
    if (record.source) static_cast<EventHub*>(self)->enqueue(std::move(record));
}

void EventHub::enqueue(EventRecord record)
{
    queue_.push_back(std::move(record));
    if (scheduled_) return;
    scheduled_ = true;
    QTimer::singleShot(0, this, [this] { flush(); });
}

int EventHub::subscribe(Subscriber subscriber)
{
    subscribers_.emplace_back(nextId_, std::move(subscriber));
    return nextId_++;
}

void EventHub::unsubscribe(int id)
{
    for (auto it = subscribers_.begin(); it != subscribers_.end(); ++it) {
        if (it->first == id) {
            it->second = nullptr;  // removed after the current delivery
            return;
        }
    }
}

void EventHub::flush()
{
    scheduled_ = false;
    if (flushing_) return;
    flushing_ = true;
    auto& runtime = Runtime::instance();
    const std::int32_t self = static_cast<std::int32_t>(::getpid());
    while (!queue_.empty()) {
        EventRecord record = std::move(queue_.front());
        queue_.pop_front();
        const auto pid = runtime.pidOf(record.source.get());
        if (!pid || *pid == self) continue;
        record.pid = *pid;
        // An application that sends events is answering again.
        runtime.clearHung(busName(record.source.get()));
        const std::size_t count = subscribers_.size();
        for (std::size_t i = 0; i < count && i < subscribers_.size(); ++i) {
            Subscriber subscriber = subscribers_[i].second;
            if (subscriber) subscriber(record);
        }
    }
    std::erase_if(subscribers_, [](const auto& entry) { return !entry.second; });
    flushing_ = false;
}

}  // namespace zorbel::platform::atspi
