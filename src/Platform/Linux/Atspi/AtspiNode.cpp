#include "Platform/Linux/Atspi/AtspiNode.h"

#include "Platform/Linux/Atspi/AtspiFacts.h"

#include <atspi/atspi.h>

namespace zorbel::platform::atspi {

namespace {
constexpr int maxDepth = 64;

QString takeString(gchar* text)
{
    QString s = QString::fromUtf8(text ? text : "");
    g_free(text);
    return s;
}

bool isApplicationRoot(AtspiAccessible* accessible)
{
    return objectPath(accessible) == QLatin1String("/org/a11y/atspi/accessible/root");
}

bool contains(std::uint64_t states, int state) { return state >= 0 && state < 64 && (states >> state) & 1U; }

// One remembered fact of the object, else the application's answer, which
// is remembered when it is one. An application that may not be asked (gone,
// hung) answers as a call would, remembered facts or not.
template <class Known, class Ask>
AXCode factOrAsk(AtspiAccessible* accessible, Known known, Ask ask)
{
    auto& facts = ObjectFacts::instance();
    if (AXCode code = ObjectFacts::admission(accessible)) return code;
    if (ObjectFacts::Facts* f = facts.find(accessible); f && known(*f)) return axcode::success;
    return ask();
}

// A fact kept in one field: the remembered value, else the application's
// answer, remembered.
template <class T, class Ask>
AXCode rememberedOrAsk(AtspiAccessible* accessible, std::optional<T> ObjectFacts::Facts::*field, T& value, Ask ask)
{
    return factOrAsk(
        accessible,
        [&](const ObjectFacts::Facts& f) {
            if (f.*field) value = *(f.*field);
            return (f.*field).has_value();
        },
        [&] {
            const AXCode code = ask();
            if (code == axcode::success) ObjectFacts::instance().remember(accessible).*field = value;
            return code;
        });
}
}  // namespace

AXCode Node::role(int& role) const
{
    return rememberedOrAsk(accessible_, &ObjectFacts::Facts::role, role, [&] {
        return bounded(accessible_, timeout_, [&](GError** error) {
            role = atspi_accessible_get_role(accessible_, error);
            return role != ATSPI_ROLE_INVALID;
        });
    });
}

AXCode Node::states(std::uint64_t& states) const
{
    return rememberedOrAsk(accessible_, &ObjectFacts::Facts::states, states, [&] {
        return bounded(accessible_, timeout_, [&](GError**) {
            AtspiStateSet* set = atspi_accessible_get_state_set(accessible_);
            if (!set) return false;
            states = 0;
            for (int s = 0; s < 64 && s < ATSPI_STATE_LAST_DEFINED; ++s)
                if (atspi_state_set_contains(set, static_cast<AtspiStateType>(s))) states |= std::uint64_t{1} << s;
            g_object_unref(set);
            return true;
        });
    });
}

AXCode Node::hasState(int state, bool& has) const
{
    std::uint64_t all = 0;
    if (AXCode code = states(all)) return code;
    has = contains(all, state);
    return axcode::success;
}

AXCode Node::roleFacts(RoleFacts& facts) const
{
    if (AXCode code = role(facts.atspiRole)) return code;
    std::uint64_t all = 0;
    if (AXCode code = states(all)) return code;
    facts.singleLine = contains(all, ATSPI_STATE_SINGLE_LINE);
    facts.multiLine = contains(all, ATSPI_STATE_MULTI_LINE);
    facts.editable = contains(all, ATSPI_STATE_EDITABLE);
    facts.text = hasText();
    return isTopLevel(facts.topLevel);
}

AXCode Node::name(QString& name) const
{
    return rememberedOrAsk(accessible_, &ObjectFacts::Facts::name, name, [&] {
        return bounded(accessible_, timeout_, [&](GError** error) {
            gchar* text = atspi_accessible_get_name(accessible_, error);
            const bool ok = text != nullptr;
            name = takeString(text);
            return ok;
        });
    });
}

AXCode Node::defaultFontSize(QString& size) const
{
    constexpr auto fontSizeLife = std::chrono::seconds(2);
    const auto now = std::chrono::steady_clock::now();
    return factOrAsk(
        accessible_,
        [&](const ObjectFacts::Facts& f) {
            if (!f.fontSize || now - f.fontSizeAt > fontSizeLife) return false;
            size = *f.fontSize;
            return true;
        },
        [&] {
            const AXCode code = bounded(accessible_, timeout_, [&](GError** error) {
                GHashTable* attributes = atspi_text_get_default_attributes(ATSPI_TEXT(accessible_), error);
                if (!attributes) return false;
                const auto* value = static_cast<const char*>(g_hash_table_lookup(attributes, "size"));
                size = QString::fromUtf8(value ? value : "");
                g_hash_table_unref(attributes);
                return true;
            });
            if (code == axcode::success) {
                auto& f = ObjectFacts::instance().remember(accessible_);
                f.fontSize = size;
                f.fontSizeAt = now;
            }
            return code;
        });
}

AXCode Node::description(QString& description) const
{
    return bounded(accessible_, timeout_, [&](GError** error) {
        gchar* text = atspi_accessible_get_description(accessible_, error);
        const bool ok = text != nullptr;
        description = takeString(text);
        return ok;
    });
}

AXCode Node::parent(AccPtr& parent) const
{
    if (isApplicationRoot(accessible_)) {
        parent.reset();
        return axcode::success;
    }
    return factOrAsk(
        accessible_,
        [&](const ObjectFacts::Facts& f) {
            if (f.parentKnown) parent = f.parent;
            return f.parentKnown;
        },
        [&] {
            const AXCode code = bounded(accessible_, timeout_, [&](GError** error) {
                parent = adopt(atspi_accessible_get_parent(accessible_, error));
                return true;
            });
            if (code == axcode::success) {
                auto& f = ObjectFacts::instance().remember(accessible_);
                f.parentKnown = true;
                f.parent = parent;
            }
            return code;
        });
}

AXCode Node::children(std::vector<AccPtr>& children) const
{
    children.clear();
    gint count = 0;
    AXCode code = bounded(accessible_, timeout_, [&](GError** error) {
        count = atspi_accessible_get_child_count(accessible_, error);
        return count >= 0;
    });
    if (code) return code;
    for (gint i = 0; i < count; ++i) {
        AccPtr child;
        code = bounded(accessible_, timeout_, [&](GError** error) {
            child = adopt(atspi_accessible_get_child_at_index(accessible_, i, error));
            return true;
        });
        if (code) return code;
        if (child) children.push_back(std::move(child));
    }
    return axcode::success;
}

AXCode Node::application(AccPtr& application) const
{
    return bounded(accessible_, timeout_, [&](GError** error) {
        application = adopt(atspi_accessible_get_application(accessible_, error));
        return application != nullptr;
    });
}

AXCode Node::isTopLevel(bool& topLevel) const
{
    topLevel = false;
    if (isApplicationRoot(accessible_)) return axcode::success;
    AccPtr up;
    if (AXCode code = parent(up)) return code;
    topLevel = up && isApplicationRoot(up.get());
    return axcode::success;
}

AXCode Node::window(AccPtr& window) const
{
    window.reset();
    AccPtr current = retain(accessible_);
    for (int depth = 0; depth < maxDepth && current; ++depth) {
        if (isApplicationRoot(current.get())) return axcode::success;
        AccPtr up;
        if (AXCode code = Node(current.get(), timeout_).parent(up)) return code;
        if (up && isApplicationRoot(up.get())) {
            window = current;
            return axcode::success;
        }
        current = up;
    }
    return axcode::success;
}

namespace {
// libatspi asks the application for its interfaces on every such question
// while its cache is off; an object's interfaces never change.
template <class Iface>
bool hasInterface(AtspiAccessible* accessible, float timeout, ObjectFacts::Interface which,
                  Iface* (*get)(AtspiAccessible*))
{
    bool has = false;
    const AXCode code = factOrAsk(
        accessible,
        [&](const ObjectFacts::Facts& f) {
            has = f.interfaces & which;
            return (f.interfacesKnown & which) != 0;
        },
        [&] {
            return bounded(accessible, timeout, [&](GError**) {
                if (Iface* iface = get(accessible)) {
                    has = true;
                    g_object_unref(iface);
                }
                return true;
            });
        });
    if (code == axcode::success) {
        auto& f = ObjectFacts::instance().remember(accessible);
        f.interfacesKnown |= which;
        if (has) f.interfaces |= which;
    }
    return code == axcode::success && has;
}
}  // namespace

bool Node::hasText() const
{
    return hasInterface(accessible_, timeout_, ObjectFacts::text, atspi_accessible_get_text_iface);
}
bool Node::hasComponent() const
{
    return hasInterface(accessible_, timeout_, ObjectFacts::component, atspi_accessible_get_component_iface);
}
bool Node::hasEditableText() const
{
    return hasInterface(accessible_, timeout_, ObjectFacts::editableText, atspi_accessible_get_editable_text_iface);
}
bool Node::takesText() const
{
    if (hasEditableText()) return true;
    bool editable = false;
    return hasText() && hasState(ATSPI_STATE_EDITABLE, editable) == axcode::success && editable;
}
bool Node::hasValue() const
{
    return hasInterface(accessible_, timeout_, ObjectFacts::value, atspi_accessible_get_value_iface);
}
AXCode Node::missingInterface() const
{
    // The question about the interface failed the same way when the process has ended and
    // the bus has not said so yet: the element has gone, it does not lack the interface.
    if (AXCode code = ObjectFacts::admission(accessible_)) return code;
    Call call(accessible_, timeout_);
    return call.admit() != axcode::success ? call.admit() : axcode::attributeUnsupported;
}

bool Node::hasAction() const
{
    return hasInterface(accessible_, timeout_, ObjectFacts::action, atspi_accessible_get_action_iface);
}

}  // namespace zorbel::platform::atspi
