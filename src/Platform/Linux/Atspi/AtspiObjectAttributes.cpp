#include "Platform/Linux/Atspi/AtspiObjectAttributes.h"

#include "Platform/Linux/Atspi/AtspiCaret.h"
#include "Platform/Linux/Atspi/AtspiGeometry.h"
#include "Platform/Linux/Atspi/AtspiText.h"

#include "Platform/Linux/Atspi/AtspiFacts.h"

#include <atspi/atspi.h>

namespace zorbel::platform::atspi {

namespace {
const QStringList generalNames = {
    QStringLiteral("AXRole"),     QStringLiteral("AXRoleDescription"), QStringLiteral("AXSubrole"),
    QStringLiteral("AXTitle"),    QStringLiteral("AXDescription"),     QStringLiteral("AXEnabled"),
    QStringLiteral("AXFocused"),  QStringLiteral("AXParent"),          QStringLiteral("AXChildren"),
    QStringLiteral("AXWindow"),   QStringLiteral("AXTopLevelUIElement"),
};
const QStringList geometryNames = {QStringLiteral("AXPosition"), QStringLiteral("AXSize"), QStringLiteral("AXFrame")};
const QStringList textNames = {
    QStringLiteral("AXValue"),
    QStringLiteral("AXSelectedText"),
    QStringLiteral("AXSelectedTextRange"),
    QStringLiteral("AXSelectedTextRanges"),
    QStringLiteral("AXNumberOfCharacters"),
    QStringLiteral("AXVisibleCharacterRange"),
    QStringLiteral("AXInsertionPointLineNumber"),
    QStringLiteral("AXSelectedTextMarkerRange"),
};
const QStringList textParameterizedNames = {
    QStringLiteral("AXLineForIndex"),   QStringLiteral("AXRangeForLine"),
    QStringLiteral("AXStringForRange"), QStringLiteral("AXRangeForPosition"),
    QStringLiteral("AXBoundsForRange"), QStringLiteral("AXBoundsForTextMarkerRange"),
};

QString takeString(gchar* text)
{
    QString s = QString::fromUtf8(text ? text : "");
    g_free(text);
    return s;
}

std::optional<AXRange> rangeParameter(const AXValue& parameter)
{
    if (auto* r = parameter.range()) return *r;
    return std::nullopt;
}
}  // namespace

AXValue elementArray(const std::vector<AccPtr>& accessibles)
{
    AXValue::Array array;
    for (const AccPtr& a : accessibles) array.emplace_back(AtspiElement::object(a));
    return AXValue(std::move(array));
}

QString axActionName(const QString& toolkitName)
{
    const QString n = toolkitName.toLower();
    if (n == QLatin1String("click") || n == QLatin1String("press") || n == QLatin1String("activate"))
        return QStringLiteral("AXPress");
    if (n == QLatin1String("increment")) return QStringLiteral("AXIncrement");
    if (n == QLatin1String("decrement")) return QStringLiteral("AXDecrement");
    if (n == QLatin1String("showmenu") || n == QLatin1String("show-menu") || n == QLatin1String("popup"))
        return QStringLiteral("AXShowMenu");
    return toolkitName;
}

AXCode ObjectAttributes::names(QStringList& names) const
{
    int role = 0;
    if (AXCode code = node_.role(role)) return code;
    names = generalNames;
    if (node_.hasComponent()) names += geometryNames;
    if (node_.hasText()) names += textNames;
    else if (node_.hasValue()) names << QStringLiteral("AXValue");
    return axcode::success;
}

AXCode ObjectAttributes::readState(int state, AXValue& value) const
{
    bool has = false;
    if (AXCode code = node_.hasState(state, has)) return code;
    value = AXValue(has);
    return axcode::success;
}

AXCode ObjectAttributes::readGeneral(const QString& name, AXValue& value, bool& known) const
{
    known = true;
    if (name == QLatin1String("AXRole") || name == QLatin1String("AXSubrole")) {
        RoleFacts facts;
        if (AXCode code = node_.roleFacts(facts)) return code;
        const QString text = name == QLatin1String("AXRole") ? axRole(facts) : axSubrole(facts);
        if (text.isEmpty()) return axcode::noValue;
        value = AXValue(text);
        return axcode::success;
    }
    if (name == QLatin1String("AXRoleDescription")) {
        return bounded(node_.accessible(), node_.timeout(), [&](GError** error) {
            gchar* text = atspi_accessible_get_localized_role_name(node_.accessible(), error);
            value = AXValue(takeString(text));
            return true;
        });
    }
    if (name == QLatin1String("AXTitle") || name == QLatin1String("AXDescription")) {
        QString text;
        AXCode code = name == QLatin1String("AXTitle") ? node_.name(text) : node_.description(text);
        if (code) return code;
        value = AXValue(text);
        return axcode::success;
    }
    if (name == QLatin1String("AXEnabled")) return readState(ATSPI_STATE_ENABLED, value);
    if (name == QLatin1String("AXFocused")) return readState(ATSPI_STATE_FOCUSED, value);
    if (name == QLatin1String("AXParent")) {
        AccPtr parent;
        if (AXCode code = node_.parent(parent)) return code;
        if (!parent) return axcode::noValue;
        value = AXValue(AtspiElement::object(parent));
        return axcode::success;
    }
    if (name == QLatin1String("AXChildren")) {
        std::vector<AccPtr> children;
        if (AXCode code = node_.children(children)) return code;
        value = elementArray(children);
        return axcode::success;
    }
    if (name == QLatin1String("AXWindow") || name == QLatin1String("AXTopLevelUIElement")) {
        AccPtr window;
        if (AXCode code = node_.window(window)) return code;
        if (!window) return axcode::noValue;
        value = AXValue(AtspiElement::object(window));
        return axcode::success;
    }
    if (geometryNames.contains(name)) {
        QRectF box;
        if (AXCode code = elementExtents(node_, box)) return code;
        if (name == QLatin1String("AXPosition")) value = AXValue(box.topLeft());
        else if (name == QLatin1String("AXSize")) value = AXValue(box.size());
        else value = AXValue(box);
        return axcode::success;
    }
    known = false;
    return axcode::attributeUnsupported;
}

AXCode ObjectAttributes::readText(const QString& name, AXValue& value, bool& known) const
{
    known = textNames.contains(name);
    if (!known) return axcode::attributeUnsupported;
    TextReader text(node_);
    AXCode code = axcode::success;
    if (name == QLatin1String("AXValue")) {
        QString s;
        if (!(code = text.wholeText(s))) value = AXValue(s);
    } else if (name == QLatin1String("AXSelectedText")) {
        AXRange r;
        QString s;
        if (!(code = text.selectedRange(r)) && r.length > 0)
            code = text.text(static_cast<int>(r.location), static_cast<int>(r.location + r.length), s);
        if (!code) value = AXValue(s);
    } else if (name == QLatin1String("AXSelectedTextRange") || name == QLatin1String("AXSelectedTextRanges")) {
        AXRange r;
        if (!(code = text.selectedRange(r)))
            value = name == QLatin1String("AXSelectedTextRange") ? AXValue(r) : AXValue(AXValue::Array{AXValue(r)});
    } else if (name == QLatin1String("AXNumberOfCharacters")) {
        int count = 0;
        if (!(code = text.characterCount(count))) value = AXValue(count);
    } else if (name == QLatin1String("AXVisibleCharacterRange")) {
        AXRange r;
        if (!(code = text.visibleRange(r))) value = AXValue(r);
    } else if (name == QLatin1String("AXInsertionPointLineNumber")) {
        std::int64_t line = 0;
        if (!(code = text.insertionPointLine(line))) value = AXValue(line);
    } else if (name == QLatin1String("AXSelectedTextMarkerRange")) {
        AXTextMarkerRange r;
        if (!(code = selectedTextMarkerRange(ref_, node_, r))) value = AXValue(r);
    }
    return code;
}

AXCode ObjectAttributes::read(const QString& name, AXValue& value) const
{
    bool known = false;
    AXCode code = readGeneral(name, value, known);
    if (known) return code;
    if (node_.hasText()) return readText(name, value, known);
    if (name == QLatin1String("AXValue") && node_.hasValue()) {
        return bounded(node_.accessible(), node_.timeout(), [&](GError** error) {
            value = AXValue(atspi_value_get_current_value(ATSPI_VALUE(node_.accessible()), error));
            return true;
        });
    }
    int role = 0;
    if ((code = node_.role(role))) return code;
    return axcode::attributeUnsupported;
}

AXCode ObjectAttributes::settable(const QString& name, bool& settable) const
{
    AXValue probe;
    if (AXCode code = read(QStringLiteral("AXRole"), probe)) return code;
    if (name == QLatin1String("AXFocused")) settable = node_.hasComponent();
    else if (name == QLatin1String("AXValue")) settable = node_.hasEditableText();
    else if (name == QLatin1String("AXSelectedTextRange")) settable = node_.hasText();
    else settable = false;
    return axcode::success;
}

AXCode ObjectAttributes::write(const QString& name, const AXValue& value) const
{
    bool can = false;
    if (AXCode code = settable(name, can)) return code;
    if (!can) return axcode::attributeUnsupported;
    AtspiAccessible* a = node_.accessible();
    if (name == QLatin1String("AXFocused")) {
        if (!value.boolean()) return axcode::illegalArgument;
        if (!*value.boolean()) return axcode::success;
        return bounded(a, node_.timeout(), [&](GError** error) {
            return atspi_component_grab_focus(ATSPI_COMPONENT(a), error) != FALSE;
        });
    }
    if (name == QLatin1String("AXValue")) {
        if (!value.string()) return axcode::illegalArgument;
        const QByteArray utf8 = value.string()->toUtf8();
        return bounded(a, node_.timeout(), [&](GError** error) {
            return atspi_editable_text_set_text_contents(ATSPI_EDITABLE_TEXT(a), utf8.constData(), error) != FALSE;
        });
    }
    auto range = rangeParameter(value);
    if (!range) return axcode::illegalArgument;
    return TextReader(node_).setSelection(*range);
}

AXCode ObjectAttributes::parameterizedNames(QStringList& names) const
{
    int role = 0;
    if (AXCode code = node_.role(role)) return code;
    names = node_.hasText() ? textParameterizedNames : QStringList();
    return axcode::success;
}

AXCode ObjectAttributes::readParameterized(const QString& name, const AXValue& parameter, AXValue& value) const
{
    if (!textParameterizedNames.contains(name) || !node_.hasText()) {
        int role = 0;
        AXCode code = node_.role(role);
        return code ? code : axcode::attributeUnsupported;
    }
    TextReader text(node_);
    AXCode code = axcode::success;
    if (name == QLatin1String("AXBoundsForTextMarkerRange")) {
        auto* markers = parameter.textMarkerRange();
        if (!markers) return axcode::illegalArgument;
        QRectF box;
        if (!(code = boundsForTextMarkerRange(node_, *markers, box))) value = AXValue(box);
        return code;
    }
    if (name == QLatin1String("AXLineForIndex") || name == QLatin1String("AXRangeForLine")) {
        if (!parameter.integer()) return axcode::illegalArgument;
        if (name == QLatin1String("AXLineForIndex")) {
            std::int64_t line = 0;
            if (!(code = text.lineForIndex(*parameter.integer(), line))) value = AXValue(line);
        } else {
            AXRange r;
            if (!(code = text.rangeForLine(*parameter.integer(), r))) value = AXValue(r);
        }
        return code;
    }
    if (name == QLatin1String("AXRangeForPosition")) {
        if (!parameter.point()) return axcode::illegalArgument;
        int offset = -1;
        if ((code = text.offsetAtPoint(*parameter.point(), offset))) return code;
        if (offset < 0) return axcode::noValue;
        value = AXValue(AXRange{offset, 1});
        return axcode::success;
    }
    auto range = rangeParameter(parameter);
    if (!range || range->location < 0 || range->length < 0) return axcode::illegalArgument;
    if (name == QLatin1String("AXStringForRange")) {
        QString s;
        if (!(code = text.text(static_cast<int>(range->location), static_cast<int>(range->location + range->length),
                               s)))
            value = AXValue(s);
        return code;
    }
    QRectF box;
    if (!(code = text.boundsForRange(*range, box))) value = AXValue(box);
    return code;
}

AXCode ObjectAttributes::actionNames(QStringList& names) const
{
    names.clear();
    int role = 0;
    if (AXCode code = node_.role(role)) return code;
    if (!node_.hasAction()) return axcode::success;
    AtspiAccessible* a = node_.accessible();
    gint count = 0;
    AXCode code = bounded(a, node_.timeout(), [&](GError** error) {
        count = atspi_action_get_n_actions(ATSPI_ACTION(a), error);
        return count >= 0;
    });
    for (gint i = 0; !code && i < count; ++i) {
        code = bounded(a, node_.timeout(), [&](GError** error) {
            gchar* text = atspi_action_get_action_name(ATSPI_ACTION(a), i, error);
            names << axActionName(takeString(text));
            return true;
        });
    }
    return code;
}

AXCode ObjectAttributes::actionIndex(const QString& action, int& index) const
{
    QStringList names;
    if (AXCode code = actionNames(names)) return code;
    index = static_cast<int>(names.indexOf(action));
    return index < 0 ? axcode::actionUnsupported : axcode::success;
}

AXCode ObjectAttributes::actionDescription(const QString& action, QString& description) const
{
    int index = 0;
    if (AXCode code = actionIndex(action, index)) return code;
    AtspiAccessible* a = node_.accessible();
    return bounded(a, node_.timeout(), [&](GError** error) {
        description = takeString(atspi_action_get_description(ATSPI_ACTION(a), index, error));
        return true;
    });
}

AXCode ObjectAttributes::performAction(const QString& action) const
{
    int index = 0;
    if (AXCode code = actionIndex(action, index)) return code;
    AtspiAccessible* a = node_.accessible();
    return bounded(a, node_.timeout(), [&](GError** error) {
        return atspi_action_do_action(ATSPI_ACTION(a), index, error) != FALSE;
    });
}

AXCode ObjectAttributes::elementAt(const QPointF& point, AXElementRef& found) const
{
    const QPoint root = toApplication(node_, point);
    AccPtr current = node_.accessible() ? retain(node_.accessible()) : AccPtr();
    AccPtr deepest;
    for (int depth = 0; depth < 64 && current; ++depth) {
        Node node(current.get(), node_.timeout());
        if (!node.hasComponent()) break;
        AccPtr child;
        AXCode code = bounded(current.get(), node_.timeout(), [&](GError** error) {
            child = adopt(atspi_component_get_accessible_at_point(ATSPI_COMPONENT(current.get()), root.x(),
                                                                   root.y(), ATSPI_COORD_TYPE_SCREEN, error));
            return true;
        });
        if (code) return code;
        if (!child || sameObject(child.get(), current.get())) break;
        deepest = child;
        current = child;
    }
    if (!deepest) return axcode::noValue;
    found = AtspiElement::object(deepest);
    return axcode::success;
}

}  // namespace zorbel::platform::atspi
