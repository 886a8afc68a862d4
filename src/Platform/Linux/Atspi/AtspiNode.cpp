#include "Platform/Linux/Atspi/AtspiNode.h"

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
}  // namespace

AXCode Node::role(int& role) const
{
    return bounded(accessible_, timeout_, [&](GError** error) {
        role = atspi_accessible_get_role(accessible_, error);
        return role != ATSPI_ROLE_INVALID;
    });
}

AXCode Node::hasState(int state, bool& has) const
{
    return bounded(accessible_, timeout_, [&](GError**) {
        AtspiStateSet* set = atspi_accessible_get_state_set(accessible_);
        if (!set) return false;
        has = atspi_state_set_contains(set, static_cast<AtspiStateType>(state));
        g_object_unref(set);
        return true;
    });
}

AXCode Node::roleFacts(RoleFacts& facts) const
{
    if (AXCode code = role(facts.atspiRole)) return code;
    AXCode code = bounded(accessible_, timeout_, [&](GError**) {
        AtspiStateSet* set = atspi_accessible_get_state_set(accessible_);
        if (!set) return false;
        facts.singleLine = atspi_state_set_contains(set, ATSPI_STATE_SINGLE_LINE);
        facts.multiLine = atspi_state_set_contains(set, ATSPI_STATE_MULTI_LINE);
        facts.editable = atspi_state_set_contains(set, ATSPI_STATE_EDITABLE);
        g_object_unref(set);
        return true;
    });
    if (code) return code;
    return isTopLevel(facts.topLevel);
}

AXCode Node::name(QString& name) const
{
    return bounded(accessible_, timeout_, [&](GError** error) {
        gchar* text = atspi_accessible_get_name(accessible_, error);
        const bool ok = text != nullptr;
        name = takeString(text);
        return ok;
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
    return bounded(accessible_, timeout_, [&](GError** error) {
        parent = adopt(atspi_accessible_get_parent(accessible_, error));
        return true;
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
template <class Iface>
bool hasInterface(AtspiAccessible* accessible, float timeout, Iface* (*get)(AtspiAccessible*))
{
    bool has = false;
    bounded(accessible, timeout, [&](GError**) {
        if (Iface* iface = get(accessible)) {
            has = true;
            g_object_unref(iface);
        }
        return true;
    });
    return has;
}
}  // namespace

bool Node::hasText() const { return hasInterface(accessible_, timeout_, atspi_accessible_get_text_iface); }
bool Node::hasComponent() const
{
    return hasInterface(accessible_, timeout_, atspi_accessible_get_component_iface);
}
bool Node::hasEditableText() const
{
    return hasInterface(accessible_, timeout_, atspi_accessible_get_editable_text_iface);
}
bool Node::hasValue() const { return hasInterface(accessible_, timeout_, atspi_accessible_get_value_iface); }
AXCode Node::missingInterface() const
{
    Call call(accessible_, timeout_);
    return call.admit() != axcode::success ? call.admit() : axcode::attributeUnsupported;
}

bool Node::hasAction() const { return hasInterface(accessible_, timeout_, atspi_accessible_get_action_iface); }

}  // namespace zorbel::platform::atspi
