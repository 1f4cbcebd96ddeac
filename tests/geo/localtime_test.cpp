// UTC offsets of places of the shipped database, from the system's tzdata.
// Expected offsets: tzdata 2025b (Morocco keeps UTC+0 from 23 February to
// 6 April 2025 for Ramadan and UTC+1 otherwise; Egypt has kept summer time
// since 2023; Saudi Arabia has none).
#include "shippedplaces.h"

#include <map>

namespace {

using LocalTime = ShippedData;

TEST_F(LocalTime, OffsetsOfPlaces)
{
    const struct {
        const char* city;
        const char* at;
        const char* zone;
        int minutes;
    } rows[] = {
        {"Casablanca", "2025-03-15T12:00:00Z", "Africa/Casablanca", 0},
        {"Casablanca", "2025-07-01T12:00:00Z", "Africa/Casablanca", 60},
        {"Cairo", "2025-01-15T12:00:00Z", "Africa/Cairo", 120},
        {"Cairo", "2025-07-15T12:00:00Z", "Africa/Cairo", 180},
        {"Riyadh", "2025-01-15T12:00:00Z", "Asia/Riyadh", 180},
        {"Riyadh", "2025-07-15T12:00:00Z", "Asia/Riyadh", 180},
    };
    const std::map<QString, QString> countries{{u"Casablanca"_s, u"Morocco"_s}, {u"Cairo"_s, u"Egypt"_s},
                                               {u"Riyadh"_s, u"Saudi Arabia"_s}};
    for (const auto& row : rows) {
        const QString city = QString::fromUtf8(row.city);
        const std::uint32_t id = ID(city, ID(countries.at(city)));
        QString zone;
        int offset = -1;
        ASSERT_EQ(GetCityUtcOffset(m_places, id, QDateTime::fromString(QString::fromUtf8(row.at), Qt::ISODate), &zone, &offset),
                  S_OK) << row.city;
        EXPECT_EQ(zone, QString::fromUtf8(row.zone));
        EXPECT_EQ(offset, row.minutes * 60) << row.city << ' ' << row.at;
    }
}

TEST_F(LocalTime, UnknownZoneIsAStatus)
{
    int utc = -1, standard = -1;
    EXPECT_EQ(GetZoneOffset(u"Mars/Olympus_Mons"_s, QDateTime::currentDateTimeUtc(), &utc, &standard), TF_E_UNKNOWNZONE);
    EXPECT_EQ(DescribeStatus(TF_E_UNKNOWNZONE), u"unknown time zone: the system's time zone data has no zone of that name"_s);
    EXPECT_EQ(utc, 0);
    EXPECT_EQ(standard, 0);
    // Standard time is what CCity::m_sGmt holds: Cairo's is 20 tenths.
    ASSERT_EQ(GetZoneOffset(u"Africa/Cairo"_s, QDateTime(QDate(2025, 7, 15), QTime(12, 0), Qt::UTC), &utc, &standard), S_OK);
    EXPECT_EQ(standard, 7200);

    const std::uint32_t cairo = ID(u"Cairo"_s, ID(u"Egypt"_s));
    ASSERT_EQ(m_places.ExecuteStatement(u"UPDATE CityInfo SET zone = 'Mars/Olympus_Mons' WHERE CityID = %1"_s.arg(cairo)), S_OK);
    QString zone;
    EXPECT_EQ(GetCityUtcOffset(m_places, cairo, QDateTime::currentDateTimeUtc(), &zone, &utc), TF_E_UNKNOWNZONE);
    EXPECT_EQ(zone, u"Mars/Olympus_Mons"_s);
    CTerrafindFile file; // keeps no zones
    ASSERT_EQ(file.Init(QString(TERRAFIND_SOURCE_DIR "/data"_L1).utf16()), 1);
    EXPECT_EQ(GetCityUtcOffset(file, 1, QDateTime::currentDateTimeUtc(), &zone, &utc), S_FALSE);
}

} // namespace
