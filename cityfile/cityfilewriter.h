// Produces a city file, kvCities.bin, from a place database.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

class CTerrafindDB;

// One city as it goes into the file. Angles are signed: east and north
// positive, the minutes carrying the sign of their degrees.
struct tagCityFileCity {
    QString name;
    QString arabicName;
    std::uint16_t arabicPosition = 0; // among its country's cities
    std::int16_t longitudeDegree = 0;
    std::int16_t longitudeMinute = 0;
    std::int16_t latitudeDegree = 0;
    std::int16_t latitudeMinute = 0;
    std::int16_t gmt = 0;             // tenths of an hour
};

struct tagCityFileCountry {
    QString name;
    QString arabicName;
    std::uint16_t arabicPosition = 0; // among all countries
    std::uint16_t method = 0;
    QList<tagCityFileCity> cities;      // in English order
};

// Reads the places, then encodes and writes them. The English order and
// the Arabic positions are the place database's own orders, taken from its
// sorted lists, so the file lists exactly what the database lists.
//
// Names are stored in code page 1256, at most 31 bytes. A character the
// code page lacks is replaced deterministically: a nonspacing mark is
// dropped; a letter whose canonical decomposition starts with a character
// of the code page becomes that character (é is in the code page and is
// kept; Å becomes A, ǧ becomes g, ۂ becomes ہ); anything else, such as ø or
// ß, becomes '?'. A name
// that is too long is cut after the last whole character (a base letter
// with its marks) that fits.
class CCityFileWriter {
public:
    // Reads every country and city of an open place-database back end in
    // English mode, then switches it to Arabic to read the Arabic orders.
    // A database of more than 65,535 cities gives the most telling ones:
    // each country keeps its kPrincipalPlaces first cities (all, if it has
    // fewer), and the rest of the file goes to the first of the others, in
    // this order: cities of known population, most populous first; then
    // seats of government (CitySeat); then the rest; equal ranks go by lower
    // ID. Populations come from the CityInfo table, and count as 0 (unknown)
    // without it. False, with Error()
    // set, when it cannot be read or the file format cannot hold it (more
    // than 910 countries).
    bool Read(CTerrafindDB& places);
    static constexpr int kPrincipalPlaces = 10;
    // The cities Read left out to fit the file.
    int LeftOut() const { return m_leftOut; }

    // The places in file order; tests and generators may set them directly.
    const QList<tagCityFileCountry>& Countries() const { return m_countries; }
    void SetCountries(QList<tagCityFileCountry> countries) { m_countries = std::move(countries); }

    // The complete file. False, with Error() set, when the places do not fit
    // the format or a name is empty (an empty name ends every list early).
    bool Encode(QByteArray* file);
    // Encodes and replaces path in one step; on failure path is unchanged.
    bool Write(const QString& path);

    QString Error() const { return m_error; }
    int CityCount() const;
    // Names that Encode shortened or in which it replaced characters.
    int ShortenedNames() const { return m_shortened; }
    int ReplacedNames() const { return m_replaced; }

    // Most countries a file can hold: the city table, which follows them,
    // must start within the first 64 KiB.
    static int MaxCountries();
    // A name in code page 1256 as described above; *shortened and
    // *replaced (may be null) tell whether it had to be.
    static QByteArray EncodeName(const QString& name, bool* shortened = nullptr, bool* replaced = nullptr);

private:
    bool Fail(const QString& message);

    QList<tagCityFileCountry> m_countries;
    QString m_error;
    int m_shortened = 0;
    int m_replaced = 0;
    int m_leftOut = 0;
};
