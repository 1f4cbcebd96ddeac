// Opening, closing and the provider underneath the place-database back ends.
#include "placedb.h"

#include "database/placestore.h"
#include "database/provider.h"
#include "database/status.h"

#include <terrafind/terrafind.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

constexpr char kOneCountry[] = "INSERT INTO Country VALUES (1, 'Chad', 'تشاد', 4);";

class Connection : public ::testing::Test {
protected:
    CEnvironmentGuard m_environment;
    QTemporaryDir m_dir;
};

// Every data operation must fail the same way without an open connection.
void ExpectAllFail(CTerrafind& places)
{
    QStringList names;
    QList<unsigned int> ids;
    QString name, arabic;
    short method = 0;
    std::uint32_t id = 0;
    CCity city;
    EXPECT_EQ(places.GetAllCountries(&names, &ids), E_FAIL);
    EXPECT_EQ(places.GetCities(1, &names, &ids), E_FAIL);
    EXPECT_EQ(places.GetCountries(1, 1, &names, &ids), E_FAIL);
    EXPECT_EQ(places.GetCountry(1, name, arabic, &method), E_FAIL);
    EXPECT_EQ(places.GetCity(1, &city), E_FAIL);
    EXPECT_EQ(places.GetRegionID(1, 1, &id, nullptr), E_FAIL);
    EXPECT_EQ(places.ExecuteStatement(QStringLiteral("DELETE FROM City")), E_FAIL);
    EXPECT_EQ(places.GetRecordsetCount(QStringLiteral("SELECT * FROM Country")), -1);
    EXPECT_EQ(places.AddCity(1, QStringLiteral("X"), QStringLiteral("X"), 0, 0, 0, 0, 0, &id), E_FAIL);
    EXPECT_EQ(places.ModifyCountry(1, QStringLiteral("X"), QStringLiteral("X"), 0), E_FAIL);
    EXPECT_EQ(places.GetIDMaximum(QStringLiteral("City"), QStringLiteral("ID"), &id), E_FAIL);
    EXPECT_TRUE(names.isEmpty());
}

TEST_F(Connection, OpensOnlyAnExistingPlaceDatabase)
{
    const QString garbage = m_dir.filePath(QStringLiteral("garbage"));
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, '\x5a'));
    file.close();
    QFile(m_dir.filePath(QStringLiteral("empty"))).open(QIODevice::WriteOnly);
    QDir(m_dir.path()).mkdir(QStringLiteral("directory"));
    const CScratchPlaceDb good(kOneCountry);

    const struct {
        const char* what;
        QString path;
        HRESULT open;
    } rows[] = {
        {"a place database", good.Path(), S_OK},
        {"a missing file", m_dir.filePath(QStringLiteral("missing")), StatusFromSqlite(14)},
        {"a directory", m_dir.filePath(QStringLiteral("directory")), StatusFromSqlite(14)},
        {"garbage", garbage, StatusFromSqlite(26)},
        {"an empty file", m_dir.filePath(QStringLiteral("empty")), TF_E_NOTPLACEDB},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        CConnection connection;
        EXPECT_EQ(connection.Open(row.path), row.open);
        EXPECT_EQ(connection.IsOpen(), row.open >= 0);

        qputenv("TERRAFIND_DB", row.path.toLocal8Bit());
        CTerrafind30 places;
        EXPECT_EQ(places.Init(), row.open >= 0 ? 1 : 0);
        if (row.open < 0)
            ExpectAllFail(places);
    }
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("missing")))) << "opening must not create";
}

TEST_F(Connection, ReadOnlyDatabaseReadsButRefusesWritesWithItsOwnStatus)
{
    const CScratchPlaceDb db(kOneCountry);
    QFile::setPermissions(db.Path(), QFile::ReadOwner | QFile::ReadGroup);
    if (QFile(db.Path()).open(QIODevice::ReadWrite))
        GTEST_SKIP() << "running as a user who can write read-only files";
    db.Use();
    CTerrafind30 places;
    ASSERT_EQ(places.Init(), 1);
    EXPECT_EQ(places.GetRecordsetCount(QStringLiteral("SELECT * FROM Country")), 1);
    EXPECT_EQ(places.ExecuteStatement(QStringLiteral("DELETE FROM Country")), StatusFromSqlite(8));
}

