// Adding and replacing countries and cities, on both back ends, with
// faults injected into the real database.
#include "backendfixture.h"

#include <terrafind/terrafind.h>

#include <QCoreApplication>
#include <QProcess>

#include <sqlite3.h>

#include <cstdlib>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

constexpr char kPlaces[] = R"sql(
INSERT INTO Region VALUES (1, 0, 0, 10, 10);
INSERT INTO Region VALUES (2, 11, 0, 20, 10);
INSERT INTO Country VALUES (3, 'Chad', 'تشاد', 4);
INSERT INTO Country VALUES (17, 'Egypt', 'مصر', 4);
INSERT INTO Country VALUES (5, 'Nepal', 'نيبال', 0);
INSERT INTO Region2County VALUES (1, 3);
INSERT INTO City VALUES (4, 'Abeche', 'أبشة', 20, 49, 13, 49, 10, 3);
INSERT INTO City VALUES (9, 'Cairo', 'القاهرة', 31, 14, 30, 3, 20, 17);
)sql";

template <typename Backend>
class Edits : public CBackendTest<Backend> {
protected:
    Edits() : CBackendTest<Backend>(kPlaces) {}

    std::int64_t Count(const char* sql) const { return this->m_db.Integer(QString::fromUtf8(sql)); }
    // Every row of City, for before/after comparisons.
    QString Cities() const
    {
        return this->m_db.Text(QStringLiteral("SELECT group_concat(ID || ':' || name || ':' || arabic_name || ':' || "
                                              "longitude_Degree || ':' || longitude_Minute || ':' || latitude_Degree || "
                                              "':' || latitude_Minute || ':' || gmt || ':' || County_ID, '|') FROM City"));
    }
};

TYPED_TEST_SUITE(Edits, DatabaseBackends);

TYPED_TEST(Edits, LargestIDIsReadFromEveryRow)
{
    std::uint32_t maximum = 1234;
    EXPECT_EQ(this->m_places->GetIDMaximum(QStringLiteral("Country"), QStringLiteral("ID"), &maximum), S_OK);
    EXPECT_EQ(maximum, 17u);
    EXPECT_EQ(this->m_places->GetIDMaximum(QStringLiteral("Region2County"), QStringLiteral("RegionID"), &maximum), S_OK);
    EXPECT_EQ(maximum, 1u);
    ASSERT_TRUE(this->m_db.Exec(QStringLiteral("DELETE FROM Region")));
    EXPECT_EQ(this->m_places->GetIDMaximum(QStringLiteral("Region"), QStringLiteral("ID"), &maximum), S_OK);
    EXPECT_EQ(maximum, 0u) << "an empty table";
    EXPECT_EQ(this->m_places->GetIDMaximum(QStringLiteral("Nowhere"), QStringLiteral("ID"), &maximum), E_FAIL);
}

TYPED_TEST(Edits, CheckCountryExisting)
{
    std::uint32_t id = 77;
    EXPECT_EQ(this->m_places->CheckCountryExisting(QStringLiteral("SELECT ID from Country where name = 'Nepal'"), &id), S_OK);
    EXPECT_EQ(id, 5u);
    id = 77;
    EXPECT_EQ(this->m_places->CheckCountryExisting(QStringLiteral("SELECT ID from Country where name = 'Peru'"), &id), E_INVALIDARG);
    EXPECT_EQ(id, 77u);
    EXPECT_EQ(this->m_places->CheckCountryExisting(QStringLiteral("SELECT nonsense"), &id), E_FAIL);
    EXPECT_EQ(this->m_places->CheckCountryExisting(QStringLiteral("DELETE FROM Country"), &id), E_FAIL);
    EXPECT_EQ(this->Count("SELECT count(*) FROM Country"), 3) << "a statement that writes is not run";
}

