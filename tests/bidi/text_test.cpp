// The text library's shaping, measuring and drawing, looked at pixel by
// pixel; ShapeText with the library and without it; FitTextToWidth against
// the real metrics of DejaVu Sans.
#include "bidi/fittext.h"
#include "bidi/shapetext.h"
#include "bidi/textlibs/kvbidi12.h"
#include "drawing.h"

#include <QDir>
#include <QFile>
#include <QPainter>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

// Expected forms from the Unicode chart of Arabic Presentation Forms-B
// (U+FE70..U+FEFF): per letter isolated, final, initial, medial, and the
// lam-alef ligatures U+FEFB (isolated) and U+FEFC (final). Alef and dal join
// only to the letter before them, so the next letter starts a new group.
// An empty text shapes to nothing: StringShape's 0 empties the destination.
TEST(ShapeText, GivesRealWordsTheirDisplayForm)
{
    const std::tuple<std::u16string, int, std::u16string> rows[] = {
        {u"لا", 1, u"\uFEFB"}, {u"مكة", 1, u"\uFEE3\uFEDC\uFE94"}, {u"", 1, u""},
        {u"المدينة", 1, u"\uFE8D\uFEDF\uFEE4\uFEAA\uFEF3\uFEE8\uFE94"},
        {u"السلام", 1, u"\uFE8D\uFEDF\uFEB4\uFEFC\uFEE1"},
        {u"مكة المكرمة", 0, u"\uFEE3\uFEDC\uFE94 \uFE8D\uFEDF\uFEE4\uFEDC\uFEAE\uFEE3\uFE94"},
        {u"Makkah 21:25 N", 1, u"Makkah 21:25 N"}, {u"مكة abc", 1, u"\uFEE3\uFEDC\uFE94 abc"},
        {u"لا\u200E", 1, u"\uFEFB\u200E"},
    };
    for (const auto& [source, mode, expected] : rows) {
        QString shaped = u"old label"_qs;
        EXPECT_EQ(ShapeText(QString::fromStdU16String(source), shaped, mode), expected.empty() ? 0 : 1);
        EXPECT_EQ(shaped.toStdU16String(), expected) << QString::fromStdU16String(source).toStdString();
    }
}

class Text : public testing::Test {
protected:
    Text() : m_image(400, 40, QImage::Format_ARGB32_Premultiplied), m_dc(&m_image) { m_dc.setFont(TestFont()); }
    ~Text() override
    {
        QFile::remove(m_copy);
        SetBiDiLibraryName(u"KVBiDi12"_qs);
    }

    int Width(const QString& text, bool rtl = false) { return BiDiTextWidth(&m_dc, text.utf16(), int(text.size()), rtl); }
    // The text drawn at (20, 5) on white, and its width.
    std::pair<QImage, int> Draw(const QString& text, bool rtl)
    {
        m_image.fill(Qt::white);
        EXPECT_EQ(BiDiTextOut(&m_dc, 20, 5, text.utf16(), int(text.size()), rtl), 1);
        return {m_image.copy(), Width(text, rtl)};
    }
    // Fits text into a cell [10, 10 + room) as a list row would.
    QString Fit(QString text, int room, bool rtl = false)
    {
        EXPECT_EQ(FitTextToWidth(&m_dc, text, 10, 0, 10 + room, 20, rtl), 1);
        return text;
    }

    QImage m_image;
    QPainter m_dc;
    const QString m_copy = QDir(ComponentDirectory()).filePath(u"libKVBiDiLate.so"_qs);
};

// Without the library ShapeText leaves the destination alone; a copy of the
// real library in the component's directory, where only the fallback
// search finds it, is loaded by the next call.
TEST_F(Text, ShapeTextLoadsTheLibraryOnceItIsInstalled)
{
    QFile::remove(m_copy);
    SetBiDiLibraryName(u"KVBiDiLate"_qs);
    QString destination = u"unchanged"_qs;
    EXPECT_EQ(ShapeText(u"لا"_qs, destination, 1), 0);
    EXPECT_EQ(destination, u"unchanged"_qs);
    Dl_info real{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&StringShape), &real), 0);
    ASSERT_TRUE(QFile::copy(QFile::decodeName(real.dli_fname), m_copy));
    EXPECT_EQ(ShapeText(u"لا"_qs, destination, 1), 1);
    EXPECT_EQ(destination.toStdU16String(), u"\uFEFB");
}

