// Shaping of real words through the text library, and what ShapeText does
// when the library or its StringShape is missing.
#include "bidi/shapetext.h"
#include "bidi/textlibs/kvbidi12.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>

#include <gtest/gtest.h>

#include <cctype>

#include <dlfcn.h>

namespace {

QString Units(std::initializer_list<char16_t> units)
{
    QString s;
    for (char16_t u : units)
        s += QChar(u);
    return s;
}

QString Hex(const QString& s)
{
    QStringList parts;
    for (QChar c : s)
        parts << QString::number(c.unicode(), 16).toUpper();
    return parts.join(QLatin1Char(' '));
}

struct ShapeRow {
    const char* name;
    QString source;
    int mode;
    QString expected;
};

// Expected forms from the Unicode chart of Arabic Presentation Forms-B
// (U+FE70..U+FEFF): isolated, final, initial, medial in that order per
// letter, and the lam-alef ligatures U+FEFB (isolated) / U+FEFC (final).
// Alef and dal join only to the letter before them, so the letter after
// them starts a new joined group.
const ShapeRow kShapeRows[] = {
    {"lam alef is one ligature", u"لا"_qs, 1, Units({0xFEFB})},
    {"makkah initial medial final", u"مكة"_qs, 1, Units({0xFEE3, 0xFEDC, 0xFE94})},
    {"madinah", u"المدينة"_qs, 1,
     Units({0xFE8D, 0xFEDF, 0xFEE4, 0xFEAA, 0xFEF3, 0xFEE8, 0xFE94})},
    {"country label", u"البلد"_qs, 1, Units({0xFE8D, 0xFEDF, 0xFE92, 0xFEE0, 0xFEAA})},
    {"final lam alef shortens the word", u"السلام"_qs, 1,
     Units({0xFE8D, 0xFEDF, 0xFEB4, 0xFEFC, 0xFEE1})},
    {"two words join separately", u"مكة المكرمة"_qs, 1,
     Units({0xFEE3, 0xFEDC, 0xFE94, 0x20, 0xFE8D, 0xFEDF, 0xFEE4, 0xFEDC, 0xFEAE, 0xFEE3,
            0xFE94})},
    {"shaping does not depend on the mode", u"مكة"_qs, 0, Units({0xFEE3, 0xFEDC, 0xFE94})},
    {"latin and digits unchanged, English mode", u"Makkah 21:25 N"_qs, 0, u"Makkah 21:25 N"_qs},
    {"latin and digits unchanged, Arabic mode", u"Select (2)"_qs, 1, u"Select (2)"_qs},
    {"arabic beside latin", u"مكة abc"_qs, 1, Units({0xFEE3, 0xFEDC, 0xFE94, 0x20, 'a', 'b', 'c'})},
    {"a left-to-right mark stays", u"لا\u200E"_qs, 1, Units({0xFEFB, 0x200E})},
};

class ShapeTextWords : public testing::TestWithParam<ShapeRow> {};

TEST_P(ShapeTextWords, GiveTheirDisplayForm)
{
    const ShapeRow& row = GetParam();
    QString shaped;
    EXPECT_EQ(ShapeText(row.source, shaped, row.mode), 1);
    EXPECT_EQ(Hex(shaped), Hex(row.expected));
    EXPECT_LE(shaped.size(), row.source.size());
}

INSTANTIATE_TEST_SUITE_P(Words, ShapeTextWords, testing::ValuesIn(kShapeRows),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

TEST(ShapeText, EmptySourceShapesToNothing)
{
    // StringShape writes no character for an empty text: that is its 0.
    QString destination = QStringLiteral("old label");
    EXPECT_EQ(ShapeText(QString(), destination, 1), 0);
    EXPECT_TRUE(destination.isEmpty());
}

TEST(StringShape, WritesNoMoreThanTheSourceLength)
{
    // A destination exactly as long as the source, guarded on both sides.
    const QString source = u"السلام عليكم"_qs;
    std::vector<unsigned short> buffer(std::size_t(source.size()) + 2, 0xABCD);
    const int written = StringShape(nullptr, source.utf16(), int(source.size()), buffer.data() + 1, 1);
    EXPECT_EQ(written, source.size() - 1); // one lam-alef ligature
    EXPECT_EQ(buffer.front(), 0xABCD);
    EXPECT_EQ(buffer.back(), 0xABCD);
}

TEST(StringShape, RefusesMissingBuffers)
{
    unsigned short out[4];
    const unsigned short in[] = {0x0644, 0x0627};
    EXPECT_EQ(StringShape(nullptr, nullptr, 2, out, 1), 0);
    EXPECT_EQ(StringShape(nullptr, in, 2, nullptr, 1), 0);
    EXPECT_EQ(StringShape(nullptr, in, -1, out, 1), 0);
}

// Every test here points the component at another library and puts the
// real one back afterwards.
class BiDiLibraryLoading : public testing::Test {
protected:
    void TearDown() override
    {
        for (const QString& file : m_madeFiles)
            QFile::remove(file);
        SetBiDiLibraryName(QStringLiteral("KVBiDi12"));
    }

    // Puts a copy of the real library under another name in the
    // component's directory, where only the fallback search finds it.
    void CopyRealLibraryAs(const QString& fileName)
    {
        // The file the running program took StringShape from.
        Dl_info real{};
        ASSERT_NE(dladdr(reinterpret_cast<void*>(&StringShape), &real), 0);
        const QString copy = QDir(ComponentDirectory()).filePath(fileName);
        ASSERT_TRUE(QFile::copy(QFile::decodeName(real.dli_fname), copy)) << copy.toStdString();
        m_madeFiles << copy;
    }

    QStringList m_madeFiles;
};

TEST_F(BiDiLibraryLoading, ComponentDirectoryOfATestProgramIsItsOwn)
{
    // The component's objects are linked into this program, so the
    // directory that holds the component's code is the program's.
    EXPECT_EQ(QFileInfo(ComponentDirectory()).canonicalFilePath(),
              QFileInfo(QCoreApplication::applicationDirPath()).canonicalFilePath());
}

TEST_F(BiDiLibraryLoading, RealLibraryIsFoundByItsBareName)
{
    const auto library = LoadBiDiLibrary();
    ASSERT_NE(library, nullptr);
    EXPECT_NE(library->resolve("StringShape"), nullptr);
}

TEST_F(BiDiLibraryLoading, LibraryNowhereLeavesTheDestinationAlone)
{
    SetBiDiLibraryName(QStringLiteral("KVBiDiNowhere"));
    EXPECT_EQ(LoadBiDiLibrary(), nullptr);
    QString destination = QStringLiteral("unchanged");
    EXPECT_EQ(ShapeText(u"مكة"_qs, destination, 1), 0);
    EXPECT_EQ(destination, QStringLiteral("unchanged"));
}

TEST_F(BiDiLibraryLoading, LibraryWithoutStringShapeEmptiesTheDestination)
{
    // Only the component's directory holds libKVBiDiNoShape.so.
    SetBiDiLibraryName(QStringLiteral("KVBiDiNoShape"));
    const auto library = LoadBiDiLibrary();
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(QFileInfo(library->fileName()).absolutePath(), ComponentDirectory());
    EXPECT_EQ(library->resolve("StringShape"), nullptr);

    QString destination = QStringLiteral("old label");
    EXPECT_EQ(ShapeText(u"مكة"_qs, destination, 1), 0);
    EXPECT_TRUE(destination.isEmpty());
}

TEST_F(BiDiLibraryLoading, LibraryInstalledLaterIsPickedUpByTheNextCall)
{
    // While no library is loaded every call looks for it again.
    QFile::remove(QDir(ComponentDirectory()).filePath(u"libKVBiDiLate.so"_qs));
    SetBiDiLibraryName(QStringLiteral("KVBiDiLate"));
    QString destination;
    ASSERT_EQ(ShapeText(u"لا"_qs, destination, 1), 0);

    CopyRealLibraryAs(QStringLiteral("libKVBiDiLate.so"));
    EXPECT_EQ(ShapeText(u"لا"_qs, destination, 1), 1);
    EXPECT_EQ(Hex(destination), Hex(Units({0xFEFB})));
}

} // namespace
