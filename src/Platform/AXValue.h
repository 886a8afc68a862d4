#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

namespace zorbel::platform {

// Result codes of every accessibility call. 0 is success; the others are the
// failure codes the accessibility layer names (AXError).
using AXCode = std::int32_t;
namespace axcode {
constexpr AXCode success = 0;
constexpr AXCode failure = -25200;
constexpr AXCode illegalArgument = -25201;
constexpr AXCode invalidUIElement = -25202;
constexpr AXCode invalidUIElementObserver = -25203;
constexpr AXCode cannotComplete = -25204;
constexpr AXCode attributeUnsupported = -25205;
constexpr AXCode actionUnsupported = -25206;
constexpr AXCode notificationUnsupported = -25207;
constexpr AXCode notImplemented = -25208;
constexpr AXCode notificationAlreadyRegistered = -25209;
constexpr AXCode notificationNotRegistered = -25210;
constexpr AXCode apiDisabled = -25211;
constexpr AXCode noValue = -25212;
constexpr AXCode parameterizedAttributeUnsupported = -25213;
constexpr AXCode notEnoughPrecision = -25214;
}  // namespace axcode

// What a back end keeps for one element. Handles compare with equals().
class AXElementData {
public:
    virtual ~AXElementData() = default;
    virtual bool equals(const AXElementData& other) const = 0;
    // The element's own textual form, for descriptions and logs.
    virtual QString debugDescription() const = 0;
};

// An opaque, shared handle on one accessibility element of some process.
class AXElementRef {
public:
    AXElementRef() = default;
    explicit AXElementRef(std::shared_ptr<const AXElementData> data) : data_(std::move(data)) {}

    bool isNull() const { return !data_; }
    explicit operator bool() const { return static_cast<bool>(data_); }
    const AXElementData* data() const { return data_.get(); }
    template <class T>
    const T* as() const
    {
        return dynamic_cast<const T*>(data_.get());
    }
    QString debugDescription() const { return data_ ? data_->debugDescription() : QStringLiteral("<null element>"); }

    friend bool operator==(const AXElementRef& a, const AXElementRef& b)
    {
        if (a.data_ == b.data_) return true;
        if (!a.data_ || !b.data_) return false;
        return a.data_->equals(*b.data_);
    }

private:
    std::shared_ptr<const AXElementData> data_;
};

// A location and a length in an element's own text positions. Positions
// count Unicode code points, the unit of AT-SPI character offsets: an emoji
// or a CJK character is one position, CR LF two. A QString indexes UTF-16
// units instead, so a text value is indexed by code point before it is
// compared with a position.
struct AXRange {
    std::int64_t location = 0;
    std::int64_t length = 0;
    friend bool operator==(const AXRange&, const AXRange&) = default;
};

// An error code carried as a value (one entry of a multiple-attribute answer).
struct AXErrorMarker {
    AXCode code = axcode::failure;
    friend bool operator==(const AXErrorMarker&, const AXErrorMarker&) = default;
};

// An opaque text-marker range: a span of an element's text as the back end
// understands it. Only the back end that made it reads its fields.
struct AXTextMarkerRange {
    AXElementRef element;
    std::int64_t start = 0;
    std::int64_t end = 0;
    // Where the insertion point stands in a selection (its moving end), when
    // the application tells.
    std::optional<std::int64_t> caret;
    // The empty range at the insertion point of a selection; none for an
    // empty range, or where the application does not tell its caret.
    std::optional<AXTextMarkerRange> insertionPoint() const;
    friend bool operator==(const AXTextMarkerRange&, const AXTextMarkerRange&) = default;
};

inline std::optional<AXTextMarkerRange> AXTextMarkerRange::insertionPoint() const
{
    if (!caret || start == end) return std::nullopt;
    return AXTextMarkerRange{element, *caret, *caret, std::nullopt};
}

// One accessibility value: null, a Boolean, a number, a string, an element,
// an array, a dictionary, a point, a size, a rectangle, a range, an error
// marker or a text-marker range. Geometry is in screen coordinates with the
// origin at the top left of the first screen, y growing downwards.
class AXValue {
public:
    using Array = std::vector<AXValue>;
    using Dictionary = std::vector<std::pair<QString, AXValue>>;

    enum class Kind {
        null, boolean, integer, real, string, element, array, dictionary,
        point, size, rect, range, error, textMarkerRange
    };

    AXValue() = default;
    AXValue(bool v) : v_(v) {}
    AXValue(int v) : v_(static_cast<std::int64_t>(v)) {}
    AXValue(std::int64_t v) : v_(v) {}
    AXValue(double v) : v_(v) {}
    AXValue(const char* v) : v_(QString::fromUtf8(v)) {}
    AXValue(QString v) : v_(std::move(v)) {}
    AXValue(AXElementRef v) : v_(std::move(v)) {}
    AXValue(Array v) : v_(std::make_shared<const Array>(std::move(v))) {}
    AXValue(Dictionary v) : v_(std::make_shared<const Dictionary>(std::move(v))) {}
    AXValue(QPointF v) : v_(v) {}
    AXValue(QSizeF v) : v_(v) {}
    AXValue(QRectF v) : v_(v) {}
    AXValue(AXRange v) : v_(v) {}
    AXValue(AXErrorMarker v) : v_(v) {}
    AXValue(AXTextMarkerRange v) : v_(std::move(v)) {}

    Kind kind() const { return static_cast<Kind>(v_.index()); }
    bool isNull() const { return kind() == Kind::null; }

    // Each accessor answers nothing (a null pointer) for another kind.
    const bool* boolean() const { return std::get_if<bool>(&v_); }
    const std::int64_t* integer() const { return std::get_if<std::int64_t>(&v_); }
    const double* real() const { return std::get_if<double>(&v_); }
    const QString* string() const { return std::get_if<QString>(&v_); }
    const AXElementRef* element() const { return std::get_if<AXElementRef>(&v_); }
    const Array* array() const
    {
        auto p = std::get_if<std::shared_ptr<const Array>>(&v_);
        return p ? p->get() : nullptr;
    }
    const Dictionary* dictionary() const
    {
        auto p = std::get_if<std::shared_ptr<const Dictionary>>(&v_);
        return p ? p->get() : nullptr;
    }
    const QPointF* point() const { return std::get_if<QPointF>(&v_); }
    const QSizeF* size() const { return std::get_if<QSizeF>(&v_); }
    const QRectF* rect() const { return std::get_if<QRectF>(&v_); }
    const AXRange* range() const { return std::get_if<AXRange>(&v_); }
    const AXErrorMarker* error() const { return std::get_if<AXErrorMarker>(&v_); }
    const AXTextMarkerRange* textMarkerRange() const { return std::get_if<AXTextMarkerRange>(&v_); }

    // Integers and reals both read as a number.
    bool isNumber() const { return integer() || real(); }
    double toDouble() const { return integer() ? static_cast<double>(*integer()) : real() ? *real() : 0.0; }

    friend bool operator==(const AXValue& a, const AXValue& b);

private:
    std::variant<std::monostate, bool, std::int64_t, double, QString, AXElementRef,
                 std::shared_ptr<const Array>, std::shared_ptr<const Dictionary>, QPointF, QSizeF, QRectF, AXRange,
                 AXErrorMarker, AXTextMarkerRange>
        v_;
};

}  // namespace zorbel::platform
