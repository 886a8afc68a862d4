#pragma once

#include "Platform/AXValue.h"
#include "Platform/Simulated/SimulatedTextLayout.h"

#include <QMap>
#include <QRectF>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace zorbel::platform {

class SimulatedDesktop;
class SimulatedApplication;

// One element of the simulated desktop: the system-wide element, an
// application's element, a window, a text field... Tests build trees of them
// and change them; every change a real toolkit would announce (focus, text,
// caret, moves, new windows) is posted to the observers of its process.
class SimulatedElement {
public:
    SimulatedElement(SimulatedDesktop& desktop, SimulatedApplication* application, SimulatedElement* parent,
                     QString role);
    SimulatedElement(const SimulatedElement&) = delete;
    SimulatedElement& operator=(const SimulatedElement&) = delete;

    std::uint64_t id() const { return id_; }
    const QString& role() const { return role_; }
    // The owning application; none for the system-wide element.
    SimulatedApplication* application() const { return application_; }
    std::int32_t pid() const;
    SimulatedElement* parent() const { return parent_; }
    std::vector<SimulatedElement*> children() const;
    // The enclosing window (itself for a window), if any.
    SimulatedElement* window();
    AXElementRef ref() const;

    // Building. Frames are in screen coordinates (top-left origin, y down).
    SimulatedElement& addChild(const QString& role, const QRectF& frame = {});
    SimulatedElement& addWindow(const QString& title, const QRectF& frame);
    SimulatedElement& addTextField(const QRectF& frame, const QString& text = {});
    SimulatedElement& addTextArea(const QRectF& frame, const QString& text = {});
    SimulatedElement& addComboBox(const QRectF& frame, const QString& text = {});
    SimulatedElement& addButton(const QString& title, const QRectF& frame);
    SimulatedElement& addScrollArea(const QRectF& frame);

    // Plain state.
    SimulatedElement& setTitle(const QString& title);
    SimulatedElement& setSubrole(const QString& subrole);
    // Moving announces "AXWindowMoved" for a window, "AXMoved" otherwise.
    SimulatedElement& setFrame(const QRectF& frame);
    std::optional<QRectF> frame() const { return frame_; }
    // A scripted attribute wins over a computed one of the same name; a null
    // value makes the attribute exist without a value (NoValue).
    SimulatedElement& setAttribute(const QString& name, const AXValue& value);
    // Removes a scripted or computed attribute (AttributeUnsupported).
    SimulatedElement& removeAttribute(const QString& name);
    SimulatedElement& setSettable(const QString& name, bool settable);
    SimulatedElement& addAction(const QString& name, const QString& description);
    int performedCount(const QString& action) const { return performed_.value(action); }

    // Text (text fields, text areas and combo boxes). Setting the text moves
    // the caret to its end; caret and selection changes announce
    // "AXSelectedTextChanged", text changes "AXValueChanged".
    bool isText() const;
    SimulatedElement& setText(const QString& text);
    SimulatedElement& setCaret(std::int64_t position);
    // A selection whose text markers do not tell where the caret stands.
    SimulatedElement& setSelection(AXRange selection);
    // A selection made as a user makes one, from `anchor` to the caret, its
    // moving end, which its text markers tell.
    SimulatedElement& selectFrom(std::int64_t anchor, std::int64_t caret);
    // The range on screen; by default the whole text.
    SimulatedElement& setVisibleRange(std::optional<AXRange> range);
    // By default the characters start at the frame's top-left corner.
    SimulatedElement& setLayout(const TextLayout& layout);
    // Character and range boxes answered wrongly, the text drawn as before.
    SimulatedElement& setWrongBoxes(const WrongBoxes& wrong);
    const QString& text() const { return text_; }
    AXRange selection() const { return selection_; }
    TextLayout layout() const;

    // What the accessibility service reads.
    QStringList attributeNames() const;
    AXCode attributeValue(const QString& name, AXValue& value) const;
    AXCode isAttributeSettable(const QString& name, bool& settable) const;
    AXCode setAttributeValue(const QString& name, const AXValue& value);
    QStringList parameterizedAttributeNames() const;
    AXCode parameterizedAttributeValue(const QString& name, const AXValue& parameter, AXValue& value) const;
    QStringList actionNames() const { return actionOrder_; }
    AXCode actionDescription(const QString& action, QString& description) const;
    AXCode performAction(const QString& action);
    // The deepest element under the point, this one included.
    SimulatedElement* hitTest(const QPointF& point);

private:
    QStringList computedAttributeNames() const;
    AXCode computedValue(const QString& name, AXValue& value) const;
    AXCode textValue(const QString& name, AXValue& value) const;
    AXCode textParameterized(const QString& name, const AXValue& parameter, AXValue& value) const;
    bool hasTextMarkers() const;
    std::optional<QRectF> answeredBounds(AXRange range) const;
    void announce(const QString& notification);

    SimulatedDesktop& desktop_;
    SimulatedApplication* application_;
    SimulatedElement* parent_;
    const std::uint64_t id_;
    const QString role_;
    std::vector<std::unique_ptr<SimulatedElement>> children_;

    std::optional<QString> title_;
    std::optional<QString> subrole_;
    std::optional<QRectF> frame_;
    QMap<QString, AXValue> scripted_;
    QSet<QString> removed_;
    QSet<QString> settable_;
    QStringList actionOrder_;
    QMap<QString, QString> actionDescriptions_;
    QMap<QString, int> performed_;

    QString text_;
    AXRange selection_;
    std::optional<std::int64_t> selectionCaret_;
    std::optional<AXRange> visibleRange_;
    std::optional<TextLayout> layout_;
    WrongBoxes wrongBoxes_;
};

// The element handle the simulated accessibility service hands out: the
// element's id, or for an application that does not exist, id 0 and its pid.
class SimulatedElementData final : public AXElementData {
public:
    SimulatedElementData(const SimulatedDesktop* desktop, std::uint64_t id, std::int32_t pid)
        : desktop_(desktop), id_(id), pid_(pid)
    {
    }
    bool equals(const AXElementData& other) const override;
    QString debugDescription() const override;
    const SimulatedDesktop* desktop() const { return desktop_; }
    std::uint64_t id() const { return id_; }
    std::int32_t pid() const { return pid_; }

private:
    const SimulatedDesktop* desktop_;
    std::uint64_t id_;
    std::int32_t pid_;
};

}  // namespace zorbel::platform
