// City files built byte by byte, independently of the writer, so that the
// reader is checked against the layout itself:
//
//   header (12 B): magic, unused word, country table offset, country count,
//                  city table offset, city count (all 16-bit little-endian)
//   country (72 B): English name[32], Arabic name[32], Arabic position,
//                   method, first city (0-based), city count
//   city (76 B): English name[32], Arabic name[32], Arabic position,
//                longitude degrees, minutes, latitude degrees, minutes, gmt
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <cstdint>
#include <iconv.h>
#include <initializer_list>

struct CByteCountry {
    QByteArray english, arabic; // code page 1256 bytes; at most 32 are stored
    std::uint16_t arabicPosition, method, firstCity, cityCount;
};

struct CByteCity {
    QByteArray english, arabic;
    std::uint16_t arabicPosition;
    std::int16_t longitudeDegree, longitudeMinute, latitudeDegree, latitudeMinute, gmt;
};

class CCityFileBytes {
public:
    QList<CByteCountry> countries;
    QList<CByteCity> cities;
    std::uint16_t magic = 90;

    // The file with the tables right after the header, countries first.
    QByteArray Bytes() const
    {
        QByteArray out;
        const std::uint16_t countryTable = 12;
        const auto cityTable = std::uint16_t(countryTable + 72 * countries.size());
        for (int word : {int(magic), 0, int(countryTable), int(countries.size()), int(cityTable), int(cities.size())})
            Word(&out, std::uint16_t(word));
        for (const CByteCountry& c : countries) {
            Name(&out, c.english);
            Name(&out, c.arabic);
            for (std::uint16_t word : {c.arabicPosition, c.method, c.firstCity, c.cityCount})
                Word(&out, word);
        }
        for (const CByteCity& c : cities) {
            Name(&out, c.english);
            Name(&out, c.arabic);
            Word(&out, c.arabicPosition);
            for (std::int16_t value : {c.longitudeDegree, c.longitudeMinute, c.latitudeDegree, c.latitudeMinute, c.gmt})
                Word(&out, std::uint16_t(value));
        }
        return out;
    }

    static void Word(QByteArray* out, std::uint16_t value)
    {
        out->append(char(value & 0xFF));
        out->append(char(value >> 8));
    }

    // A name field: the bytes, then zeros up to 32 (no terminator when the
    // name has 32 bytes).
    static void Name(QByteArray* out, const QByteArray& name)
    {
        QByteArray field = name.left(32);
        field.append(QByteArray(32 - field.size(), '\0'));
        out->append(field);
    }
};

inline bool SaveBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Text in code page 1256 by the C library's own converter, an encoder
// independent of the component's table. Empty when the text cannot be
// converted.
inline QByteArray Cp1256(const QString& text)
{
    iconv_t converter = iconv_open("CP1256", "UTF-8");
    if (converter == iconv_t(-1))
        return {};
    QByteArray in = text.toUtf8();
    QByteArray out(in.size() + 1, '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t fromLeft = std::size_t(in.size()), toLeft = std::size_t(out.size());
    const bool ok = iconv(converter, &from, &fromLeft, &to, &toLeft) != std::size_t(-1);
    iconv_close(converter);
    return ok ? out.left(out.size() - qsizetype(toLeft)) : QByteArray();
}