TEST_F(Text, DrawsShapedInTheBaseDirectionAsWideAsMeasured)
{
    for (const auto& [text, rtl] : {std::pair(u"Makkah"_qs, true), std::pair(u"مكة المكرمة"_qs, false),
                                    std::pair(u"Cairo القاهرة 20"_qs, true), std::pair(u"W"_qs, false)}) {
        const auto [image, width] = Draw(text, rtl);
        const QRect ink = InkBox(image, image.rect());
        // From x to x + width, give or take the glyphs' side bearings.
        EXPECT_TRUE(ink.left() >= 20 && ink.left() <= 22 && ink.top() >= 5 && ink.right() <= 20 + width
                    && ink.right() >= 20 + width - 3) << text.toStdString() << (rtl ? " rtl" : " ltr");
    }
    // Unicode bidirectional algorithm, rules W1-N2: in a right-to-left line
    // "abc مكة" starts at the right, the space taking the base direction.
    EXPECT_EQ(Draw(u"abc مكة"_qs, true).first, Draw(u"مكة abc"_qs, false).first);
    EXPECT_NE(Draw(u"abc مكة"_qs, true).first, Draw(u"abc مكة"_qs, false).first);
    // Joined, مكة draws the glyphs of U+FEE3 U+FEDC U+FE94, and is narrower
    // than its letters' isolated forms.
    EXPECT_EQ(Draw(u"مكة"_qs, true), Draw(u"\uFEE3\uFEDC\uFE94"_qs, true));
    EXPECT_LT(Width(u"مكة"_qs, true), Width(u"\uFEE1\uFED9\uFE93"_qs, true));
}

TEST_F(Text, LibraryStaysInsideItsBuffersAndRefusesMissingInput)
{
    // A destination exactly as long as the source, guarded on both sides.
    const QString source = u"السلام عليكم"_qs;
    std::vector<unsigned short> out(source.size() + 2, 0xABCD);
    EXPECT_EQ(StringShape(nullptr, source.utf16(), int(source.size()), out.data() + 1, 1), source.size() - 1);
    EXPECT_TRUE(out.front() == 0xABCD && out.back() == 0xABCD) << "nothing written outside";
    EXPECT_EQ(std::vector<int>({StringShape(nullptr, nullptr, 2, out.data(), 1), StringShape(nullptr, source.utf16(), 2, nullptr, 1),
                                StringShape(nullptr, source.utf16(), -1, out.data(), 1), BiDiTextWidth(nullptr, source.utf16(), 1, 0),
                                BiDiTextOut(nullptr, 0, 0, source.utf16(), 1, 0), BiDiTextWidth(&m_dc, source.utf16(), 0, 0),
                                BiDiTextWidth(&m_dc, nullptr, 3, 0), BiDiTextOut(&m_dc, 0, 0, nullptr, 3, 0)}),
              std::vector<int>(8, 0));
}

TEST_F(Text, FitKeepsWhatFitsAndEndsTheRestInDots)
{
    const QChar mark(0x200E); // left-to-right mark: not counted, and stays last
    for (const QString& text : {u"Makkah"_qs, u"مكة المكرمة"_qs, QString()}) {
        EXPECT_EQ(Fit(text, Width(text)), text) << "exactly as wide as the cell";
        EXPECT_EQ(Fit(text + mark, Width(text)), text + mark);
    }
    const std::pair<QString, bool> rows[] = {
        {u"Kingdom of Saudi Arabia"_qs, false}, {u"المملكة العربية السعودية"_qs, true}, {u"Washington, District of Columbia"_qs, false},
    };
    for (const auto& [text, rtl] : rows) {
        for (int room : {40, 75, 120}) {
            SCOPED_TRACE(text.toStdString() + " in " + std::to_string(room));
            const QString fitted = Fit(text, room, rtl), kept = fitted.chopped(3);
            // The start of the text is kept, and one more character would not fit.
            EXPECT_TRUE(fitted.endsWith(u"..."_qs) && text.startsWith(kept) && Width(fitted, rtl) <= room);
            EXPECT_GT(Width(text.left(kept.size() + 1) + u"..."_qs, rtl), room);
            EXPECT_EQ(Fit(text + mark, room, rtl), fitted + mark);
        }
    }
    // Once the text is gone the dots go one by one, down to nothing in a cell
    // narrower than "." or smaller than its margins.
    const int dot = Width(u"."_qs), dots = Width(u"..."_qs);
    ASSERT_GT(dot, 1);
    for (const auto& [room, expected] : {std::pair(dots, u"..."_qs), std::pair(dots - 1, u".."_qs), std::pair(dot, u"."_qs),
                                         std::pair(dot - 1, QString()), std::pair(-4, QString())}) {
        EXPECT_EQ(Fit(u"مكة المكرمة"_qs, room), expected) << room;
        EXPECT_EQ(Fit(u"Makkah"_qs + mark, room), expected + mark) << room;
    }
}

} // namespace
