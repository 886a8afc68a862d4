// The text side of simulated elements: value, caret, selection, visible
// range, line queries and character bounds.
#include "Platform/Simulated/SimulatedApplication.h"
#include "Platform/Simulated/SimulatedDesktop.h"
#include "Platform/Simulated/SimulatedElement.h"

#include <algorithm>
#include <cstdlib>

namespace zorbel::platform {

namespace {
std::int64_t lengthOf(const QString& text) { return textlayout::length(text); }
}  // namespace

bool SimulatedElement::isText() const
{
    return role_ == QLatin1String("AXTextField") || role_ == QLatin1String("AXTextArea") ||
           role_ == QLatin1String("AXComboBox");
}

bool SimulatedElement::hasTextMarkers() const { return application_ && application_->hasTextMarkers(); }

SimulatedElement& SimulatedElement::setText(const QString& text)
{
    text_ = text;
    selection_ = AXRange{lengthOf(text_), 0};
    selectionCaret_.reset();
    if (visibleRange_) visibleRange_ = textlayout::clip(text_, *visibleRange_);
    announce(QStringLiteral("AXValueChanged"));
    announce(QStringLiteral("AXSelectedTextChanged"));
    return *this;
}

SimulatedElement& SimulatedElement::setCaret(std::int64_t position)
{
    return setSelection(AXRange{std::clamp<std::int64_t>(position, 0, lengthOf(text_)), 0});
}

SimulatedElement& SimulatedElement::setSelection(AXRange selection)
{
    selection_ = textlayout::clip(text_, selection).value_or(AXRange{lengthOf(text_), 0});
    selectionCaret_.reset();
    announce(QStringLiteral("AXSelectedTextChanged"));
    return *this;
}

SimulatedElement& SimulatedElement::selectFrom(std::int64_t anchor, std::int64_t caret)
{
    setSelection(AXRange{std::min(anchor, caret), std::abs(caret - anchor)});
    if (selection_.length > 0) selectionCaret_ = caret;
    return *this;
}

SimulatedElement& SimulatedElement::setVisibleRange(std::optional<AXRange> range)
{
    visibleRange_ = range;
    return *this;
}

SimulatedElement& SimulatedElement::setLayout(const TextLayout& layout)
{
    layout_ = layout;
    return *this;
}

SimulatedElement& SimulatedElement::setWrongBoxes(const WrongBoxes& wrong)
{
    wrongBoxes_ = wrong;
    return *this;
}

std::optional<QRectF> SimulatedElement::answeredBounds(AXRange range) const
{
    if (wrongBoxes_.firstCharacterOnly && textlayout::clip(text_, range)) range.location = 0;
    const auto bounds = textlayout::boundsForRange(text_, range, layout());
    return bounds ? std::optional<QRectF>(bounds->translated(wrongBoxes_.shift)) : std::nullopt;
}

TextLayout SimulatedElement::layout() const
{
    if (layout_) return *layout_;
    TextLayout fromFrame;
    if (frame_) fromFrame.origin = frame_->topLeft();
    return fromFrame;
}

AXCode SimulatedElement::textValue(const QString& name, AXValue& value) const
{
    const auto& sel = selection_;
    const auto visible = visibleRange_.value_or(AXRange{0, lengthOf(text_)});
    if (name == QLatin1String("AXValue")) value = text_;
    else if (name == QLatin1String("AXNumberOfCharacters")) value = lengthOf(text_);
    else if (name == QLatin1String("AXSelectedText")) value = textlayout::mid(text_, sel.location, sel.length);
    else if (name == QLatin1String("AXSelectedTextRange")) value = sel;
    else if (name == QLatin1String("AXSelectedTextRanges")) value = AXValue::Array{AXValue(sel)};
    else if (name == QLatin1String("AXVisibleCharacterRange")) value = visible;
    else if (name == QLatin1String("AXInsertionPointLineNumber")) value = textlayout::lineOf(text_, sel.location);
    else if (name == QLatin1String("AXSelectedTextMarkerRange"))
        value = AXTextMarkerRange{ref(), sel.location, sel.location + sel.length, selectionCaret_};
    else return axcode::attributeUnsupported;
    return axcode::success;
}

QStringList SimulatedElement::parameterizedAttributeNames() const
{
    if (!isText()) return {};
    QStringList names{QStringLiteral("AXLineForIndex"), QStringLiteral("AXRangeForLine"),
                      QStringLiteral("AXStringForRange"), QStringLiteral("AXBoundsForRange"),
                      QStringLiteral("AXRangeForPosition")};
    if (hasTextMarkers()) names << QStringLiteral("AXBoundsForTextMarkerRange");
    return names;
}

AXCode SimulatedElement::parameterizedAttributeValue(const QString& name, const AXValue& parameter,
                                                     AXValue& value) const
{
    if (!parameterizedAttributeNames().contains(name)) return axcode::attributeUnsupported;
    return textParameterized(name, parameter, value);
}

AXCode SimulatedElement::textParameterized(const QString& name, const AXValue& parameter, AXValue& value) const
{
    auto answer = [&value](AXValue v) {
        value = std::move(v);
        return axcode::success;
    };
    const auto* number = parameter.integer();
    const auto* range = parameter.range();
    if (name == QLatin1String("AXLineForIndex")) {
        if (!number || *number < 0 || *number > lengthOf(text_)) return axcode::illegalArgument;
        return answer(textlayout::lineOf(text_, *number));
    }
    if (name == QLatin1String("AXRangeForLine")) {
        const auto line = number ? textlayout::rangeOfLine(text_, *number) : std::nullopt;
        return line ? answer(*line) : axcode::illegalArgument;
    }
    if (name == QLatin1String("AXStringForRange")) {
        const auto r = range ? textlayout::clip(text_, *range) : std::nullopt;
        return r ? answer(textlayout::mid(text_, r->location, r->length)) : axcode::illegalArgument;
    }
    if (name == QLatin1String("AXRangeForPosition")) {
        const auto* point = parameter.point();
        if (!point) return axcode::illegalArgument;
        const auto position = textlayout::positionAt(text_, *point, layout());
        return position ? answer(AXRange{*position, 1}) : axcode::noValue;
    }
    if (name == QLatin1String("AXBoundsForRange")) {
        const auto bounds = range ? answeredBounds(*range) : std::nullopt;
        return bounds ? answer(*bounds) : axcode::illegalArgument;
    }
    const auto* marker = parameter.textMarkerRange();
    if (!marker || marker->element != ref() || marker->start < 0 || marker->end < marker->start)
        return axcode::illegalArgument;
    const auto bounds = answeredBounds(AXRange{marker->start, marker->end - marker->start});
    return bounds ? answer(*bounds) : axcode::illegalArgument;
}

}  // namespace zorbel::platform
