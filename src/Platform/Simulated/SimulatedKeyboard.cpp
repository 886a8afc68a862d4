#include "Platform/Simulated/SimulatedKeyboard.h"

#include <algorithm>

namespace zorbel::platform {

SimulatedKeyboard::SimulatedKeyboard()
{
    sources_.push_back(keyboardSource(QStringLiteral("xkb:us::eng"), QStringLiteral("English (US)"),
                                      {QStringLiteral("en")}));
    current_ = sources_.front().id;
}

InputSourceProperties SimulatedKeyboard::keyboardSource(const QString& id, const QString& name,
                                                        const QStringList& languages)
{
    InputSourceProperties p;
    p.id = id;
    p.localizedName = name;
    p.languages = languages;
    p.category = QString::fromLatin1(InputSourceProperties::keyboardCategory);
    p.selectCapable = true;
    return p;
}

InputSourceListing SimulatedKeyboard::enabledSources()
{
    ++listings_;
    if (listingFails_) return InputSourceListing{{}, false};
    return InputSourceListing{sources_, !incomplete_};
}

std::optional<InputSourceProperties> SimulatedKeyboard::currentKeyboardSource()
{
    ++currentQueries_;
    if (!current_) return std::nullopt;
    const auto it = std::find_if(sources_.begin(), sources_.end(), [this](const auto& s) { return s.id == *current_; });
    if (it != sources_.end()) return *it;
    return keyboardSource(*current_, *current_);
}

void SimulatedKeyboard::removeSource(const QString& id)
{
    std::erase_if(sources_, [&id](const auto& s) { return s.id == id; });
}

void SimulatedKeyboard::select(const QString& id)
{
    current_ = id;
    selectionObservers_.notify();
}

void SimulatedKeyboard::setCapsLock(bool on)
{
    ModifierFlags flags = flags_;
    flags.capsLock = on;
    setModifierFlags(flags);
}

void SimulatedKeyboard::setModifierFlags(const ModifierFlags& flags)
{
    flags_ = flags;
    modifierObservers_.notify(flags_);
}

}  // namespace zorbel::platform
