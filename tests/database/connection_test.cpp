// Opening, closing and the provider underneath the place-database back ends.
#include "backendfixture.h"

#include <QDir>
#include <QFile>

namespace {

const QString kCountries = u"SELECT * FROM Country"_s;

class Connection : public ::testing::Test {
protected:
    Connection() { m_db.Use(); }

    CEnvironmentGuard m_environment;
    QTemporaryDir m_dir;
    const CScratchPlaceDb m_db{kPlaces};
};

// Every data operation must fail the same way without an open connection.
void ExpectAllFail(CTerrafind& places)
{
    QStringList names;
    QList<unsigned int> ids;
    QString name, arabic;
    std::uint32_t id = 0;
    CCity city;
    EXPECT_EQ(std::vector<HRESULT>({places.GetAllCountries(&names, &ids), places.GetCities(1, &names, &ids),
                                    places.GetCountries(1, 1, &names, &ids), places.GetCountry(1, name, arabic, nullptr),
                                    places.GetCity(1, &city), places.GetRegionID(1, 1, &id, nullptr),
                                    places.ExecuteStatement(u"DELETE FROM City"_s), places.GetRecordsetCount(kCountries),
                                    places.AddCity(1, u"X"_s, u"X"_s, 0, 0, 0, 0, 0, &id),
                                    places.ModifyCountry(1, u"X"_s, u"X"_s, 0), places.GetIDMaximum(u"City"_s, u"ID"_s, &id)}),
              std::vector<HRESULT>({E_FAIL, E_FAIL, E_FAIL, E_FAIL, E_FAIL, E_FAIL, E_FAIL, -1, E_FAIL, E_FAIL, E_FAIL}));
}

TEST_F(Connection, OpensOnlyAnExistingPlaceDatabase)
{
    const QString garbage = m_dir.filePath(u"garbage"_s), empty = m_dir.filePath(u"empty"_s);
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, '\x5a')) == 4096);
    file.close();
    QFile(empty).open(QIODevice::WriteOnly);
    QDir(m_dir.path()).mkdir(u"directory"_s);
    const std::tuple<QString, HRESULT, const char*> rows[] = {
        {m_db.Path(), S_OK, "success"},
        {m_dir.filePath(u"missing"_s), HRESULT(0x80FF000Eu), "SQLite: unable to open database file"},
        {m_dir.filePath(u"directory"_s), HRESULT(0x80FF000Eu), "SQLite: unable to open database file"},
        {garbage, HRESULT(0x80FF001Au), "SQLite: file is not a database"},
        {empty, HRESULT(0x80FE0001u), "not a place database (Region, Country, Region2County and City tables missing)"},
    };
    for (const auto& [path, status, description] : rows) {
        SCOPED_TRACE(qPrintable(path));
        qputenv("TERRAFIND_DB", path.toLocal8Bit());
        EXPECT_EQ(PlaceDatabaseOpenStatus(), status);
        EXPECT_EQ(DescribeStatus(status), QString::fromUtf8(description));
        CTerrafind30 places;
        EXPECT_EQ(places.Init(), status >= 0 ? 1 : 0);
        EXPECT_EQ(GetInitStatus(places), status) << "the same status, without opening again";
        if (status < 0)
            ExpectAllFail(places);
    }
    EXPECT_FALSE(QFile::exists(m_dir.filePath(u"missing"_s))) << "opening must not create";
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList({u"empty"_s, u"garbage"_s}))
        << "a file the host names is never moved aside or mended";
}

