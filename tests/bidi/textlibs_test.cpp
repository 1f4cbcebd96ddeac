// The text library's own functions: shaping into a caller's buffer, and
// measuring and drawing, looked at pixel by pixel.
#include "bidi/textlibs/kvbidi12.h"
#include "drawing.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

constexpr int kX = 20;
constexpr int kY = 5;

struct Drawn {
    QImage image;
    int width;
};

// Measures text and draws it at (kX, kY).
Drawn Draw(const QString& text, bool rightToLeft)
{
    Drawn drawn{WhiteImage(400, 40), 0};
    QPainter dc(&drawn.image);
    dc.setFont(TestFont());
    drawn.width = BiDiTextWidth(&dc, text.utf16(), int(text.size()), rightToLeft);
    EXPECT_EQ(BiDiTextOut(&dc, kX, kY, text.utf16(), int(text.size()), rightToLeft), 1);
    return drawn;
}

TEST(BiDiText, WidthIsWhatTheDrawingTakes)
{
    const std::pair<QString, bool> rows[] = {
        {u"Makkah"_qs, false}, {u"Makkah"_qs, true}, {u"مكة المكرمة"_qs, true},
        {u"مكة المكرمة"_qs, false}, {u"Cairo القاهرة 20"_qs, true}, {u"W"_qs, false},
    };
    for (const auto& [text, rightToLeft] : rows) {
        SCOPED_TRACE(text.toStdString() + (rightToLeft ? " rtl" : " ltr"));
        const Drawn drawn = Draw(text, rightToLeft);
        const QRect ink = InkBox(drawn.image, drawn.image.rect());
        // From x to x + width, give or take the glyphs' side bearings.
        EXPECT_TRUE(ink.left() >= kX && ink.left() <= kX + 2 && ink.top() >= kY) << ink.left();
        EXPECT_TRUE(ink.right() <= kX + drawn.width && ink.right() >= kX + drawn.width - 3) << ink.right();
    }
}

TEST(BiDiText, DrawsShapedInTheBaseDirection)
{
    // Unicode bidirectional algorithm, rules W1-N2: in a right-to-left line
    // "abc مكة" starts at the right, the space taking the base direction.
    const Drawn rightToLeft = Draw(u"abc مكة"_qs, true);
    EXPECT_EQ(rightToLeft.image, Draw(u"مكة abc"_qs, false).image);
    EXPECT_NE(rightToLeft.image, Draw(u"abc مكة"_qs, false).image);
    // Joined, مكة draws the glyphs of U+FEE3 U+FEDC U+FE94, and is narrower
    // than its letters' isolated forms.
    const Drawn logical = Draw(u"مكة"_qs, true);
    EXPECT_EQ(logical.image, Draw(u"\uFEE3\uFEDC\uFE94"_qs, true).image);
    EXPECT_LT(logical.width, Draw(u"\uFEE1\uFED9\uFE93"_qs, true).width);
}

TEST(TextLibrary, StaysInsideItsBuffersAndRefusesMissingInput)
{
    // A destination exactly as long as the source, guarded on both sides.
    const QString source = u"السلام عليكم"_qs;
    std::vector<unsigned short> out(source.size() + 2, 0xABCD);
    EXPECT_EQ(StringShape(nullptr, source.utf16(), int(source.size()), out.data() + 1, 1), source.size() - 1);
    EXPECT_EQ(out.front(), 0xABCD);
    EXPECT_EQ(out.back(), 0xABCD);

    QImage image = WhiteImage(20, 20);
    QPainter dc(&image);
    EXPECT_EQ(StringShape(nullptr, nullptr, 2, out.data(), 1), 0);
    EXPECT_EQ(StringShape(nullptr, source.utf16(), 2, nullptr, 1), 0);
    EXPECT_EQ(StringShape(nullptr, source.utf16(), -1, out.data(), 1), 0);
    EXPECT_EQ(BiDiTextWidth(nullptr, source.utf16(), 1, 0), 0);
    EXPECT_EQ(BiDiTextOut(nullptr, 0, 0, source.utf16(), 1, 0), 0);
    EXPECT_EQ(BiDiTextWidth(&dc, source.utf16(), 0, 0), 0);
    EXPECT_EQ(BiDiTextWidth(&dc, nullptr, 3, 0), 0);
    EXPECT_EQ(BiDiTextOut(&dc, 0, 0, nullptr, 3, 0), 0);
}

} // namespace
