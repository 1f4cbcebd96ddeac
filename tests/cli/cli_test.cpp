// The host program, run as a user runs it.
#include "placedb.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

struct CliRun {
    int exitCode;
    QString out, err;
};

class Cli : public ::testing::Test {
protected:
    CliRun Terrafind(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("TERRAFIND_DB"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path());
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TERRAFIND_CLI), arguments);
        process.waitForFinished(60000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }

    QTemporaryDir m_home;
};

TEST_F(Cli, ExitCodesAndUsage)
{
    const struct {
        QStringList arguments;
        int exitCode;
        const char* inOutput; // expected in stdout or stderr
    } rows[] = {
        {{"--help"}, 0, "Usage: terrafind"},
        {{}, 2, "no command given"},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"--frob", "countries"}, 2, "unknown option '--frob'"},
        {{"cities"}, 2, "usage: terrafind cities COUNTRY"},
        {{"cities", "abc"}, 2, "COUNTRY must be an integer"},
        {{"add-country", "X", "Y", "1", "9"}, 2, "METHOD must be an integer from 0 to 4"},
        {{"city", "999999"}, 1, "status: 0x80004005"},
        {{"exec", "not sql"}, 1, "status: 0x80ff0001"},
        {{"--db", "/nonexistent/KVCities", "countries"}, 1, "cannot open /nonexistent/KVCities"},
        {{"countries"}, 0, "status: 0x00000000"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(qPrintable(row.arguments.join(QLatin1Char(' '))));
        const CliRun run = Terrafind(row.arguments);
        EXPECT_EQ(run.exitCode, row.exitCode);
        EXPECT_TRUE((run.out + run.err).contains(QString::fromUtf8(row.inOutput))) << qPrintable(run.out + run.err);
    }
}

TEST_F(Cli, HelpListsEveryCommandThatRuns)
{
    const CliRun help = Terrafind({QStringLiteral("--help")});
    for (const char* command : {"where", "countries", "cities", "country", "city", "at", "regions", "add-country",
                                "add-city", "modify-country", "modify-city", "exec", "count"}) {
        SCOPED_TRACE(command);
        EXPECT_TRUE(help.out.contains(QStringLiteral("  %1 ").arg(QLatin1String(command))));
        EXPECT_NE(Terrafind({QString::fromLatin1(command)}).err, QStringLiteral("terrafind: unknown command"));
    }
}

TEST_F(Cli, EditsGoToTheUserCopyNeverTheShippedDatabase)
{
    const QString shipped = QStringLiteral(TERRAFIND_SOURCE_DIR "/data/KVCities");
    const QString before = FileDigest(shipped);

    CliRun run = Terrafind({QStringLiteral("--json"), QStringLiteral("add-country"), QStringLiteral("Atlantis"),
                         QStringLiteral("أطلانطس"), QStringLiteral("1"), QStringLiteral("2")});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    const qint64 country = QJsonDocument::fromJson(run.out.toUtf8()).object().value(QStringLiteral("id")).toInteger();
    ASSERT_GT(country, 0);

    run = Terrafind({QStringLiteral("--json"), QStringLiteral("add-city"), QString::number(country),
                     QStringLiteral("N'Poseidonia"), QStringLiteral("بوسيدونيا"), QStringLiteral("0"),
                     QStringLiteral("-30"), QStringLiteral("-10"), QStringLiteral("-5"), QStringLiteral("-3.75")});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    const qint64 city = QJsonDocument::fromJson(run.out.toUtf8()).object().value(QStringLiteral("id")).toInteger();

    run = Terrafind({QStringLiteral("--json"), QStringLiteral("city"), QString::number(city)});
    ASSERT_EQ(run.exitCode, 0);
    const QJsonObject read = QJsonDocument::fromJson(run.out.toUtf8()).object().value(QStringLiteral("city")).toObject();
    EXPECT_EQ(read.value(QStringLiteral("name")).toString(), QStringLiteral("N'Poseidonia"));
    EXPECT_EQ(read.value(QStringLiteral("countryName")).toString(), QStringLiteral("Atlantis"));
    EXPECT_EQ(read.value(QStringLiteral("longitudeMinute")).toInt(), 30);
    EXPECT_EQ(read.value(QStringLiteral("east")).toInt(), 0);
    EXPECT_EQ(read.value(QStringLiteral("north")).toInt(), 0);
    EXPECT_EQ(read.value(QStringLiteral("gmt")).toInt(), -37);

    EXPECT_EQ(FileDigest(shipped), before);
    EXPECT_NE(FileDigest(m_home.filePath(QStringLiteral("terrafind/KVCities"))), before);
    EXPECT_EQ(Terrafind({QStringLiteral("where")}).out.trimmed(), m_home.filePath(QStringLiteral("terrafind/KVCities")));
}

} // namespace