TYPED_TEST(Edits, AddCountry)
{
    std::uint32_t id = 0;
    // A known English name, new region: only the link is added.
    EXPECT_EQ(this->m_places->AddCountry(QStringLiteral("Chad"), QStringLiteral("ignored"), &id, 2, 1), S_OK);
    EXPECT_EQ(id, 3u);
    EXPECT_EQ(this->Count("SELECT count(*) FROM Region2County WHERE CountyID = 3"), 2);
    EXPECT_EQ(this->m_db.Text(QStringLiteral("SELECT arabic_name FROM Country WHERE ID = 3")), QStringLiteral("تشاد"));
    // ...and the same region again: nothing changes.
    id = 0;
    EXPECT_EQ(this->m_places->AddCountry(QStringLiteral("Chad"), QStringLiteral("x"), &id, 2, 1), E_INVALIDARG);
    EXPECT_EQ(id, 3u);
    EXPECT_EQ(this->Count("SELECT count(*) FROM Region2County"), 2);
    // A new country: the next ID, with its link, the method stored as a number.
    EXPECT_EQ(this->m_places->AddCountry(QStringLiteral("Peru"), QStringLiteral("بيرو"), &id, 1, 2), S_OK);
    EXPECT_EQ(id, 18u);
    EXPECT_EQ(this->m_db.Text(QStringLiteral("SELECT typeof(Method) || Method FROM Country WHERE ID = 18")),
              QStringLiteral("integer2"));
    EXPECT_EQ(this->Count("SELECT count(*) FROM Region2County WHERE RegionID = 1 AND CountyID = 18"), 1);

    // An empty table starts at 1.
    ASSERT_TRUE(this->m_db.Exec(QStringLiteral("DELETE FROM Country; DELETE FROM Region2County")));
    EXPECT_EQ(this->m_places->AddCountry(QStringLiteral("Chad"), QStringLiteral("تشاد"), &id, 2, 4), S_OK);
    EXPECT_EQ(id, 1u);
    EXPECT_EQ(this->Count("SELECT count(*) FROM Region2County WHERE RegionID = 2 AND CountyID = 1"), 1);
}

TYPED_TEST(Edits, AddCityWritesSignedAnglesAndTruncatedTenths)
{
    const struct {
        double hours;
        int tenths;
    } zones[] = {{5.5, 55}, {-3.5, -35}, {5.75, 57}, {-3.75, -37}, {0.0, 0}, {13.0, 130}, {-0.05, 0}};
    int n = 0;
    for (const auto& zone : zones) {
        SCOPED_TRACE(zone.hours);
        std::uint32_t id = 0;
        const QString name = QStringLiteral("Town %1").arg(++n);
        ASSERT_EQ(this->m_places->AddCity(3, name, QStringLiteral("بلدة"), -7, -30, 12, 6, zone.hours, &id), S_OK);
        EXPECT_EQ(this->m_db.Integer(QStringLiteral("SELECT gmt FROM City WHERE ID = %1").arg(id)), zone.tenths);
        EXPECT_EQ(this->m_db.Text(QStringLiteral("SELECT longitude_Degree || ',' || longitude_Minute FROM City "
                                                 "WHERE ID = %1").arg(id)), QStringLiteral("-7,-30"));
    }
    std::uint32_t id = 0;
    const QStringList& traced = this->Traced();
    ASSERT_EQ(this->m_places->AddCity(17, QStringLiteral("Giza"), QStringLiteral("الجيزة"), 31, 12, 30, 1, 2.0, &id), S_OK);
    EXPECT_EQ(id, 17u) << "one more than the largest city ID";
    // The check, the ID and the insert in one transaction, so no other writer
    // can add the same city or take the same ID in between.
    EXPECT_EQ(traced, (QStringList{u"BEGIN IMMEDIATE"_s, u"SELECT * FROM City WHERE County_ID = 17 and name = 'Giza'"_s,
                                   u"SELECT ID FROM City"_s,
                                   u"INSERT INTO City values(17,'Giza','الجيزة',31,12,30,1,20,17)"_s, u"COMMIT"_s}));
}

TYPED_TEST(Edits, AddCityRefusesADuplicateOnlyInTheSameCountry)
{
    std::uint32_t id = 555;
    EXPECT_EQ(this->m_places->AddCity(3, QStringLiteral("Abeche"), QStringLiteral("x"), 0, 0, 0, 0, 1, &id), E_INVALIDARG);
    EXPECT_EQ(id, 555u);
    EXPECT_EQ(this->m_places->AddCity(17, QStringLiteral("Abeche"), QStringLiteral("أبشة"), 0, 0, 0, 0, 1, &id), S_OK);
    EXPECT_EQ(id, 10u);
    EXPECT_EQ(this->Count("SELECT count(*) FROM City WHERE name = 'Abeche'"), 2);

    // Names are compared exactly as stored, although they sort as ICU says.
    for (const QString name : {u"abeche"_s, u"ABECHE"_s, u"Abéche"_s, u"Abe\u00ADche"_s}) {
        SCOPED_TRACE(qPrintable(name));
        EXPECT_EQ(this->m_places->AddCity(3, name, name, 0, 0, 0, 0, 1, &id), S_OK);
    }
    EXPECT_EQ(this->m_places->AddCountry(u"chad"_s, u"تشاد"_s, &id, 2, 1), S_OK);
    EXPECT_EQ(id, 18u) << "a new country, not a link to Chad";
}