TEST_F(Connection, StatementStatusesComeFromTheProvider)
{
    CTerrafind30 places;
    ASSERT_EQ(places.Init(), 1);
    const std::tuple<const char*, HRESULT, const char*> rows[] = {
        {"UPDATE Country SET Method = 2 WHERE ID = 1", S_OK, "success"},
        {"UPDATE Nowhere SET x = 1", HRESULT(0x80FF0001u), "SQLite: SQL logic error"},
        {"this is not SQL", HRESULT(0x80FF0001u), "SQLite: SQL logic error"},
        {"DELETE FROM City; DELETE FROM Country", HRESULT(0x80FE0002u), "more than one statement in one text"},
    };
    for (const auto& [statement, status, description] : rows) {
        EXPECT_EQ(places.ExecuteStatement(QString::fromUtf8(statement)), status) << statement;
        EXPECT_EQ(DescribeStatus(status), QString::fromUtf8(description));
    }
    // A count runs queries only: a statement that would write is refused unrun.
    const std::pair<const char*, int> counts[] = {
        {"SELECT * FROM Country", 4}, {"SELECT * FROM City WHERE ID > 6", 0}, {"SELECT * FROM Nowhere", -1},
        {"DELETE FROM Country", -1}, {"INSERT INTO Country VALUES (9, 'x', 'x', 1)", -1},
    };
    for (const auto& [query, count] : counts)
        EXPECT_EQ(places.GetRecordsetCount(QString::fromUtf8(query)), count) << query;
    EXPECT_EQ(m_db.Text(u"SELECT (SELECT count(*) FROM City) || ',' || count(*) FROM Country"_s), u"6,4"_s)
        << "nothing deleted or added";

    // A read-only file (to all but root) reads, and refuses writes with SQLite's status.
    QFile::setPermissions(m_db.Path(), QFile::ReadOwner | QFile::ReadGroup);
    if (!QFile(m_db.Path()).open(QIODevice::ReadWrite)) {
        ASSERT_EQ(places.Init(), 1);
        EXPECT_EQ(places.GetRecordsetCount(kCountries), 4);
        EXPECT_EQ(places.ExecuteStatement(u"DELETE FROM Country"_s), HRESULT(0x80FF0008u));
    }
}

// One connection a class, shared by its objects and copies: constructing an
// object empties it, Init fills it, Close empties it.
TEST_F(Connection, EachClassHasOneConnectionSlot)
{
    CTerrafind30 first;
    ASSERT_EQ(first.Init(), 1);
    CTerrafind31 other; // another class, opened as it is constructed
    CTerrafind30 copy(first);
    copy.SetArabic();
    EXPECT_EQ(copy.GetRecordsetCount(kCountries), 4);
    EXPECT_EQ(first.m_bArabic, 0);
    CTerrafind30 assigned;
    EXPECT_EQ(first.GetRecordsetCount(kCountries), -1) << "a new object takes over and empties the slot";
    assigned = copy;
    EXPECT_EQ(assigned.m_bArabic, 1);

    EXPECT_EQ(other.GetRecordsetCount(kCountries), 4);
    other.Close();
    other.Close();
    ExpectAllFail(other);
    ASSERT_EQ(other.Init(), 1) << "a closed back end opens again";
    qputenv("TERRAFIND_DB", m_dir.filePath(u"missing"_s).toLocal8Bit());
    CTerrafind31 failed;
    ExpectAllFail(failed);
    EXPECT_EQ(other.GetRecordsetCount(kCountries), -1) << "the failed open took the slot";
}

TEST_F(Connection, PerUserDatabaseIsACopyMadeOnFirstUse)
{
    qunsetenv("TERRAFIND_DB");
    qputenv("XDG_DATA_HOME", m_dir.path().toLocal8Bit());
    const QString mine = m_dir.filePath(u"terrafind/KVCities"_s);
    ASSERT_EQ(PlaceDatabaseFile(), mine);
    ASSERT_FALSE(QFile::exists(mine));
    {
        CTerrafind30 places;
        ASSERT_EQ(places.Init(), 1);
        EXPECT_GE(places.GetRecordsetCount(u"SELECT ID FROM City"_s), 120000) << "first use copies the shipped database";
        QFile copy(mine);
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
        EXPECT_EQ(copy.read(20).at(18), 2) << "the copy is in WAL mode: readers never wait for a writer";
        std::uint32_t id = 0;
        ASSERT_EQ(places.AddCountry(u"Atlantis"_s, u"أطلانطس"_s, &id, 1, 2), S_OK);
    }
    CTerrafind30 again; // the copy is kept, with the user's country
    ASSERT_EQ(again.Init(), 1);
    EXPECT_EQ(again.GetRecordsetCount(u"SELECT ID FROM Country WHERE name = 'Atlantis'"_s), 1);

    // A file where the data directory should be: nothing opens.
    qputenv("XDG_DATA_HOME", mine.toLocal8Bit());
    CTerrafind30 blocked;
    EXPECT_EQ(blocked.Init(), 0);
    ExpectAllFail(blocked);
}

} // namespace
