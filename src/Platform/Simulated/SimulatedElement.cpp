#include "Platform/Simulated/SimulatedElement.h"

#include "Platform/Simulated/SimulatedApplication.h"
#include "Platform/Simulated/SimulatedDesktop.h"

namespace zorbel::platform {

namespace {
const QString kApplication = QStringLiteral("AXApplication");
const QString kWindow = QStringLiteral("AXWindow");
const QString kSystemWide = QStringLiteral("AXSystemWide");

AXValue::Array refsOf(const std::vector<SimulatedElement*>& elements)
{
    AXValue::Array out;
    for (auto* e : elements) out.emplace_back(e->ref());
    return out;
}
}  // namespace

SimulatedElement::SimulatedElement(SimulatedDesktop& desktop, SimulatedApplication* application,
                                   SimulatedElement* parent, QString role)
    : desktop_(desktop), application_(application), parent_(parent), id_(desktop.registerElement(this)),
      role_(std::move(role))
{
    if (isText()) {
        settable_ << QStringLiteral("AXValue") << QStringLiteral("AXSelectedTextRange");
    }
    if (role_ != kApplication && role_ != kSystemWide) settable_ << QStringLiteral("AXFocused");
}

std::int32_t SimulatedElement::pid() const { return application_ ? application_->pid() : -1; }

std::vector<SimulatedElement*> SimulatedElement::children() const
{
    std::vector<SimulatedElement*> out;
    for (const auto& c : children_) out.push_back(c.get());
    return out;
}

SimulatedElement* SimulatedElement::window()
{
    for (auto* e = this; e; e = e->parent_)
        if (e->role_ == kWindow) return e;
    return nullptr;
}

AXElementRef SimulatedElement::ref() const { return desktop_.refFor(this); }

SimulatedElement& SimulatedElement::addChild(const QString& role, const QRectF& frame)
{
    children_.push_back(std::make_unique<SimulatedElement>(desktop_, application_, this, role));
    auto& child = *children_.back();
    if (!frame.isNull()) child.frame_ = frame;
    return child;
}

SimulatedElement& SimulatedElement::addWindow(const QString& title, const QRectF& frame)
{
    auto& window = addChild(kWindow, frame);
    window.title_ = title;
    window.announce(QStringLiteral("AXWindowCreated"));
    return window;
}

SimulatedElement& SimulatedElement::addTextField(const QRectF& frame, const QString& text)
{
    return addChild(QStringLiteral("AXTextField"), frame).setText(text);
}

SimulatedElement& SimulatedElement::addTextArea(const QRectF& frame, const QString& text)
{
    return addChild(QStringLiteral("AXTextArea"), frame).setText(text);
}

SimulatedElement& SimulatedElement::addComboBox(const QRectF& frame, const QString& text)
{
    return addChild(QStringLiteral("AXComboBox"), frame).setText(text);
}

SimulatedElement& SimulatedElement::addButton(const QString& title, const QRectF& frame)
{
    auto& button = addChild(QStringLiteral("AXButton"), frame);
    button.title_ = title;
    return button.addAction(QStringLiteral("AXPress"), QStringLiteral("press"));
}

SimulatedElement& SimulatedElement::addScrollArea(const QRectF& frame)
{
    return addChild(QStringLiteral("AXScrollArea"), frame);
}

SimulatedElement& SimulatedElement::setTitle(const QString& title)
{
    title_ = title;
    announce(QStringLiteral("AXTitleChanged"));
    return *this;
}

SimulatedElement& SimulatedElement::setSubrole(const QString& subrole)
{
    subrole_ = subrole;
    return *this;
}

SimulatedElement& SimulatedElement::setFrame(const QRectF& frame)
{
    const auto old = frame_.value_or(QRectF());
    frame_ = frame;
    const bool isWindow = role_ == kWindow;
    if (old.topLeft() != frame.topLeft())
        announce(isWindow ? QStringLiteral("AXWindowMoved") : QStringLiteral("AXMoved"));
    if (old.size() != frame.size())
        announce(isWindow ? QStringLiteral("AXWindowResized") : QStringLiteral("AXResized"));
    return *this;
}

SimulatedElement& SimulatedElement::setAttribute(const QString& name, const AXValue& value)
{
    removed_.remove(name);
    scripted_.insert(name, value);
    return *this;
}

SimulatedElement& SimulatedElement::removeAttribute(const QString& name)
{
    scripted_.remove(name);
    removed_.insert(name);
    return *this;
}

SimulatedElement& SimulatedElement::setSettable(const QString& name, bool settable)
{
    if (settable) {
        settable_.insert(name);
    } else {
        settable_.remove(name);
    }
    return *this;
}

SimulatedElement& SimulatedElement::addAction(const QString& name, const QString& description)
{
    if (!actionOrder_.contains(name)) actionOrder_ << name;
    actionDescriptions_.insert(name, description);
    return *this;
}

QStringList SimulatedElement::computedAttributeNames() const
{
    QStringList names{QStringLiteral("AXRole")};
    if (subrole_) names << QStringLiteral("AXSubrole");
    if (role_ == kSystemWide)
        return names << QStringLiteral("AXFocusedUIElement") << QStringLiteral("AXFocusedApplication");
    if (title_ || role_ == kApplication) names << QStringLiteral("AXTitle");
    names << QStringLiteral("AXChildren");
    if (role_ == kApplication) {
        return names << QStringLiteral("AXWindows") << QStringLiteral("AXFocusedWindow")
                     << QStringLiteral("AXFocusedUIElement") << QStringLiteral("AXFrontmost");
    }
    names << QStringLiteral("AXParent") << QStringLiteral("AXEnabled") << QStringLiteral("AXFocused");
    if (role_ != kWindow && parent_ && parent_->role_ != kApplication) names << QStringLiteral("AXWindow");
    if (frame_) names << QStringLiteral("AXPosition") << QStringLiteral("AXSize");
    if (isText()) {
        names << QStringLiteral("AXValue") << QStringLiteral("AXNumberOfCharacters") << QStringLiteral("AXSelectedText")
              << QStringLiteral("AXSelectedTextRange") << QStringLiteral("AXSelectedTextRanges")
              << QStringLiteral("AXVisibleCharacterRange") << QStringLiteral("AXInsertionPointLineNumber");
        if (hasTextMarkers()) names << QStringLiteral("AXSelectedTextMarkerRange");
    }
    return names;
}

QStringList SimulatedElement::attributeNames() const
{
    QStringList names;
    for (const auto& n : computedAttributeNames())
        if (!removed_.contains(n)) names << n;
    for (auto it = scripted_.cbegin(); it != scripted_.cend(); ++it)
        if (!names.contains(it.key())) names << it.key();
    return names;
}

AXCode SimulatedElement::attributeValue(const QString& name, AXValue& value) const
{
    if (removed_.contains(name)) return axcode::attributeUnsupported;
    if (auto it = scripted_.constFind(name); it != scripted_.cend()) {
        value = *it;
        return value.isNull() ? axcode::noValue : axcode::success;
    }
    if (!computedAttributeNames().contains(name)) return axcode::attributeUnsupported;
    return computedValue(name, value);
}

AXCode SimulatedElement::computedValue(const QString& name, AXValue& value) const
{
    auto answer = [&value](AXValue v) {
        value = std::move(v);
        return axcode::success;
    };
    auto* self = const_cast<SimulatedElement*>(this);
    if (name == QLatin1String("AXRole")) return answer(role_);
    if (name == QLatin1String("AXSubrole")) return answer(*subrole_);
    if (name == QLatin1String("AXTitle")) {
        const auto title = role_ == kApplication ? application_->running()->localizedName() : title_;
        return title ? answer(*title) : axcode::noValue;
    }
    if (name == QLatin1String("AXChildren")) return answer(refsOf(children()));
    if (name == QLatin1String("AXParent")) return parent_ ? answer(parent_->ref()) : axcode::noValue;
    if (name == QLatin1String("AXEnabled")) return answer(true);
    if (name == QLatin1String("AXFocused"))
        return answer(application_ && application_->focusedElement() == this);
    if (name == QLatin1String("AXWindow")) {
        auto* w = self->window();
        return w ? answer(w->ref()) : axcode::noValue;
    }
    if (name == QLatin1String("AXPosition")) return answer(frame_->topLeft());
    if (name == QLatin1String("AXSize")) return answer(frame_->size());
    if (role_ == kApplication) {
        if (name == QLatin1String("AXWindows")) return answer(refsOf(application_->windows()));
        if (name == QLatin1String("AXFrontmost")) return answer(desktop_.frontmost() == application_);
        auto* focused = application_->focusedElement();
        if (name == QLatin1String("AXFocusedUIElement")) return focused ? answer(focused->ref()) : axcode::noValue;
        auto* window = focused ? focused->window() : nullptr;
        const auto windows = application_->windows();
        if (!window && !windows.empty()) window = windows.front();
        return window ? answer(window->ref()) : axcode::noValue;
    }
    if (role_ == kSystemWide) {
        auto* front = desktop_.frontmost();
        if (!front) return axcode::noValue;
        if (front->isHung()) return axcode::cannotComplete;
        if (name == QLatin1String("AXFocusedApplication")) return answer(front->element().ref());
        return front->element().attributeValue(QStringLiteral("AXFocusedUIElement"), value);
    }
    return textValue(name, value);
}

AXCode SimulatedElement::isAttributeSettable(const QString& name, bool& settable) const
{
    if (!attributeNames().contains(name)) return axcode::attributeUnsupported;
    settable = settable_.contains(name);
    return axcode::success;
}

AXCode SimulatedElement::setAttributeValue(const QString& name, const AXValue& value)
{
    bool settable = false;
    if (const auto code = isAttributeSettable(name, settable); code != axcode::success) return code;
    if (!settable) return axcode::illegalArgument;
    if (name == QLatin1String("AXFocused") && !scripted_.contains(name)) {
        if (!value.boolean()) return axcode::illegalArgument;
        if (*value.boolean()) desktop_.focus(*this);
        return axcode::success;
    }
    if (isText() && !scripted_.contains(name)) {
        if (name == QLatin1String("AXValue") && value.string()) return setText(*value.string()), axcode::success;
        if (name == QLatin1String("AXSelectedTextRange") && value.range())
            return setSelection(*value.range()), axcode::success;
        return axcode::illegalArgument;
    }
    scripted_.insert(name, value);
    return axcode::success;
}

AXCode SimulatedElement::actionDescription(const QString& action, QString& description) const
{
    if (!actionDescriptions_.contains(action)) return axcode::actionUnsupported;
    description = actionDescriptions_.value(action);
    return axcode::success;
}

AXCode SimulatedElement::performAction(const QString& action)
{
    if (!actionOrder_.contains(action)) return axcode::actionUnsupported;
    performed_[action] += 1;
    return axcode::success;
}

SimulatedElement* SimulatedElement::hitTest(const QPointF& point)
{
    if (frame_ && !frame_->contains(point)) return nullptr;
    for (auto it = children_.rbegin(); it != children_.rend(); ++it)
        if (auto* hit = (*it)->hitTest(point)) return hit;
    return frame_ ? this : nullptr;
}

void SimulatedElement::announce(const QString& notification) { desktop_.postNotification(*this, notification); }

bool SimulatedElementData::equals(const AXElementData& other) const
{
    auto* o = dynamic_cast<const SimulatedElementData*>(&other);
    return o && o->desktop_ == desktop_ && o->id_ == id_ && (id_ != 0 || o->pid_ == pid_);
}

QString SimulatedElementData::debugDescription() const
{
    if (id_ == 0) return QStringLiteral("<SimulatedElement application pid=%1>").arg(pid_);
    return QStringLiteral("<SimulatedElement #%1 pid=%2>").arg(id_).arg(pid_);
}

}  // namespace zorbel::platform