TYPED_TEST(Edits, EditsNestInsideTheHostsTransaction)
{
    ASSERT_TRUE(this->m_db.Exec(u"CREATE TRIGGER no_nepal BEFORE INSERT ON City WHEN NEW.County_ID = 5 "
                                "BEGIN SELECT RAISE(ABORT, 'refused'); END;"_s));
    ASSERT_EQ(this->m_places->ExecuteStatement(u"BEGIN"_s), S_OK);
    std::uint32_t id = 0;
    EXPECT_EQ(this->m_places->AddCountry(u"Peru"_s, u"بيرو"_s, &id, 1, 2), S_OK);
    EXPECT_EQ(this->m_places->AddCity(3, u"Moundou"_s, u"موندو"_s, 16, 5, 8, 34, 1, &id), S_OK);
    EXPECT_EQ(this->m_places->ModifyCity(17, 9, u"Al Qahira"_s, u"القاهرة"_s, 31, 14, 30, 3, 2), S_OK);
    EXPECT_EQ(this->m_places->ModifyCountry(3, u"Tchad"_s, u"تشاد"_s, 2), S_OK);
    // A refused edit undoes only itself; the host's transaction goes on.
    EXPECT_LT(this->m_places->ModifyCity(5, 4, u"Abeche"_s, u"أبشة"_s, 1, 1, 1, 1, 1), 0);
    EXPECT_EQ(this->m_places->GetRecordsetCount(u"SELECT ID FROM City WHERE ID = 4"_s), 1);
    EXPECT_EQ(this->m_places->GetRecordsetCount(u"SELECT ID FROM City"_s), 3);
    ASSERT_EQ(this->m_places->ExecuteStatement(u"ROLLBACK"_s), S_OK);
    EXPECT_EQ(this->Count("SELECT count(*) FROM City"), 2) << "the host's rollback undoes every edit";
    EXPECT_EQ(this->Count("SELECT count(*) FROM Country"), 3);
}

TYPED_TEST(Edits, ModifyKeepsIDsAndMovesCities)
{
    EXPECT_EQ(this->m_places->ModifyCity(17, 4, QStringLiteral("Abéché"), QStringLiteral("أبشة"), 20, 49, 13, 49, 1.0), S_OK);
    CCity city;
    ASSERT_EQ(this->m_places->GetCity(4, &city), S_OK);
    EXPECT_EQ(city.m_strName, QStringLiteral("Abéché"));
    EXPECT_EQ(city.m_dwCountryID, 17u) << "moved to another country under the same ID";
    EXPECT_EQ(city.m_strCountryName, QStringLiteral("Egypt"));

    EXPECT_EQ(this->m_places->ModifyCountry(3, QStringLiteral("Tchad"), QStringLiteral("تشاد"), 2), S_OK);
    EXPECT_EQ(this->Count("SELECT count(*) FROM Region2County WHERE CountyID = 3"), 1) << "links stay attached";
    EXPECT_EQ(this->m_db.Text(QStringLiteral("SELECT name || Method FROM Country WHERE ID = 3")), QStringLiteral("Tchad2"));
    EXPECT_EQ(this->m_places->ModifyCountry(40, QStringLiteral("Peru"), QStringLiteral("بيرو"), 2), S_OK)
        << "an ID that does not exist is inserted";
    EXPECT_EQ(this->Count("SELECT count(*) FROM Country"), 4);
}

TYPED_TEST(Edits, NamesWithQuotesAreStoredAsGivenAndChangeNoStatement)
{
    const QString names[] = {
        QStringLiteral("N'Djamena"),
        QStringLiteral("x'); DROP TABLE City; --"),
        QStringLiteral("''"),
        QStringLiteral("' OR '1'='1"),
    };
    for (const QString& name : names) {
        SCOPED_TRACE(qPrintable(name));
        std::uint32_t city = 0, country = 0;
        ASSERT_EQ(this->m_places->AddCity(3, name, name, 15, 3, 12, 6, 1, &city), S_OK);
        EXPECT_EQ(this->m_places->AddCity(3, name, name, 15, 3, 12, 6, 1, &city), E_INVALIDARG);
        CCity read;
        ASSERT_EQ(this->m_places->GetCity(city, &read), S_OK);
        EXPECT_EQ(read.m_strName, name);
        EXPECT_EQ(read.m_strArabicName, name);
        EXPECT_EQ(this->m_places->ModifyCity(3, city, name + QLatin1Char('\''), name, 15, 3, 12, 6, 1), S_OK);
        ASSERT_EQ(this->m_places->GetCity(city, &read), S_OK);
        EXPECT_EQ(read.m_strName, name + QLatin1Char('\''));

        ASSERT_EQ(this->m_places->AddCountry(name, name, &country, 1, 2), S_OK);
        EXPECT_EQ(this->m_places->AddCountry(name, name, &country, 1, 2), E_INVALIDARG);
        EXPECT_EQ(this->m_places->ModifyCountry(country, name, name + QLatin1Char('\''), 2), S_OK);
        QString english, arabic;
        short method = 0;
        ASSERT_EQ(this->m_places->GetCountry(country, english, arabic, &method), S_OK);
        EXPECT_EQ(english, name);
        EXPECT_EQ(arabic, name + QLatin1Char('\''));
    }
    EXPECT_EQ(this->Count("SELECT count(*) FROM City"), 2 + 4) << "the tables are intact";
    EXPECT_EQ(this->Count("SELECT count(*) FROM Country"), 3 + 4);
}

