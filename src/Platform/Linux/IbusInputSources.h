#pragma once

#include "Platform/InputSources.h"

#include <QDBusConnection>
#include <QObject>

class QFileSystemWatcher;

namespace zorbel::platform {

// IBus on its own bus: the engines the user enabled (IBus's "preload-engines"
// setting) and the global engine, with IBus's global-engine change signal. The
// bus address comes from IBUS_ADDRESS or the daemon's address file, whose folder
// is watched, so a daemon that starts or restarts is found without polling.
class IbusInputSources final : public QObject, public InputSourceService {
    Q_OBJECT
public:
    IbusInputSources();
    ~IbusInputSources() override;

    // Whether the daemon answers now (connecting when it does not yet).
    bool isAvailable();

    InputSourceListing enabledSources() override;
    std::optional<InputSourceProperties> currentKeyboardSource() override;
    rx::Cancellable observeSelectionChanges(std::function<void()> handler) override
    {
        return selectionObservers_.add(std::move(handler));
    }
    // Called when the daemon comes or goes.
    rx::Cancellable observeAvailability(std::function<void()> handler) { return availabilityObservers_.add(std::move(handler)); }

    // Where this session's daemon writes its address.
    static QString addressFile();

private slots:
    void globalEngineChanged(const QString& name);
    void daemonGone();

private:
    bool connectToDaemon();
    void dropConnection();
    std::vector<InputSourceProperties> describe(const QStringList& names);
    static QStringList preloadEngines();

    QString connectionName_;
    bool connected_ = false;
    QFileSystemWatcher* watcher_ = nullptr;
    ObserverList<> selectionObservers_;
    ObserverList<> availabilityObservers_;
};

// One engine description as IBus sends it, turned into an input source.
InputSourceProperties ibusEngineSource(const QVariantList& fields);

}  // namespace zorbel::platform
