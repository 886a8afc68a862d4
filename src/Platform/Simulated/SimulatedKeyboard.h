#pragma once

#include "Platform/InputSources.h"

namespace zorbel::platform {

// A keyboard and its input sources that a test scripts: which sources are
// enabled, which one is selected, Caps Lock and the other modifiers. Changes
// reach the observers at once; the calls made to it are counted.
class SimulatedKeyboard final : public InputSourceService, public KeyboardStateService {
public:
    SimulatedKeyboard();

    InputSourceListing enabledSources() override;
    std::optional<InputSourceProperties> currentKeyboardSource() override;
    rx::Cancellable observeSelectionChanges(std::function<void()> handler) override
    {
        return selectionObservers_.add(std::move(handler));
    }
    ModifierFlags currentModifierFlags() override { return flags_; }
    rx::Cancellable observeModifierChanges(std::function<void(const ModifierFlags&)> handler) override
    {
        return modifierObservers_.add(std::move(handler));
    }

    // A keyboard source with the given id, name and languages, enabled and
    // selectable.
    static InputSourceProperties keyboardSource(const QString& id, const QString& name,
                                                const QStringList& languages = {});
    void setSources(std::vector<InputSourceProperties> sources) { sources_ = std::move(sources); }
    void addSource(const InputSourceProperties& source) { sources_.push_back(source); }
    void removeSource(const QString& id);
    // Selects the source (it need not be listed) and tells the observers.
    void select(const QString& id);
    // Nothing selected: the service answers no current source.
    void clearSelection() { current_.reset(); }
    // The next listings answer nothing, or only part, as a failing daemon does.
    void failListing(bool failing) { listingFails_ = failing; }
    void setListingIncomplete(bool incomplete) { incomplete_ = incomplete; }

    // Caps Lock pressed (or released) and the other modifiers.
    void setCapsLock(bool on);
    void setModifierFlags(const ModifierFlags& flags);

    int listingCount() const { return listings_; }
    int currentSourceQueries() const { return currentQueries_; }
    const std::vector<InputSourceProperties>& sources() const { return sources_; }

private:
    std::vector<InputSourceProperties> sources_;
    std::optional<QString> current_;
    bool listingFails_ = false;
    bool incomplete_ = false;
    ModifierFlags flags_;
    int listings_ = 0;
    int currentQueries_ = 0;
    ObserverList<> selectionObservers_;
    ObserverList<const ModifierFlags&> modifierObservers_;
};

}  // namespace zorbel::platform
