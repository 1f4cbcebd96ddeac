// ShapeText on real words, and when the text library or its StringShape is
// missing.
#include "bidi/shapetext.h"
#include "bidi/textlibs/kvbidi12.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

// Expected forms from the Unicode chart of Arabic Presentation Forms-B
// (U+FE70..U+FEFF): per letter isolated, final, initial, medial, and the
// lam-alef ligatures U+FEFB (isolated) and U+FEFC (final). Alef and dal join
// only to the letter before them, so the next letter starts a new group.
// An empty text shapes to nothing: StringShape's 0 empties the destination.
const std::tuple<std::u16string, int, std::u16string> kShapeRows[] = {
    {u"لا", 1, u"\uFEFB"},
    {u"مكة", 1, u"\uFEE3\uFEDC\uFE94"},
    {u"المدينة", 1, u"\uFE8D\uFEDF\uFEE4\uFEAA\uFEF3\uFEE8\uFE94"},
    {u"السلام", 1, u"\uFE8D\uFEDF\uFEB4\uFEFC\uFEE1"},
    {u"مكة المكرمة", 0, u"\uFEE3\uFEDC\uFE94 \uFE8D\uFEDF\uFEE4\uFEDC\uFEAE\uFEE3\uFE94"},
    {u"Makkah 21:25 N", 1, u"Makkah 21:25 N"},
    {u"مكة abc", 1, u"\uFEE3\uFEDC\uFE94 abc"},
    {u"لا\u200E", 1, u"\uFEFB\u200E"},
    {u"", 1, u""},
};

TEST(ShapeText, GivesRealWordsTheirDisplayForm)
{
    for (const auto& [source, mode, expected] : kShapeRows) {
        SCOPED_TRACE(QString::fromStdU16String(source).toStdString());
        QString shaped = QStringLiteral("old label");
        EXPECT_EQ(ShapeText(QString::fromStdU16String(source), shaped, mode), expected.empty() ? 0 : 1);
        EXPECT_EQ(shaped.toStdU16String(), expected);
    }
}

// Each test points the component at another library and puts the real one
// back afterwards.
class BiDiLibrary : public testing::Test {
protected:
    void TearDown() override
    {
        QFile::remove(m_copy);
        SetBiDiLibraryName(QStringLiteral("KVBiDi12"));
    }

    const QString m_copy = QDir(ComponentDirectory()).filePath(QStringLiteral("libKVBiDiLate.so"));
};

TEST_F(BiDiLibrary, MissingLeavesTheDestinationAloneUntilItIsInstalled)
{
    QFile::remove(m_copy);
    SetBiDiLibraryName(QStringLiteral("KVBiDiLate"));
    EXPECT_EQ(LoadBiDiLibrary(), nullptr);
    QString destination = QStringLiteral("unchanged");
    EXPECT_EQ(ShapeText(u"لا"_qs, destination, 1), 0);
    EXPECT_EQ(destination, QStringLiteral("unchanged"));

    // A copy of the real library in the component's directory, where only
    // the fallback search finds it, is loaded by the next call.
    Dl_info real{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&StringShape), &real), 0);
    ASSERT_TRUE(QFile::copy(QFile::decodeName(real.dli_fname), m_copy));
    EXPECT_EQ(ShapeText(u"لا"_qs, destination, 1), 1);
    EXPECT_EQ(destination.toStdU16String(), u"\uFEFB");
}

TEST_F(BiDiLibrary, WithoutStringShapeEmptiesTheDestination)
{
    // libKVBiDiNoShape.so is only in the component's directory.
    SetBiDiLibraryName(QStringLiteral("KVBiDiNoShape"));
    const auto library = LoadBiDiLibrary();
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(QFileInfo(library->fileName()).absolutePath(), ComponentDirectory());
    QString destination = QStringLiteral("old label");
    EXPECT_EQ(ShapeText(u"مكة"_qs, destination, 1), 0);
    EXPECT_TRUE(destination.isEmpty());
}

} // namespace
