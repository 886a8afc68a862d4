#pragma once

#include "Caret/Styles/BrindotStyle.h"

#include <gtest/gtest.h>

namespace zorbel::testing {

// Field-for-field comparison; the style's own equality leaves some fields out.
inline void expectIdentical(const BrindotStyle& a, const BrindotStyle& b)
{
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.position, b.position);
    EXPECT_EQ(a.customContent, b.customContent);
    EXPECT_EQ(a.shadowEnabled, b.shadowEnabled);
    EXPECT_EQ(a.shadowColor, b.shadowColor);
    EXPECT_EQ(a.shadowRadius, b.shadowRadius);
    EXPECT_EQ(a.shadowOffset.width(), b.shadowOffset.width());
    EXPECT_EQ(a.shadowOffset.height(), b.shadowOffset.height());
    EXPECT_EQ(a.shadowOpacity, b.shadowOpacity);
}

// A style in which every field differs from the default.
inline BrindotStyle unusualStyle()
{
    BrindotStyle s;
    s.shape = BrindotShape::triangle;
    s.size = 17.25;
    s.fillColor = {0.1, 0.2, 0.3, 0.4};
    s.fillEnabled = false;
    s.borderColor = {0.5, 0.6, 0.7, 0.8};
    s.borderWidth = 3.5;
    s.borderEnabled = false;
    s.position = {BrindotRelativePosition::bottomLeft, BrindotAlignment::right, 4.5, -7};
    s.customContent = CustomContent{CustomContent::ContentType::gif, QByteArray("\x00\x01GIF\xff", 6),
                                    QStringLiteral("🙂"), 1.5};
    s.animationEnabled = false;
    s.animationDuration = 0.35;
    s.shadowEnabled = true;
    s.shadowColor = {0.9, 0.8, 0.7, 0.6};
    s.shadowRadius = 6;
    s.shadowOffset = QSizeF(2, -3);
    s.shadowOpacity = 0.35;
    return s;
}

}  // namespace zorbel::testing
