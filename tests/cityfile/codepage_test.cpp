// Code page 1256: the reader's conversion and the writer's encoding.
#include "cityfilebytes.h"

#include "cityfile/cityfilewriter.h"

#include <terrafind/terrafind.h>

#include <gtest/gtest.h>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Reaches the protected conversion.
class CConverter : public CTerrafindFile {
public:
    using CTerrafindFile::cp1256_to_unicode;
};

std::vector<unsigned short> Convert(const QByteArray& input, unsigned int* count)
{
    QByteArray text = input;
    std::vector<unsigned short> out(text.size() + 2, 0xAAAA);
    *count = CConverter().cp1256_to_unicode(out.data(), text.data());
    return out;
}

TEST(Cp1256ToUnicode, ConvertsOneUnitPerByte)
{
    const struct {
        QByteArray input;
        std::vector<unsigned short> expected; // the units before the terminator
    } rows[] = {
        {"", {}},
        {"abc", {'a', 'b', 'c'}},
        {"\xC7\xE1", {0x0627, 0x0644}}, // alef, lam
        {"\xFF", {0x00FF}},             // y with diaeresis, not Yeh Barree
        {"\x80", {0x20AC}},             // euro sign
        {"\xD7\xE8\xED\xF0\xFE\xA0\xC1", {0x00D7, 0x00E8, 0x064A, 0x064B, 0x200F, 0x00A0, 0x0621}},
        {QByteArray(31, 'x'), std::vector<unsigned short>(31, 'x')},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.input.toHex().constData());
        unsigned int count = 0;
        const std::vector<unsigned short> out = Convert(row.input, &count);
        EXPECT_EQ(count, row.expected.size());
        EXPECT_EQ(std::vector<unsigned short>(out.begin(), out.begin() + count), row.expected);
        EXPECT_EQ(out[count], 0) << "terminated right after the last character";
        EXPECT_EQ(out[count + 1], 0xAAAA) << "nothing written past the terminator";
    }
}

TEST(Cp1256ToUnicode, MatchesThePublishedTableExceptByte0xFF)
{
    // The C library's CP1256 converter follows the published (1998)
    // Windows-1256 table; the component differs from it only at 0xFF.
    for (int byte = 0x01; byte <= 0xFE; ++byte) {
        SCOPED_TRACE(byte);
        unsigned int count = 0;
        const std::vector<unsigned short> ours = Convert(QByteArray(1, char(byte)), &count);
        ASSERT_EQ(count, 1u);
        const QByteArray back = Cp1256(QString(QChar(ours[0])));
        ASSERT_EQ(back.size(), 1) << "U+" << std::hex << ours[0] << " is not the byte's character";
        EXPECT_EQ(static_cast<unsigned char>(back[0]), byte);
    }
    EXPECT_EQ(Cp1256(u"\u06D2"_s), QByteArray("\xFF")) << "the published table maps 0xFF to Yeh Barree";
}

TEST(EncodeName, KeepsWhatTheCodePageHoldsAndReplacesTheRestDeterministically)
{
    const struct {
        QString name;
        QString stored; // what the file reads back
        bool shortened, replaced;
    } rows[] = {
        {u"Cairo"_s, u"Cairo"_s, false, false},
        {u"القاهرة"_s, u"القاهرة"_s, false, false},
        {u"Zürich"_s, u"Zürich"_s, false, false},            // ü is in the code page
        {u"Ze\u0301ro"_s, u"Zéro"_s, false, false},           // composed first
        {u"Ålesund"_s, u"Alesund"_s, false, true},           // diacritic stripped
        {u"Ağrı"_s, u"Agr?"_s, false, true},                 // ı has no base letter
        {u"Tromsø"_s, u"Troms?"_s, false, true},
        {u"Straße"_s, u"Stra?e"_s, false, true},
        {u"\u06C2"_s, u"\u06C1"_s, false, true},             // Arabic letter without its hamza
        {u"\u06D2"_s, u"?"_s, false, true},                  // Yeh Barree: 0xFF reads as ÿ
        {u"\u00FF"_s, u"\u00FF"_s, false, false},
        {u"\U0001F600 x"_s, u"? x"_s, false, true},          // one mark for a surrogate pair
        {u"e\u0301\u0302"_s, u"é"_s, false, true},           // a mark the code page lacks is dropped
        {QString(40, u'a'), QString(31, u'a'), true, false},
        {QString(30, u'a') + u"é"_s, QString(30, u'a') + u"é"_s, false, false},
        // beh + fatha is one character of two bytes: it does not fit after 30.
        {QString(30, u'\u0628') + u"\u0628\u064E"_s, QString(30, u'\u0628'), true, false},
        {QString(), QString(), false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(qPrintable(row.name));
        bool shortened = false, replaced = false;
        QByteArray encoded = CCityFileWriter::EncodeName(row.name, &shortened, &replaced);
        EXPECT_LE(encoded.size(), 31);
        EXPECT_EQ(shortened, row.shortened);
        EXPECT_EQ(replaced, row.replaced);
        unsigned int count = 0;
        const std::vector<unsigned short> units = Convert(encoded, &count);
        EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(units.data()), count), row.stored);
    }
}

} // namespace