TYPED_TEST(Edits, AbortedInsertsLeaveNothingHalfDone)
{
    ASSERT_TRUE(this->m_db.Exec(QStringLiteral(
        "CREATE TRIGGER no_links BEFORE INSERT ON Region2County BEGIN SELECT RAISE(ABORT, 'refused'); END;"
        "CREATE TRIGGER no_cities BEFORE INSERT ON City BEGIN SELECT RAISE(ABORT, 'refused'); END;"
        "CREATE TRIGGER no_countries BEFORE INSERT ON Country WHEN NEW.ID = 3 "
        "BEGIN SELECT RAISE(ABORT, 'refused'); END;")));
    const QString citiesBefore = this->Cities();
    std::uint32_t id = 0;

    // The country insert works, its link does not: neither may stay.
    EXPECT_EQ(this->m_places->AddCountry(QStringLiteral("Peru"), QStringLiteral("بيرو"), &id, 1, 2), E_FAIL);
    EXPECT_EQ(this->Count("SELECT count(*) FROM Country WHERE name = 'Peru'"), 0);
    EXPECT_EQ(this->Count("SELECT count(*) FROM Region2County"), 1);

    // The delete of a modify works, its insert does not: the old row stays.
    EXPECT_LT(this->m_places->ModifyCity(3, 4, QStringLiteral("Abeche"), QStringLiteral("أبشة"), 1, 1, 1, 1, 1), 0);
    EXPECT_EQ(this->Cities(), citiesBefore);
    EXPECT_LT(this->m_places->ModifyCountry(3, QStringLiteral("Tchad"), QStringLiteral("تشاد"), 2), 0);
    EXPECT_EQ(this->m_db.Text(QStringLiteral("SELECT name FROM Country WHERE ID = 3")), QStringLiteral("Chad"));

    EXPECT_EQ(this->m_places->AddCity(3, QStringLiteral("Moundou"), QStringLiteral("موندو"), 16, 5, 8, 34, 1, &id), E_FAIL);
    EXPECT_EQ(this->Cities(), citiesBefore);

    // The back end is still usable afterwards: no transaction was left open.
    ASSERT_TRUE(this->m_db.Exec(QStringLiteral("DROP TRIGGER no_cities")));
    EXPECT_EQ(this->m_places->AddCity(3, QStringLiteral("Moundou"), QStringLiteral("موندو"), 16, 5, 8, 34, 1, &id), S_OK);
}

TYPED_TEST(Edits, DatabaseLockedByAnotherWriterFailsCleanly)
{
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(this->m_db.Path().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

    std::uint32_t id = 0;
    EXPECT_LT(this->m_places->AddCountry(QStringLiteral("Peru"), QStringLiteral("بيرو"), &id, 1, 2), 0);
    EXPECT_LT(this->m_places->ModifyCity(3, 4, QStringLiteral("X"), QStringLiteral("X"), 1, 1, 1, 1, 1), 0);

    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(this->Count("SELECT count(*) FROM Country"), 3) << "nothing half-written";
    EXPECT_EQ(this->m_db.Text(QStringLiteral("SELECT name FROM City WHERE ID = 4")), QStringLiteral("Abeche"));
    EXPECT_EQ(this->m_places->AddCountry(QStringLiteral("Peru"), QStringLiteral("بيرو"), &id, 1, 2), S_OK)
        << "works again once the lock is gone";
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
                || places.ModifyCity(3, id, name, name, 1, 2, 3, 4, 3) != S_OK)
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
    EXPECT_EQ(db.Integer(u"SELECT count(*) FROM City WHERE gmt = 30"_s), kWriters * kTowns);
    EXPECT_EQ(db.Integer(u"SELECT count(DISTINCT ID) FROM City"_s), 2 + kWriters * kTowns);
}

} // namespace
