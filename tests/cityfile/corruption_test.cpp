// Damaged city files: every truncation, every single-bit flip, and counts,
// offsets and positions pointing past the end. Each is opened and read by
// every operation (exercise.h); under the sanitizer build any read outside
// the file's bytes or write outside an array fails the run.
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
    writer.Encode(&bytes);
    return bytes;
}

void ExpectSurvives(const QByteArray& bytes, const std::string& what)
{
    const QStringList broken = ExerciseCityFileBytes(bytes);
    EXPECT_TRUE(broken.isEmpty()) << what << ": " << qPrintable(broken.join(u"; "_s));
}

QByteArray WithWord(QByteArray bytes, qsizetype offset, std::uint16_t value)
{
    qToLittleEndian(value, bytes.data() + offset);
    return bytes;
}

TEST(Corruption, TheIntactFilePassesEveryCheck)
{
    const QByteArray bytes = WriterFile();
    ASSERT_EQ(bytes.size(), 12 + 3 * 72 + 4 * 76);
    ExpectSurvives(bytes, "intact");
}

TEST(Corruption, EveryTruncation)
{
    const QByteArray bytes = WriterFile();
    for (qsizetype length = 0; length < bytes.size(); ++length)
        ExpectSurvives(bytes.left(length), "truncated to " + std::to_string(length));
}

TEST(Corruption, EverySingleBitFlip)
{
    const QByteArray bytes = WriterFile();
    for (qsizetype bit = 0; bit < bytes.size() * 8; ++bit) {
        QByteArray flipped = bytes;
        flipped[bit / 8] = char(flipped[bit / 8] ^ (1 << (bit % 8)));
        ExpectSurvives(flipped, "bit " + std::to_string(bit) + " flipped");
    }
}

TEST(Corruption, CountsOffsetsAndPositionsPastTheEnd)
{
    const QByteArray bytes = WriterFile();
    const auto size = std::uint16_t(bytes.size());
    // Header words after the magic, and the words of the first record of
    // each table: country +64 Arabic position, +66 method, +68 first city,
    // +70 city count; city +64 Arabic position.
    const qsizetype countryTable = 12, cityTable = 12 + 3 * 72;
    const qsizetype fields[] = {4, 6, 8, 10, countryTable + 64, countryTable + 68, countryTable + 70,
                                countryTable + 72 + 68, countryTable + 72 + 70, cityTable + 64};
    for (qsizetype field : fields)
        for (std::uint16_t value : {std::uint16_t(0), std::uint16_t(size - 1), size, std::uint16_t(size + 1),
                                    std::uint16_t(0x7FFF), std::uint16_t(0x8000), std::uint16_t(0xFFFF)})
            ExpectSurvives(WithWord(bytes, field, value),
                           "word at " + std::to_string(field) + " = " + std::to_string(value));
}

TEST(Corruption, NamesWithoutTerminators)
{
    QByteArray bytes = WriterFile();
    // Every name field of every record filled with 0xFF, no zero byte in it.
    const qsizetype cityTable = 12 + 3 * 72;
    for (qsizetype at = 12; at < cityTable; at += 72)
        bytes.replace(at, 64, QByteArray(64, '\xFF'));
    for (qsizetype at = cityTable; at < bytes.size(); at += 76)
        bytes.replace(at, 64, QByteArray(64, '\xFF'));
    ExpectSurvives(bytes, "unterminated names");
}

} // namespace
