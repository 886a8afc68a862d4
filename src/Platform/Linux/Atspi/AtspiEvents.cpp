#include "Platform/Linux/Atspi/AtspiEvents.h"

#include "Platform/Linux/Atspi/AtspiFacts.h"

#include "Platform/LatencyTrace.h"
#include "Platform/LogSink.h"

#include <QTimer>

#include <atspi/atspi.h>

#include <unistd.h>

namespace zorbel::platform::atspi {

namespace {
// Every change of the states read, of children, role, parent, name and text
// attributes is heard, so that what objects said of themselves can be
// remembered until it changes. Not "defunct": libatspi sends that itself, synchronously, from
// inside the release of each of its objects, and a listener that kept the
// object would bring it back to be released again, without end.
const char* const eventTypes[] = {
    "object:state-changed:focused",
    "object:state-changed:active",
    "object:state-changed:showing",
    "object:state-changed:visible",
    "object:state-changed:enabled",
    "object:state-changed:editable",
    "object:state-changed:multi-line",
    "object:state-changed:single-line",
    "object:children-changed",
    "object:property-change:accessible-name",
    "object:property-change:accessible-role",
    "object:property-change:accessible-parent",
    "object:text-caret-moved",
    "object:active-descendant-changed",
    "object:text-selection-changed",
    "object:text-changed",
    "object:bounds-changed",
    "object:text-attributes-changed",
    "window:activate",
    "window:deactivate",
    "window:create",
    "window:destroy",
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
    latency::heard();
    auto* event = static_cast<AtspiEvent*>(rawEvent);
    EventRecord record;
    record.type = QString::fromUtf8(event->type ? event->type : "");
    record.detail1 = event->detail1;
    record.detail2 = event->detail2;
    record.source = retain(event->source);
    if (G_VALUE_HOLDS(&event->any_data, ATSPI_TYPE_RECT)) {
        if (auto* rect = static_cast<AtspiRect*>(g_value_get_boxed(&event->any_data)))
            record.bounds = QRect(rect->x, rect->y, rect->width, rect->height);
    } else if (G_VALUE_HOLDS(&event->any_data, ATSPI_TYPE_ACCESSIBLE)) {
        record.child = retain(static_cast<AtspiAccessible*>(g_value_get_object(&event->any_data)));
    } else if (G_VALUE_HOLDS_STRING(&event->any_data)) {
        record.text = QString::fromUtf8(g_value_get_string(&event->any_data));
    }
    g_boxed_free(ATSPI_TYPE_EVENT, event);
    if (!record.source) return;
    ObjectFacts::instance().take(record);
    static_cast<EventHub*>(self)->enqueue(std::move(record));
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

namespace {
bool isCaretEvent(const EventRecord& record) { return record.type.startsWith(QLatin1String("object:text-caret-moved")); }

// Whether a caret event of the same object came in the same batch, before or
// after the text change.
bool caretEventBeside(const EventRecord& change, const std::deque<EventRecord>& queue,
                      const std::vector<AccPtr>& caretSources)
{
    for (const AccPtr& source : caretSources)
        if (sameObject(source.get(), change.source.get())) return true;
    for (const EventRecord& other : queue)
        if (isCaretEvent(other) && sameObject(other.source.get(), change.source.get())) return true;
    return false;
}
}  // namespace

void EventHub::flush()
{
    scheduled_ = false;
    if (flushing_) return;
    latency::delivering();
    flushing_ = true;
    auto& runtime = Runtime::instance();
    const std::int32_t self = static_cast<std::int32_t>(::getpid());
    std::vector<AccPtr> caretSources;
    while (!queue_.empty()) {
        EventRecord record = std::move(queue_.front());
        queue_.pop_front();
        const auto pid = runtime.pidOf(record.source.get());
        if (!pid || *pid == self) continue;
        record.pid = *pid;
        if (isCaretEvent(record)) caretSources.push_back(record.source);
        else if (record.type.startsWith(QLatin1String("object:text-changed")))
            record.withCaretEvent = caretEventBeside(record, queue_, caretSources);
        // An application that sends events is answering again.
        runtime.clearHung(busName(record.source.get()));
        runtime.heardFrom(record.pid);
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
