// terrafind gps end to end: the host program reads a capture replayed into
// a pseudo-terminal and prints the first fix.
#include "capture.h"
#include "pseudoterminal.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct tagRun {
    int exitCode = -1;
    QJsonObject json;
    QString errors;
};

// Runs terrafind with arguments and an environment TZ, replaying bytes
// into terminal once it has started.
tagRun RunTerrafind(const QStringList& arguments, const QString& timeZone = QStringLiteral("UTC0"),
                    CPseudoTerminal* terminal = nullptr, const std::string& bytes = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TZ"), timeZone);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TERRAFIND_BINARY_DIR "/cli/terrafind"), arguments);
    tagRun run;
    if (!process.waitForStarted(10000))
        return run;
    if (terminal)
        EXPECT_TRUE(terminal->Write(bytes));
    if (!process.waitForFinished(30000))
        process.kill();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.json = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    run.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

struct CommandRow {
    const char* capture;
    const char* timeZone; // POSIX TZ: the sign is west-positive
    // The capture's first good GPGGA position, worked out by hand.
    double latitude, longitude;
    int latDegree, latMinute, north, lonDegree, lonMinute, east;
    int gmtTenths;
};

class GpsCommand : public testing::TestWithParam<CommandRow> {};

TEST_P(GpsCommand, PrintsTheFirstFix)
{
    const CommandRow& row = GetParam();
    CPseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsValid());
    const tagRun run = RunTerrafind({QStringLiteral("--json"), QStringLiteral("gps"), QStringLiteral("--port"),
                                     terminal.DevicePath(), QStringLiteral("--timeout"), QStringLiteral("20")},
                                    QString::fromLatin1(row.timeZone), &terminal,
                                    ReadCapture(QString::fromLatin1(row.capture)));
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.errors);
    EXPECT_EQ(run.json.value(QStringLiteral("port")).toString(), terminal.DevicePath());
    EXPECT_NEAR(run.json.value(QStringLiteral("latitude")).toDouble(), row.latitude, 1e-6);
    EXPECT_NEAR(run.json.value(QStringLiteral("longitude")).toDouble(), row.longitude, 1e-6);
    const QJsonObject fix = run.json.value(QStringLiteral("fix")).toObject();
    EXPECT_EQ(fix.value(QStringLiteral("wLatDegree")).toInt(), row.latDegree);
    EXPECT_EQ(fix.value(QStringLiteral("wLatMinute")).toInt(), row.latMinute);
    EXPECT_EQ(fix.value(QStringLiteral("wNorth")).toInt(), row.north);
    EXPECT_EQ(fix.value(QStringLiteral("wLonDegree")).toInt(), row.lonDegree);
    EXPECT_EQ(fix.value(QStringLiteral("wLonMinute")).toInt(), row.lonMinute);
    EXPECT_EQ(fix.value(QStringLiteral("wEast")).toInt(), row.east);
    EXPECT_EQ(fix.value(QStringLiteral("sGmtTenths")).toInt(), row.gmtTenths);
}

INSTANTIATE_TEST_SUITE_P(GPS, GpsCommand, testing::Values(
    // 5155.55442 N 00434.65873 E, after a stretch without a fix.
    CommandRow{"ublox-lea-5h.log", "<+03>-3", 51 + 55.55442 / 60, 4 + 34.65873 / 60, 51, 55, 1, 4, 34, 1, 30},
    // 3747.0873 S 17518.8938 E
    CommandRow{"bu353s4.log", "<+0530>-5:30", -(37 + 47.0873 / 60), 175 + 18.8938 / 60, 37, 47, 0, 175, 18, 1, 55},
    // 3854.5087 N 07726.4523 W
    CommandRow{"GPSmap-76S.log", "<-05>5", 38 + 54.5087 / 60, -(77 + 26.4523 / 60), 38, 54, 1, 77, 26, 0, -50},
    // 3728.0549 N 12213.8639 W, reported with fix quality 0
    CommandRow{"eXplorist110.log", "<-0330>3:30", 37 + 28.0549 / 60, -(122 + 13.8639 / 60), 37, 28, 1, 122, 13, 0, -35}),
    [](const testing::TestParamInfo<CommandRow>& info) { return "row" + std::to_string(info.index); });

TEST(GpsCommandFailure, NoPositionInTime)
{
    CPseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsValid());
    // Only GPRMC: valid, but never a GPGGA position.
    const tagRun run = RunTerrafind({QStringLiteral("gps"), QStringLiteral("--port"), terminal.DevicePath(),
                                     QStringLiteral("--timeout"), QStringLiteral("1")},
                                    QStringLiteral("UTC0"), &terminal,
                                    "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QLatin1String("No position from the GPS receiver in time (1 sentences read)")))
        << qPrintable(run.errors);
}

TEST(GpsCommandFailure, MissingPort)
{
    const tagRun run = RunTerrafind({QStringLiteral("gps"), QStringLiteral("--port"),
                                     QStringLiteral("/dev/terrafind-no-such-port")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QLatin1String("Communication Port Not Found!"))) << qPrintable(run.errors);
}

TEST(GpsCommandFailure, UsageErrors)
{
    EXPECT_EQ(RunTerrafind({QStringLiteral("gps"), QStringLiteral("--port")}).exitCode, 2);
    EXPECT_EQ(RunTerrafind({QStringLiteral("gps"), QStringLiteral("--timeout"), QStringLiteral("soon")}).exitCode, 2);
    EXPECT_EQ(RunTerrafind({QStringLiteral("gps"), QStringLiteral("--speed"), QStringLiteral("4800")}).exitCode, 2);
}

} // namespace
