// FitTextToWidth against the real metrics of DejaVu Sans.
#include "bidi/fittext.h"
#include "bidi/textlibs/kvbidi12.h"
#include "drawing.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

constexpr QChar kLeftToRightMark = QChar(0x200E);

class FitText : public testing::Test {
protected:
    FitText() : m_image(WhiteImage(10, 10)), m_dc(&m_image) { m_dc.setFont(TestFont()); }

    int Width(const QString& text, bool rightToLeft = false)
    {
        return BiDiTextWidth(&m_dc, text.utf16(), int(text.size()), rightToLeft ? 1 : 0);
    }

    // Fits text into a cell [10, 10 + room) as a list row would.
    QString Fit(QString text, int room, bool rightToLeft = false)
    {
        EXPECT_EQ(FitTextToWidth(&m_dc, text, 10, 0, 10 + room, 20, rightToLeft), 1);
        return text;
    }

    QImage m_image;
    QPainter m_dc;
};

TEST_F(FitText, TextThatFitsIsUnchanged)
{
    const QString rows[] = {u"Makkah"_qs, u"مكة المكرمة"_qs, u"Makkah\u200E"_qs, QString()};
    for (const QString& text : rows) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(Fit(text, Width(text) + 30), text);
        // Exactly as wide as the cell still fits.
        EXPECT_EQ(Fit(text, Width(text)), text);
    }
}

TEST_F(FitText, TextThatDoesNotFitEndsInDotsAndFitsAsLongAsItCan)
{
    struct Row {
        QString text;
        bool rightToLeft;
    };
    const Row rows[] = {
        {u"Kingdom of Saudi Arabia"_qs, false},
        {u"المملكة العربية السعودية"_qs, true},
        {u"Washington, District of Columbia"_qs, false},
    };
    for (const Row& row : rows) {
        for (int room : {40, 75, 120}) {
            SCOPED_TRACE(row.text.toStdString() + " in " + std::to_string(room));
            ASSERT_GT(Width(row.text, row.rightToLeft), room);
            const QString fitted = Fit(row.text, room, row.rightToLeft);
            ASSERT_TRUE(fitted.endsWith(u"..."_qs));
            EXPECT_LE(Width(fitted, row.rightToLeft), room);
            // What is left is the start of the text, and one more character
            // of it would no longer fit.
            const QString kept = fitted.chopped(3);
            EXPECT_TRUE(row.text.startsWith(kept));
            EXPECT_GT(Width(row.text.left(kept.size() + 1) + u"..."_qs, row.rightToLeft), room);
        }
    }
}

TEST_F(FitText, TrailingLeftToRightMarkStaysLast)
{
    const QString text = u"Kingdom of Saudi Arabia\u200E"_qs;
    const QString fitted = Fit(text, 80);
    ASSERT_EQ(fitted.right(4), u"...\u200E"_qs);
    EXPECT_LE(Width(fitted.chopped(1)), 80);
    // The mark is not counted: the dots come right where they would without it.
    EXPECT_EQ(fitted.chopped(1), Fit(text.chopped(1), 80));
}

TEST_F(FitText, DotsAreEatenLastAndCanAllGo)
{
    // Once the text is gone the dots go one by one from the front, so a
    // cell narrower than "..." keeps what dots fit and one narrower than
    // "." keeps nothing.
    const int dot = Width(u"."_qs);
    const int dots = Width(u"..."_qs);
    ASSERT_GT(dot, 1);
    struct Row {
        int room;
        QString expected;
    };
    const Row rows[] = {
        {dots, u"..."_qs},
        {dots - 1, u".."_qs},
        {dot, u"."_qs},
        {dot - 1, QString()},
        {0, QString()},
        {-4, QString()}, // a cell smaller than its margins
    };
    for (const QString& text : {u"Makkah"_qs, u"مكة المكرمة"_qs}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(text.toStdString() + " in " + std::to_string(row.room));
            ASSERT_GT(Width(text), row.room);
            EXPECT_EQ(Fit(text, row.room), row.expected);
            // A trailing mark outlives even the dots.
            EXPECT_EQ(Fit(text + kLeftToRightMark, row.room), row.expected + kLeftToRightMark);
        }
    }
}

} // namespace