TEST_F(Connection, StatementStatusesComeFromTheProvider)
{
    const CScratchPlaceDb db(kOneCountry);
    db.Use();
    CTerrafind30 places;
    ASSERT_EQ(places.Init(), 1);
    const struct {
        const char* statement;
        HRESULT status;
    } rows[] = {
        {"UPDATE Country SET Method = 2 WHERE ID = 1", S_OK},
        {"DELETE FROM City WHERE ID = 99", S_OK},
        {"UPDATE Nowhere SET x = 1", StatusFromSqlite(1)},
        {"this is not SQL", StatusFromSqlite(1)},
        {"DELETE FROM City; DELETE FROM Country", TF_E_MULTIPLESTATEMENTS},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.statement);
        const HRESULT status = places.ExecuteStatement(QString::fromUtf8(row.statement));
        EXPECT_EQ(status, row.status) << qPrintable(DescribeStatus(status));
        EXPECT_NE(status, E_FAIL);
    }
    EXPECT_EQ(db.Integer(QStringLiteral("SELECT count(*) FROM Country")), 1) << "second statement must not run";

    EXPECT_EQ(places.GetRecordsetCount(QStringLiteral("SELECT * FROM Country")), 1);
    EXPECT_EQ(places.GetRecordsetCount(QStringLiteral("SELECT * FROM City")), 0);
    EXPECT_EQ(places.GetRecordsetCount(QStringLiteral("SELECT * FROM Nowhere")), -1);
    // A count runs queries only: a statement that writes is refused unrun.
    EXPECT_EQ(places.GetRecordsetCount(QStringLiteral("DELETE FROM Country")), -1);
    EXPECT_EQ(places.GetRecordsetCount(QStringLiteral("INSERT INTO Country VALUES (2, 'x', 'x', 1)")), -1);
    EXPECT_EQ(db.Integer(QStringLiteral("SELECT count(*) FROM Country")), 1);
    CConnection connection;
    CRecordset rs;
    ASSERT_EQ(connection.Open(db.Path()), S_OK);
    EXPECT_EQ(rs.Open(QStringLiteral("DROP TABLE City"), &connection), TF_E_NOTAQUERY);
    EXPECT_EQ(DescribeStatus(TF_E_NOTAQUERY), QStringLiteral("not a query: the statement would change the database"));
}

TEST_F(Connection, CloseTwiceAndQueriesAfterClose)
{
    const CScratchPlaceDb db(kOneCountry);
    db.Use();
    CTerrafind30 places;
    ASSERT_EQ(places.Init(), 1);
    places.Close();
    places.Close();
    ExpectAllFail(places);
    ASSERT_EQ(places.Init(), 1) << "a closed back end can be opened again";
    EXPECT_EQ(places.GetRecordsetCount(QStringLiteral("SELECT * FROM Country")), 1);
}

TEST_F(Connection, VersionThreeOneOpensAsItIsConstructed)
{
    const CScratchPlaceDb db(kOneCountry);
    db.Use();
    CTerrafind31 places;
    EXPECT_EQ(places.GetRecordsetCount(QStringLiteral("SELECT * FROM Country")), 1);

    qputenv("TERRAFIND_DB", m_dir.filePath(QStringLiteral("missing")).toLocal8Bit());
    CTerrafind31 failed; // its own Init failed; its slot replaced the first one's
    ExpectAllFail(failed);
    failed.Close();
    failed.Close();
}

