#pragma once

#include "Platform/Linux/Atspi/AtspiRuntime.h"

#include <QObject>
#include <QRect>
#include <QTimer>

#include <deque>
#include <functional>
#include <vector>

namespace zorbel::platform::atspi {

// One AT-SPI event, copied out of libatspi.
struct EventRecord {
    QString type;  // "object:state-changed:focused", "window:activate", ...
    int detail1 = 0;
    int detail2 = 0;
    AccPtr source;
    QRect bounds;  // the new bounds of a bounds change (root coordinates)
    AccPtr child;  // the child added or removed by a children change
    QString text;  // the text a text change inserted or removed
    std::int32_t pid = 0;
    // Set by the focus tracker when a focus event changed nothing.
    bool duplicate = false;
    // A text change that came with a caret event of the same object.
    bool withCaretEvent = false;
};

// Receives AT-SPI events and hands them to its subscribers on a later turn
// of the main loop. libatspi may run its listeners inside any call we make,
// so nothing is done there but copying the event; events of this process
// are dropped.
class EventHub final : public QObject {
    Q_OBJECT
public:
    static EventHub& instance();

    // Registers the listeners once the accessibility bus is there.
    bool start();
    using Subscriber = std::function<void(EventRecord&)>;
    int subscribe(Subscriber subscriber);
    void unsubscribe(int id);

    // Delivers what has arrived so far (tests and synchronous lookups).
    void flush();

private:
    EventHub();
    static void onEvent(void* event, void* self);
    void enqueue(EventRecord record);
    // Lets go of the listeners of a lost bus; they are registered again
    // when a bus answers.
    void release();

    void* listener_ = nullptr;
    QTimer* retry_ = nullptr;
    bool started_ = false;
    bool scheduled_ = false;
    bool flushing_ = false;
    std::deque<EventRecord> queue_;
    std::vector<std::pair<int, Subscriber>> subscribers_;
    int nextId_ = 1;
};

}  // namespace zorbel::platform::atspi
