#pragma once

#include "Platform/InputSources.h"

#include <QObject>

#include <array>

class QDBusServiceWatcher;
class QTimer;

namespace zorbel::platform {

// Fcitx 5 through its controller on the session bus: the input methods of the
// current group and the current one. Fcitx announces changes of its groups but
// has no signal for a switch of input method. Its tray item, though, redraws
// its icon and menu on every switch and focus change, whatever made it (a key,
// the tray, fcitx5-remote, another program), and says so on the bus: while the
// item is registered with a tray, those signals are followed, and so are the
// switches Fcitx tells a kimpanel of. Fcitx publishes no item without a tray;
// then recheck() is called when a key is released (the switch keys). The question is asked without waiting; after a key, again a
// little later: Fcitx handles a key only once the focused application has
// passed it on, which on a busy desktop comes after the release reaches this
// program.
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
    // Called when the daemon comes or goes.
    rx::Cancellable observeAvailability(std::function<void()> handler) { return availabilityObservers_.add(std::move(handler)); }

    // Whether Fcitx's tray item is on the bus, so every switch is announced.
    bool announcesSwitches() const { return !item_.isEmpty(); }

    // Asks for the current input method again, now and after each of
    // recheckDelaysMs; observers hear of a change. Never waits for Fcitx.
    void recheck();
    static constexpr std::array<int, 4> recheckDelaysMs{50, 200, 600, 2000};

private slots:
    void groupsChanged();
    void itemRegistered(const QString& service);
    void itemChanged();

private:
    QStringList groupMembers() const;
    QString currentId() const;
    void ask();
    void answered(quint64 serial, const QString& id);
    void findItem();
    void setItem(const QString& service);

    QDBusServiceWatcher* watcher_ = nullptr;
    QDBusServiceWatcher* itemWatcher_ = nullptr;
    QTimer* again_ = nullptr;
    QTimer* askSoon_ = nullptr;
    std::size_t againStep_ = 0;
    QString lastId_;
    // The group's first input method, what Fcitx starts an input context with;
    // read once per group change.
    std::optional<QString> firstMember_;
    // The bus name of Fcitx's tray item, when it has one.
    QString item_;
    uint pid_ = 0;
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
