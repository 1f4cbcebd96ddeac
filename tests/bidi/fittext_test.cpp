// FitTextToWidth against the real metrics of DejaVu Sans.
#include "bidi/fittext.h"
#include "bidi/textlibs/kvbidi12.h"
#include "drawing.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

const QChar kMark(0x200E); // left-to-right mark

class FitText : public testing::Test {
protected:
    FitText() : m_image(WhiteImage(10, 10)), m_dc(&m_image) { m_dc.setFont(TestFont()); }

    int Width(const QString& text, bool rtl = false) { return BiDiTextWidth(&m_dc, text.utf16(), int(text.size()), rtl); }
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
    for (const QString& text : {u"Makkah"_qs, u"مكة المكرمة"_qs, u"Makkah\u200E"_qs, QString()}) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(Fit(text, Width(text) + 30), text);
        EXPECT_EQ(Fit(text, Width(text)), text); // exactly as wide as the cell
    }
}

TEST_F(FitText, TextThatDoesNotFitEndsInDotsAndFitsAsLongAsItCan)
{
    const std::pair<QString, bool> rows[] = {
        {u"Kingdom of Saudi Arabia"_qs, false},
        {u"المملكة العربية السعودية"_qs, true},
        {u"Washington, District of Columbia"_qs, false},
    };
    for (const auto& [text, rightToLeft] : rows) {
        for (int room : {40, 75, 120}) {
            SCOPED_TRACE(text.toStdString() + " in " + std::to_string(room));
            ASSERT_GT(Width(text, rightToLeft), room);
            const QString fitted = Fit(text, room, rightToLeft);
            ASSERT_TRUE(fitted.endsWith(u"..."_qs));
            EXPECT_LE(Width(fitted, rightToLeft), room);
            // The start of the text is kept, and one more character would not fit.
            const QString kept = fitted.chopped(3);
            EXPECT_TRUE(text.startsWith(kept));
            EXPECT_GT(Width(text.left(kept.size() + 1) + u"..."_qs, rightToLeft), room);
            // A trailing mark is not counted and stays last.
            EXPECT_EQ(Fit(text + kMark, room, rightToLeft), fitted + kMark);
        }
    }
}

TEST_F(FitText, DotsAreEatenLastAndCanAllGo)
{
    // Once the text is gone the dots go one by one, so a cell narrower than
    // "." keeps nothing but a trailing mark.
    const int dot = Width(u"."_qs);
    const int dots = Width(u"..."_qs);
    ASSERT_GT(dot, 1);
    const std::pair<int, QString> rows[] = {
        {dots, u"..."_qs}, {dots - 1, u".."_qs}, {dot, u"."_qs}, {dot - 1, QString()},
        {-4, QString()}, // a cell smaller than its margins
    };
    for (const QString& text : {u"Makkah"_qs, u"مكة المكرمة"_qs}) {
        for (const auto& [room, expected] : rows) {
            SCOPED_TRACE(text.toStdString() + " in " + std::to_string(room));
            EXPECT_EQ(Fit(text, room), expected);
            EXPECT_EQ(Fit(text + kMark, room), expected + kMark);
        }
    }
}

} // namespace