TEST_F(Connection, EachClassHasOneConnectionSlot)
{
    const CScratchPlaceDb db(kOneCountry);
    db.Use();
    const QString query = QStringLiteral("SELECT * FROM Country");

    CTerrafind30 first;
    ASSERT_EQ(first.Init(), 1);
    CTerrafind31 other; // another class: its own slot
    EXPECT_EQ(first.GetRecordsetCount(query), 1);

    CTerrafind30 copy(first); // copies share the class's connection
    copy.SetArabic();
    EXPECT_EQ(copy.GetRecordsetCount(query), 1);
    EXPECT_EQ(first.m_bArabic, 0);
    CTerrafind30 assigned;
    EXPECT_EQ(first.GetRecordsetCount(query), -1) << "a new object takes over and empties the slot";
    assigned = copy;
    EXPECT_EQ(assigned.m_bArabic, 1);
    EXPECT_EQ(other.GetRecordsetCount(query), 1);
}

TEST_F(Connection, UnregisteredProviderFailsEveryOperation)
{
    const CScratchPlaceDb db(kOneCountry);
    db.Use();
    CProviderRegistry& registry = CProviderRegistry::Instance();
    const QString query = QStringLiteral("SELECT * FROM Country");

    registry.Unregister(ProviderClass::Connection30);
    CTerrafind30 noConnection;
    EXPECT_EQ(noConnection.Init(), 0);
    ExpectAllFail(noConnection);
    registry.Register(ProviderClass::Connection30);

    registry.Unregister(ProviderClass::Recordset30);
    CTerrafind30 noRecordset;
    EXPECT_EQ(noRecordset.Init(), 1) << "the connection itself opens";
    QStringList names;
    QList<unsigned int> ids;
    EXPECT_EQ(noRecordset.GetAllCountries(&names, &ids), E_FAIL);
    EXPECT_EQ(noRecordset.GetRecordsetCount(query), -1);
    CTerrafind31 otherVersion; // the 3.1 classes stay registered
    EXPECT_EQ(otherVersion.GetRecordsetCount(query), 1);
    registry.Register(ProviderClass::Recordset30);
    EXPECT_EQ(noRecordset.GetRecordsetCount(query), 1);
}

TEST_F(Connection, PerUserDatabaseIsACopyAndTheShippedOneNeverChanges)
{
    qunsetenv("TERRAFIND_DB");
    qputenv("XDG_DATA_HOME", m_dir.path().toLocal8Bit());
    const QString shipped = QStringLiteral(TERRAFIND_SOURCE_DIR "/data/KVCities");
    const QString before = FileDigest(shipped);
    const QString mine = m_dir.filePath(QStringLiteral("terrafind/KVCities"));
    ASSERT_EQ(PlaceDatabaseFile(), mine);
    ASSERT_FALSE(QFile::exists(mine));

    {
        CTerrafind30 places;
        ASSERT_EQ(places.Init(), 1);
        EXPECT_EQ(places.GetRecordsetCount(QStringLiteral("SELECT ID FROM City")), 24334)
            << "first use copies the shipped database";
        QFile copy(mine);
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
        EXPECT_EQ(copy.read(20).at(18), 2) << "the copy is in WAL mode: readers never wait for a writer";
        std::uint32_t id = 0;
        ASSERT_EQ(places.AddCountry(QStringLiteral("Atlantis"), QStringLiteral("أطلانطس"), &id, 1, 2), S_OK);
    }
    EXPECT_NE(FileDigest(mine), before);
    EXPECT_EQ(FileDigest(shipped), before);

    CTerrafind30 again; // the copy is kept, with the user's country
    ASSERT_EQ(again.Init(), 1);
    EXPECT_EQ(again.GetRecordsetCount(QStringLiteral("SELECT ID FROM Country WHERE name = 'Atlantis'")), 1);
}

TEST_F(Connection, UnusablePerUserLocationFailsToOpen)
{
    qunsetenv("TERRAFIND_DB");
    const QString blocker = m_dir.filePath(QStringLiteral("file"));
    QFile(blocker).open(QIODevice::WriteOnly); // a file where the data directory should be
    qputenv("XDG_DATA_HOME", blocker.toLocal8Bit());
    CTerrafind30 places;
    EXPECT_EQ(places.Init(), 0);
    ExpectAllFail(places);
}

} // namespace
