#pragma once

#include "Platform/InputSources.h"

#include <QObject>

class QDBusServiceWatcher;

namespace zorbel::platform {

// Fcitx 5 through its controller on the session bus: the input methods of the
// current group and the current one. Fcitx announces changes of its groups but
// not of the current input method, so recheck() is called when a key is
// released (the switch keys) and tells the observers when it changed.
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

    // Reads the current input method again; observers hear of a change.
    void recheck();

private slots:
    void groupsChanged();

private:
    QStringList groupMembers() const;
    QString currentId() const;

    QDBusServiceWatcher* watcher_ = nullptr;
    QString lastId_;
    bool running_ = false;
    ObserverList<> selectionObservers_;
    ObserverList<> availabilityObservers_;
};

// One entry of the controller's list of input methods: (unique name, name,
// native name, icon, label, language code, configurable).
InputSourceProperties fcitxInputMethodSource(const QVariantList& fields);

}  // namespace zorbel::platform
