// Damaged city files: every truncation, every single-bit flip, counts,
// offsets and positions pointing past the end, names without terminators.
// Each is opened and read by every operation (exercise.h); under the
// sanitizer build any read outside the file or write outside an array
// fails the run as well.
#include "exercise.h"

#include "cityfile/cityfilewriter.h"

#include <QtEndian>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A small file from the writer: three countries, one without cities.
QByteArray WriterFile()
{
    CCityFileWriter writer;
    writer.SetCountries({
        {u"Chad"_s, u"تشاد"_s, 1, 4, {{u"Abeche"_s, u"أبشة"_s, 0, 20, 49, 13, 49, 10}}},
        {u"Egypt"_s, u"مصر"_s, 2, 4,
         {{u"Alexandria"_s, u"الإسكندرية"_s, 1, 29, 55, 31, 12, 20},
          {u"Aswan"_s, u"أسوان"_s, 0, 32, 54, 24, 5, 20},
          {u"Cairo"_s, u"القاهرة"_s, 2, 31, 14, 30, 3, 20}}},
        {u"Iceland"_s, u"آيسلندا"_s, 0, 2, {}},
    });
    QByteArray bytes;
    EXPECT_TRUE(writer.Encode(&bytes));
    EXPECT_EQ(bytes.size(), 12 + 3 * 72 + 4 * 76);
    return bytes;
}

void ExpectSurvives(const QByteArray& bytes, const std::string& what)
{
    const QStringList broken = ExerciseCityFileBytes(bytes);
    EXPECT_TRUE(broken.isEmpty()) << what << ": " << qPrintable(broken.join(u"; "_s));
}

TEST(Corruption, EveryTruncationAndEverySingleBitFlip)
{
    const QByteArray bytes = WriterFile();
    for (qsizetype length = 0; length <= bytes.size(); ++length)
        ExpectSurvives(bytes.left(length), "truncated to " + std::to_string(length));
    for (qsizetype bit = 0; bit < bytes.size() * 8; ++bit) {
        QByteArray flipped = bytes;
        flipped[bit / 8] = char(flipped[bit / 8] ^ (1 << (bit % 8)));
        ExpectSurvives(flipped, "bit " + std::to_string(bit) + " flipped");
    }
}

TEST(Corruption, CountsOffsetsAndPositionsPastTheEndAndUnterminatedNames)
{
    const QByteArray bytes = WriterFile();
    const auto size = std::uint16_t(bytes.size());
    // The header's words after the magic; the first country's Arabic
    // position (+64), first city (+68) and city count (+70), the second's
    // first city and count; the first city's Arabic position.
    const int countries = 12, cities = 12 + 3 * 72;
    for (int field : {4, 6, 8, 10, countries + 64, countries + 68, countries + 70, countries + 72 + 68,
                            countries + 72 + 70, cities + 64}) {
        for (int value : {0, size - 1, int(size), size + 1, 0x7FFF, 0x8000, 0xFFFF}) {
            QByteArray changed = bytes;
            qToLittleEndian(std::uint16_t(value), changed.data() + field);
            ExpectSurvives(changed, "word at " + std::to_string(field) + " = " + std::to_string(value));
        }
    }
    // Every name field filled with 0xFF: no terminator anywhere.
    QByteArray unterminated = bytes;
    for (qsizetype at = countries; at < bytes.size(); at += at < cities ? 72 : 76)
        unterminated.replace(at, 64, QByteArray(64, '\xFF'));
    ExpectSurvives(unterminated, "unterminated names");
}

} // namespace
