#pragma once

#include "Platform/RawEnum.h"

#include <QByteArray>
#include <QMetaType>
#include <QSizeF>
#include <QString>

#include <optional>

class QColor;

namespace zorbel {

enum class BrindotShape { circle, triangle, rectangle };

// On which side of the caret the indicator sits.
enum class BrindotRelativePosition { topLeft, top, topRight, left, center, right, bottomLeft, bottom, bottomRight };

// Stored beside the relative position; placement does not read it.
enum class BrindotAlignment { topLeft, top, topRight, left, center, right, bottomLeft, bottom, bottomRight };

template <>
struct RawEnumNames<BrindotShape> {
    static constexpr std::array names{"circle", "triangle", "rectangle"};
};
template <>
struct RawEnumNames<BrindotRelativePosition> {
    static constexpr std::array names{"topLeft", "top",        "topRight", "left",       "center",
                                      "right",   "bottomLeft", "bottom",   "bottomRight"};
};
template <>
struct RawEnumNames<BrindotAlignment> {
    static constexpr std::array names = RawEnumNames<BrindotRelativePosition>::names;
};

// sRGB components from 0 to 1.
struct BrindotColor {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    bool operator==(const BrindotColor&) const = default;
};

struct BrindotPosition {
    BrindotRelativePosition relativePosition = BrindotRelativePosition::topRight;
    BrindotAlignment alignment = BrindotAlignment::center;
    double horizontalOffset = -3;  // points, added after placement
    double verticalOffset = -3;

    bool operator==(const BrindotPosition&) const = default;
};

struct CustomContent {
    enum class ContentType { image, emoji, gif };

    ContentType type = ContentType::emoji;
    std::optional<QByteArray> data;
    std::optional<QString> emoji;
    double scale = 1;

    bool operator==(const CustomContent&) const = default;
};

template <>
struct RawEnumNames<CustomContent::ContentType> {
    static constexpr std::array names{"image", "emoji", "gif"};
};

// The indicator's stored look. A default-built value is the default style.
struct BrindotStyle {
    BrindotShape shape = BrindotShape::circle;
    double size = 10;  // points
    BrindotColor fillColor{0, 0.4, 1.0, 0.9};
    bool fillEnabled = true;
    BrindotColor borderColor{1, 1, 1, 1};
    double borderWidth = 2;
    bool borderEnabled = true;
    BrindotPosition position;
    std::optional<CustomContent> customContent;
    bool animationEnabled = true;
    double animationDuration = 0.2;  // seconds
    bool shadowEnabled = false;
    BrindotColor shadowColor{0, 0, 0, 1};
    double shadowRadius = 0;
    QSizeF shadowOffset{0, 0};
    double shadowOpacity = 0;  // 0 to 1

    // Used when nothing is stored, when the stored value is unreadable, and
    // by the reset.
    static BrindotStyle defaultStyle() { return BrindotStyle{}; }

    // A whole style in the given colour with a white border, fill and border
    // on, centred, no shadow.
    static BrindotStyle preset(const QColor& color, BrindotShape shape, double size, double borderWidth);
    static BrindotStyle classicBlack();
    static BrindotStyle blueCircle();  // the one of the three without a border
    static BrindotStyle redTriangle();

    // Compares what the user sees of the shape itself: position, custom
    // content and the shadow fields take no part.
    bool operator==(const BrindotStyle& other) const;
};

}  // namespace zorbel

Q_DECLARE_METATYPE(zorbel::BrindotStyle)
