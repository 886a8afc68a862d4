#pragma once

#include "Platform/InputSources.h"

#include <QObject>

#include <array>

class QDBusServiceWatcher;
class QTimer;

namespace zorbel::platform {

// Fcitx 5 through its controller on the session bus: the input methods of the
// current group and the current one. Fcitx announces changes of its groups but
// not of the current input method, so recheck() is called when a key is
// released (the switch keys) and tells the observers when it changed. The
// question is asked without waiting, and again a little later: Fcitx handles a
// key only once the focused application has passed it on, which on a busy
// desktop comes after the release reaches this program.
class Fcitx5InputSources final : public QObject, public InputSourceService {
    Q_OBJECT
public:
    Fcitx5InputSources();

    // Whether the controller's name has an owner: asked of the bus only while
    // Fcitx was last seen running, so nothing is asked where it never ran.
    bool isAvailable();

    InputSourceListing enabledSources() override;
    std::optional<InputSourceProperties> currentKeyboardSource() override;
    rx::Cancellable observeSelectionChanges(std::function<void()> handler) override;
    rx::Cancellable observeAvailability(std::function<void()> handler) { return availabilityObservers_.add(std::move(handler)); }

    // Asks for the current input method again, now and after each of
    // recheckDelaysMs; observers hear of a change. Never waits for Fcitx.
    void recheck();
    static constexpr std::array<int, 4> recheckDelaysMs{50, 200, 600, 2000};

private slots:
    void groupsChanged();

private:
    QStringList groupMembers() const;
    QString currentId() const;
    void ask();
    void answered(quint64 serial, const QString& id);

    QDBusServiceWatcher* watcher_ = nullptr;
    QTimer* again_ = nullptr;
    std::size_t againStep_ = 0;
    QString lastId_;
    // The group's first input method, what Fcitx starts an input context with;
    // read once per group change.
    std::optional<QString> firstMember_;
    quint64 asked_ = 0;
    quint64 applied_ = 0;
    bool running_ = false;
    ObserverList<> selectionObservers_;
    ObserverList<> availabilityObservers_;
};

// One entry of the controller's list of input methods: (unique name, name,
// native name, icon, label, language code, configurable).
InputSourceProperties fcitxInputMethodSource(const QVariantList& fields);

}  // namespace zorbel::platform
