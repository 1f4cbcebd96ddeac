// The bidirectional-text library's measuring and drawing, looked at pixel
// by pixel.
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

Drawn Draw(const QString& text, bool rightToLeft, QColor pen = Qt::black,
           Qt::BGMode mode = Qt::TransparentMode, QColor background = Qt::white)
{
    Drawn drawn{WhiteImage(400, 40), 0};
    QPainter dc(&drawn.image);
    dc.setFont(TestFont());
    dc.setPen(pen);
    dc.setBackgroundMode(mode);
    dc.setBackground(background);
    drawn.width = BiDiTextWidth(&dc, text.utf16(), int(text.size()), rightToLeft);
    EXPECT_EQ(BiDiTextOut(&dc, kX, kY, text.utf16(), int(text.size()), rightToLeft), 1);
    return drawn;
}

TEST(BiDiText, WidthIsWhatTheDrawingTakes)
{
    struct Row {
        QString text;
        bool rightToLeft;
    };
    const Row rows[] = {
        {u"Makkah"_qs, false},   {u"Makkah"_qs, true},
        {u"مكة المكرمة"_qs, true}, {u"مكة المكرمة"_qs, false},
        {u"Cairo القاهرة 20"_qs, true}, {u"W"_qs, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.toStdString() + (row.rightToLeft ? " rtl" : " ltr"));
        const Drawn drawn = Draw(row.text, row.rightToLeft);
        const QRect ink = InkBox(drawn.image, drawn.image.rect(), Qt::white);
        ASSERT_FALSE(ink.isNull());
        ASSERT_GT(drawn.width, 0);
        // The ink starts at x and ends within the measured width, give or
        // take the glyphs' side bearings.
        EXPECT_GE(ink.left(), kX);
        EXPECT_LE(ink.left(), kX + 2);
        EXPECT_LE(ink.right(), kX + drawn.width);
        EXPECT_GE(ink.right(), kX + drawn.width - 3);
        EXPECT_GE(ink.top(), kY);
    }
}

TEST(BiDiText, BaseDirectionOrdersMixedText)
{
    // In a right-to-left line "abc مكة" begins at the right: it looks like
    // "مكة abc" laid out left to right (Unicode bidirectional algorithm,
    // rules W1-N2: the space between the runs takes the base direction).
    const Drawn rightToLeft = Draw(u"abc مكة"_qs, true);
    const Drawn leftToRight = Draw(u"مكة abc"_qs, false);
    EXPECT_EQ(rightToLeft.image, leftToRight.image);
    EXPECT_NE(Draw(u"abc مكة"_qs, false).image, rightToLeft.image);
}

TEST(BiDiText, ArabicIsShapedWhenDrawn)
{
    // The letters of مكة drawn apart would be wider than the joined word,
    // whose presentation forms U+FEE3 U+FEDC U+FE94 draw the same glyphs.
    const Drawn logical = Draw(u"مكة"_qs, true);
    const Drawn presentation = Draw(u"\uFEE3\uFEDC\uFE94"_qs, true);
    const Drawn isolated = Draw(u"\uFEE1\uFED9\uFE93"_qs, true);
    EXPECT_EQ(logical.image, presentation.image);
    EXPECT_LT(logical.width, isolated.width);
}

TEST(BiDiText, DrawsWithThePaintersColoursAndBackgroundMode)
{
    const QColor listText(0x42, 0x3F, 0x73);
    const QColor selection(0xC8, 0xC8, 0xFA);
    const Drawn transparent = Draw(u"Makkah"_qs, false, listText, Qt::TransparentMode, selection);
    const Drawn opaque = Draw(u"Makkah"_qs, false, listText, Qt::OpaqueMode, selection);

    // Somewhere the pen's colour is drawn at full strength.
    const QRect ink = InkBox(transparent.image, transparent.image.rect(), Qt::white);
    bool penSeen = false;
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        for (int x = ink.left(); x <= ink.right(); ++x)
            penSeen |= transparent.image.pixelColor(x, y) == listText;
    EXPECT_TRUE(penSeen);

    // Opaque mode fills the text's box with the background; transparent
    // leaves what was there. (kX + 1, kY + 1) is inside the box, above
    // the letters.
    EXPECT_EQ(opaque.image.pixelColor(kX + 1, kY + 1), selection);
    EXPECT_EQ(transparent.image.pixelColor(kX + 1, kY + 1), QColor(Qt::white));
    EXPECT_EQ(opaque.image.pixelColor(kX + opaque.width + 2, kY + 1), QColor(Qt::white));
}

TEST(BiDiText, NothingWithoutAPainterOrText)
{
    const unsigned short text[] = {'a'};
    QImage image = WhiteImage(20, 20);
    QPainter dc(&image);
    EXPECT_EQ(BiDiTextWidth(nullptr, text, 1, 0), 0);
    EXPECT_EQ(BiDiTextOut(nullptr, 0, 0, text, 1, 0), 0);
    EXPECT_EQ(BiDiTextWidth(&dc, text, 0, 0), 0);
    EXPECT_EQ(BiDiTextWidth(&dc, nullptr, 3, 0), 0);
    EXPECT_EQ(BiDiTextOut(&dc, 0, 0, nullptr, 3, 0), 0);
}

} // namespace
