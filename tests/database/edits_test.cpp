// Adding and replacing countries and cities, on both back ends, with
// faults injected into the real database.
#include "backendfixture.h"

#include <QCoreApplication>
#include <QProcess>

#include <cstdlib>

namespace {

TYPED_TEST(Places, AddCountry)
{
    CTerrafind& places = *this->m_places;
    std::uint32_t id = 0;
    EXPECT_EQ(places.CheckCountryExisting(u"SELECT ID from Country where name = 'Chad'"_s, &id), S_OK);
    EXPECT_EQ(places.CheckCountryExisting(u"SELECT ID from Country where name = 'Peru'"_s, &id), E_INVALIDARG);
    EXPECT_EQ(places.CheckCountryExisting(u"DELETE FROM Country"_s, &id), E_FAIL) << "a statement that writes is not run";
    EXPECT_EQ(id, 3u);
    // A known English name, new region: only the link is added...
    id = 0;
    EXPECT_EQ(places.AddCountry(u"Chad"_s, u"ignored"_s, &id, 2, 1), S_OK);
    EXPECT_EQ(id, 3u);
    // ...and the same region again: nothing changes.
    id = 0;
    EXPECT_EQ(places.AddCountry(u"Chad"_s, u"x"_s, &id, 2, 1), E_INVALIDARG);
    EXPECT_EQ(id, 3u);
    // A new country: the next ID, with its link, the method stored as a number.
    EXPECT_EQ(places.AddCountry(u"Peru"_s, u"بيرو"_s, &id, 1, 2), S_OK);
    EXPECT_EQ(id, 5u);
    EXPECT_EQ(this->m_db.Text(u"SELECT group_concat(CountyID || ':' || RegionID || ':' || arabic_name || typeof(Method) "
                              "|| Method) FROM Region2County JOIN Country ON ID = CountyID WHERE ID IN (3, 5)"_s),
              u"3:1:تشادinteger4,3:2:تشادinteger4,5:1:بيروinteger2"_s);
    // An empty table starts at 1; a table that is not there fails.
    ASSERT_TRUE(this->m_db.Exec(u"DELETE FROM Country"_s));
    EXPECT_EQ(places.AddCountry(u"Chad"_s, u"تشاد"_s, &id, 2, 4), S_OK);
    EXPECT_EQ(id, 1u);
    EXPECT_EQ(places.GetIDMaximum(u"Nowhere"_s, u"ID"_s, &id), E_FAIL);
}

TYPED_TEST(Places, AddCityWritesSignedAnglesAndTruncatedTenths)
{
    const std::pair<double, int> zones[] = {{5.5, 55}, {-3.5, -35}, {5.75, 57}, {-3.75, -37}, {13.0, 130}, {-0.05, 0}};
    for (const auto& [hours, tenths] : zones) {
        std::uint32_t id = 0;
        ASSERT_EQ(this->m_places->AddCity(3, u"Town %1"_s.arg(hours), u"بلدة"_s, -7, -30, 12, 6, hours, &id), S_OK);
        EXPECT_EQ(this->m_db.Text(u"SELECT longitude_Degree || ',' || longitude_Minute || ',' || gmt FROM City "
                                  "WHERE ID = %1"_s.arg(id)), u"-7,-30,%1"_s.arg(tenths)) << hours;
    }
    std::uint32_t id = 0;
    QStringList traced;
    SetStatementTrace([&](const QString& statement) {
        if (!statement.contains(u"CityInfo"_s) && !statement.contains(u"sqlite_master"_s)
            && !statement.contains(u"CitySearch"_s)) // the side tables' and the search index's own
            traced.append(statement);
    });
    ASSERT_EQ(this->m_places->AddCity(2, u"Giza"_s, u"الجيزة"_s, 31, 12, 30, 1, 2.0, &id), S_OK);
    EXPECT_EQ(id, 13u) << "one more than the largest city ID";
    // The check, the ID and the insert in one transaction, so no other writer
    // can add the same city or take the same ID in between.
    EXPECT_EQ(traced, (QStringList{u"BEGIN IMMEDIATE"_s, u"SELECT * FROM City WHERE County_ID = 2 and name = 'Giza'"_s,
                                   u"SELECT ID FROM City"_s,
                                   u"INSERT INTO City values(13,'Giza','الجيزة',31,12,30,1,20,2)"_s, u"COMMIT"_s}));
}

TYPED_TEST(Places, DuplicatesAreTheSameNameExactlyInTheSameCountry)
{
    std::uint32_t id = 555;
    EXPECT_EQ(this->m_places->AddCity(1, u"Makkah"_s, u"x"_s, 0, 0, 0, 0, 1, &id), E_INVALIDARG);
    EXPECT_EQ(id, 555u);
    EXPECT_EQ(this->m_places->AddCity(2, u"Makkah"_s, u"مكة"_s, 0, 0, 0, 0, 1, &id), S_OK);
    EXPECT_EQ(id, 7u);
    // Names are compared exactly as stored, although they sort as ICU says.
    for (const QString name : {u"makkah"_s, u"MAKKAH"_s, u"Mákkah"_s, u"Mak\u00ADkah"_s})
        EXPECT_EQ(this->m_places->AddCity(1, name, name, 0, 0, 0, 0, 1, &id), S_OK) << qPrintable(name);
    EXPECT_EQ(this->m_places->AddCountry(u"chad"_s, u"تشاد"_s, &id, 2, 1), S_OK);
    EXPECT_EQ(id, 5u) << "a new country, not a link to Chad";
}

// Names go into statements between quotes: each is stored as given. A
// modify keeps the ID, moves a city to the country given and keeps a
// country's links.
TYPED_TEST(Places, ModifyKeepsIDsAndNamesWithQuotesChangeNoStatement)
{
    for (const QString name : {u"N'Djamena"_s, u"x'); DROP TABLE City; --"_s, u"''"_s, u"' OR '1'='1"_s}) {
        SCOPED_TRACE(qPrintable(name));
        std::uint32_t city = 0, country = 0;
        ASSERT_EQ(this->m_places->AddCity(3, name, name, 15, 3, 12, 6, 1, &city), S_OK);
        EXPECT_EQ(this->m_places->AddCity(3, name, name, 15, 3, 12, 6, 1, &city), E_INVALIDARG);
        EXPECT_EQ(this->m_places->ModifyCity(2, city, name + u'\'', name, 15, 3, 12, 6, 1), S_OK);
        CCity read;
        ASSERT_EQ(this->m_places->GetCity(city, &read), S_OK);
        EXPECT_EQ(std::tuple(read.m_strName, read.m_strArabicName, read.m_dwCountryID), std::tuple(name + u'\'', name, 2u));

        ASSERT_EQ(this->m_places->AddCountry(name, name, &country, 1, 2), S_OK);
        EXPECT_EQ(this->m_places->AddCountry(name, name, &country, 1, 2), E_INVALIDARG);
        EXPECT_EQ(this->m_places->ModifyCountry(country, name, name + u'\'', 3), S_OK);
        QString english, arabic;
        short method = 0;
        ASSERT_EQ(this->m_places->GetCountry(country, english, arabic, &method), S_OK);
        EXPECT_EQ(std::tuple(english, arabic, method), std::tuple(name, name + u'\'', short(3)));
    }
    EXPECT_EQ(this->m_places->ModifyCountry(40, u"Peru"_s, u"بيرو"_s, 2), S_OK) << "an ID that does not exist is inserted";
    EXPECT_EQ(this->m_db.Text(u"SELECT (SELECT count(*) FROM City) || ',' || count(*) || ',' || "
                              "(SELECT count(*) FROM Region2County) FROM Country"_s), u"10,9,8"_s)
        << "cities, countries and links all there";
}

TYPED_TEST(Places, RefusedEditsLeaveNothingHalfDone)
{
    ASSERT_TRUE(this->m_db.Exec(
        u"CREATE TRIGGER no_links BEFORE INSERT ON Region2County BEGIN SELECT RAISE(ABORT, 'refused'); END;"
        "CREATE TRIGGER no_cities BEFORE INSERT ON City BEGIN SELECT RAISE(ABORT, 'refused'); END;"
        "CREATE TRIGGER no_chad BEFORE INSERT ON Country WHEN NEW.ID = 3 BEGIN SELECT RAISE(ABORT, 'refused'); END;"_s));
    const QString all = u"SELECT group_concat(ID || name || Method) || (SELECT group_concat(ID || name || longitude_Degree "
                        "|| gmt || County_ID) FROM City) || (SELECT count(*) FROM Region2County) FROM Country"_s;
    const QString before = this->m_db.Text(all);
    std::uint32_t id = 0;
    // The country insert works, its link does not: neither may stay.
    EXPECT_EQ(this->m_places->AddCountry(u"Peru"_s, u"بيرو"_s, &id, 1, 2), E_FAIL);
    // The delete of a modify works, its insert does not: the old row stays.
    EXPECT_EQ(this->m_places->ModifyCity(1, 4, u"Abha"_s, u"أبها"_s, 1, 1, 1, 1, 1), HRESULT(0x80FF0713u));
    EXPECT_EQ(this->m_places->ModifyCountry(3, u"Tchad"_s, u"تشاد"_s, 2), HRESULT(0x80FF0713u));
    EXPECT_EQ(this->m_places->AddCity(3, u"Moundou"_s, u"موندو"_s, 16, 5, 8, 34, 1, &id), E_FAIL);
    EXPECT_EQ(this->m_db.Text(all), before);
    // No transaction was left open.
    ASSERT_TRUE(this->m_db.Exec(u"DROP TRIGGER no_cities"_s));
    EXPECT_EQ(this->m_places->AddCity(3, u"Moundou"_s, u"موندو"_s, 16, 5, 8, 34, 1, &id), S_OK);
}

TYPED_TEST(Places, EditsNestInsideTheHostsTransaction)
{
    ASSERT_TRUE(this->m_db.Exec(u"CREATE TRIGGER no_nameless BEFORE INSERT ON City WHEN NEW.County_ID = 4 "
                                "BEGIN SELECT RAISE(ABORT, 'refused'); END;"_s));
    ASSERT_EQ(this->m_places->ExecuteStatement(u"BEGIN"_s), S_OK);
    std::uint32_t id = 0;
    EXPECT_EQ(this->m_places->AddCountry(u"Peru"_s, u"بيرو"_s, &id, 1, 2), S_OK);
    EXPECT_EQ(this->m_places->AddCity(3, u"Moundou"_s, u"موندو"_s, 16, 5, 8, 34, 1, &id), S_OK);
    EXPECT_EQ(this->m_places->ModifyCity(2, 5, u"Al Qahira"_s, u"القاهرة"_s, 31, 14, 30, 3, 2), S_OK);
    EXPECT_EQ(this->m_places->ModifyCountry(3, u"Tchad"_s, u"تشاد"_s, 2), S_OK);
    // A refused edit undoes only itself; the host's transaction goes on.
    EXPECT_LT(this->m_places->ModifyCity(4, 4, u"Abha"_s, u"أبها"_s, 1, 1, 1, 1, 1), 0);
    EXPECT_EQ(this->m_places->GetRecordsetCount(u"SELECT ID FROM City"_s), 7);
    ASSERT_EQ(this->m_places->ExecuteStatement(u"ROLLBACK"_s), S_OK);
    EXPECT_EQ(this->m_db.Text(u"SELECT (SELECT count(*) FROM City) || ',' || count(*) FROM Country"_s), u"6,4"_s)
        << "the host's rollback undoes every edit";
}

TYPED_TEST(Places, EditsKeepTheSideTablesInStep)
{
    ASSERT_TRUE(this->m_db.Exec(u"INSERT INTO CityInfo VALUES (1, 7, 5000000, 'Asia/Riyadh'), (2, NULL, 2000000, "
                                "'Asia/Riyadh'), (5, NULL, 9000000, 'Africa/Cairo'); INSERT INTO CityAlternate VALUES ('Mecca', 2);"
                                "INSERT INTO CitySeat VALUES (1, 0), (2, 1); INSERT INTO CityAlias VALUES (8, 1), (9, 2)"_s));
    const QString facts = u"SELECT group_concat(CityID || ':' || ifnull(DivisionID, '-') || ':' || population || ':' || zone, ' ') "
                          "|| ' ' || ifnull((SELECT group_concat(name || CityID) FROM CityAlternate), '') || ' ' || "
                          "(SELECT group_concat(CityID || '^' || level) FROM CitySeat) || ' ' || "
                          "(SELECT group_concat(ID || '>' || CityID) FROM CityAlias) FROM CityInfo"_s;
    std::uint32_t id = 0;
    // Beside Cairo: its zone, population 0, no division.
    ASSERT_EQ(this->m_places->AddCity(2, u"Giza"_s, u"الجيزة"_s, 31, 12, 30, 1, 2, &id), S_OK);
    // Renamed where it stands: its facts and spellings stay.
    ASSERT_EQ(this->m_places->ModifyCity(1, 2, u"Makka"_s, u"مكة"_s, 39, 49, 21, 25, 3), S_OK);
    // Moved beside Cairo: population and division stay, the zone follows.
    ASSERT_EQ(this->m_places->ModifyCity(1, 1, u"Riyadh"_s, u"الرياض"_s, 31, 20, 30, 0, 3), S_OK);
    EXPECT_EQ(this->m_db.Text(facts), u"1:7:5000000:Africa/Cairo 2:-:2000000:Asia/Riyadh 5:-:9000000:Africa/Cairo "
                                       "7:-:0:Africa/Cairo Mecca2 1^0,2^1 8>1,9>2"_s);
    ASSERT_EQ(this->m_places->ExecuteStatement(u"DELETE FROM City WHERE ID IN (2, 7)"_s), S_OK);
    EXPECT_EQ(this->m_db.Text(facts), u"1:7:5000000:Africa/Cairo 5:-:9000000:Africa/Cairo  1^0 8>1"_s);
    // A database of an earlier release: edits as before.
    ASSERT_TRUE(this->m_db.Exec(u"DROP VIEW CityDetails; DROP TABLE CityInfo; DROP TABLE CityAlternate"_s));
    ASSERT_EQ(this->m_places->Init(), 1);
    EXPECT_EQ(this->m_places->AddCity(2, u"Giza"_s, u"الجيزة"_s, 31, 12, 30, 1, 2, &id), S_OK);
    EXPECT_EQ(this->m_places->ModifyCity(2, id, u"Gizeh"_s, u"الجيزة"_s, 31, 12, 30, 1, 2), S_OK);
    EXPECT_EQ(this->m_places->ExecuteStatement(u"DELETE FROM City WHERE ID = 1"_s), S_OK);
}

// Writers in several processes at once, as two hosts and the host program
// might be: every edit must wait its turn through the busy timeout, none may
// fail or take another's ID. The test program runs itself as the writers.
TEST(ConcurrentWriters, EveryEditLands)
{
    constexpr int kWriters = 4, kTowns = 40;
    if (const QString writer = qEnvironmentVariable("TERRAFIND_TEST_WRITER"); !writer.isEmpty()) {
        CTerrafind30 places;
        int failures = places.Init() ? 0 : kTowns;
        for (int i = 0; i < kTowns; ++i) {
            const QString name = u"Town %1-%2"_s.arg(writer).arg(i);
            std::uint32_t id = 0;
            if (places.AddCity(3, name, name, 1, 2, 3, 4, 1, &id) != S_OK
                || places.ModifyCity(3, id, name, name, 1, 2, 3, 4, 4.5) != S_OK)
                ++failures;
        }
        places.Close();
        std::exit(failures);
    }
    const CScratchPlaceDb db(kPlaces);
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int k = 0; k < kWriters; ++k) {
        auto& process = writers.emplace_back(std::make_unique<QProcess>());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"TERRAFIND_DB"_s, db.Path());
        environment.insert(u"TERRAFIND_TEST_WRITER"_s, QString::number(k));
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(QCoreApplication::applicationFilePath(), {u"--gtest_filter=ConcurrentWriters.*"_s});
    }
    for (auto& process : writers) {
        ASSERT_TRUE(process->waitForFinished(120000));
        EXPECT_EQ(process->exitCode(), 0) << "edits that failed";
    }
    EXPECT_EQ(db.Text(u"SELECT (SELECT count(*) FROM City WHERE gmt = 45) || ',' || count(*) FROM City"_s),
              u"%1,%2"_s.arg(kWriters * kTowns).arg(6 + kWriters * kTowns)) << "every edit landed, once";
}

} // namespace
