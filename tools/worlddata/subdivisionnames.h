// Names of GeoNames' first-level divisions in Arabic-script languages, from CLDR.
// GeoNames' admin1 codes are mostly not ISO 3166-2 ("SA.14" is ISO SA-02), so
// divisions are paired one to one, within a country, by English name: equal once
// generic words and Arabic articles are dropped, then spelt loosely, then equal
// code with a similar name, then a small edit distance; and a short hand table.
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

struct tagDivisionKey {
    QString countryCode; // ISO 3166-1 alpha-2, "SA"
    QString admin1;      // GeoNames' code within the country, "14"
    QString englishName; // GeoNames' name, "Mecca Region"
};

// How a division was paired with a CLDR subdivision.
enum class DivisionMatch { ByName, ByCode, Fuzzy, ByHand };

struct tagCldrDivision {
    QString code; // CLDR's key: the ISO 3166-2 code in lower case without the hyphen, "sa02"
    DivisionMatch how = DivisionMatch::ByName;
};

// The CLDR subdivision of each division that has one, by "CC.admin1", and
// how it was found (for checking the pairs).
// cldrDir is CLDR's "common" directory (/usr/share/unicode/cldr/common);
// empty, with *error set, when its files cannot be read.
QHash<QString, tagCldrDivision> MatchCldrDivisions(const QString& cldrDir, const QList<tagDivisionKey>& divisions,
                                                   QString* error);

// The names of the divisions in language ("ar", "fa", "ur"), by "CC.admin1",
// cleaned as CleanArabicName cleans the catalogue's; divisions with no
// match, or whose subdivision CLDR does not name in that language, are
// absent. *log gets one line: how many were matched in which way, and how
// many not.
QHash<QString, QString> CldrDivisionNames(const QString& cldrDir, const QString& language,
                                          const QList<tagDivisionKey>& divisions, QStringList* log);
