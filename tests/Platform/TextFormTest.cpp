#include "Platform/TextForm.h"

#include <gtest/gtest.h>

namespace text = zorbel::text;

TEST(TextForm, NumbersReadAsTheProgramPrintsThem)
{
    EXPECT_EQ(text::number(10.0), "10.0");
    EXPECT_EQ(text::number(0.1), "0.1");
    EXPECT_EQ(text::number(-3.0), "-3.0");
    EXPECT_EQ(text::number(112.5), "112.5");
    EXPECT_EQ(text::number(0.0), "0.0");
    EXPECT_EQ(text::number(1e-05), "1e-05");
    EXPECT_EQ(text::number(0.0001), "0.0001");
    EXPECT_EQ(text::number(1e16), "1e+16");
    EXPECT_EQ(text::number(123456789.0), "123456789.0");
    EXPECT_EQ(text::number(0.35f), "0.35");
    EXPECT_EQ(text::number(1.0 / 3.0), "0.3333333333333333");
}

TEST(TextForm, PointsSizesRectanglesAndBooleans)
{
    EXPECT_EQ(text::point({112, 212}), "(112.0, 212.0)");
    EXPECT_EQ(text::size({16, 16}), "(16.0, 16.0)");
    EXPECT_EQ(text::rect({492, 292, 16, 16}), "(492.0, 292.0, 16.0, 16.0)");
    EXPECT_EQ(text::boolean(true), "true");
    EXPECT_EQ(text::boolean(false), "false");
    EXPECT_EQ(text::optionalPoint(std::nullopt), "nil");
}
