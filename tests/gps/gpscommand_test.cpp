// terrafind gps end to end: the host program reads what is written into a
// pseudo-terminal and prints the first fix, or fails with its exit code.
#include "capture.h"
#include "pseudoterminal.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

TEST(GpsCommand, PrintsTheFirstFixOrFails)
{
    const std::string kOnlyRMC = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";
    const struct {
        const char* arguments; // TTY stands for the terminal's device
        std::string bytes;
        const char* timeZone;  // POSIX TZ: the sign is west-positive
        int exitCode;          // 1 time-out or port failure, 2 usage
        const char* error;
        // The capture's first good GPGGA position, worked out by hand.
        double latitude, longitude;
        int fix[7]; // in the order of kFields
    } rows[] = {
        {"--json gps --port TTY --timeout 20", ReadCapture(QStringLiteral("ublox-lea-5h.log")), "<+03>-3", 0, "",
         51 + 55.55442 / 60, 4 + 34.65873 / 60, {51, 55, 1, 4, 34, 1, 30}},
        {"--json gps --port TTY --timeout 20", ReadCapture(QStringLiteral("bu353s4.log")), "<+0530>-5:30", 0, "",
         -(37 + 47.0873 / 60), 175 + 18.8938 / 60, {37, 47, 0, 175, 18, 1, 55}},
        {"--json gps --port TTY --timeout 20", ReadCapture(QStringLiteral("GPSmap-76S.log")), "<-05>5", 0, "",
         38 + 54.5087 / 60, -(77 + 26.4523 / 60), {38, 54, 1, 77, 26, 0, -50}},
        // Reported with fix quality 0.
        {"--json gps --port TTY --timeout 20", ReadCapture(QStringLiteral("eXplorist110.log")), "<-0330>3:30", 0, "",
         37 + 28.0549 / 60, -(122 + 13.8639 / 60), {37, 28, 1, 122, 13, 0, -35}},
        // A valid GPRMC is never a GPGGA position.
        {"gps --port TTY --timeout 1", kOnlyRMC, "UTC0", 1, "No position from the GPS receiver in time (1 sentences read)"},
        {"gps --port /dev/terrafind-no-such-port", "", "UTC0", 1, "Communication Port Not Found!"},
        {"gps --port", "", "UTC0", 2, "usage"},
        {"gps --timeout soon", "", "UTC0", 2, "S must be an integer"},
        {"gps --speed 4800", "", "UTC0", 2, "usage"},
    };
    const char* const kFields[] = {"wLatDegree", "wLatMinute", "wNorth", "wLonDegree", "wLonMinute", "wEast", "sGmtTenths"};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        CPseudoTerminal terminal;
        ASSERT_TRUE(terminal.IsValid());
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TZ"), QString::fromLatin1(row.timeZone));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TERRAFIND_BINARY_DIR "/cli/terrafind"),
                      QString::fromLatin1(row.arguments).replace(QLatin1String("TTY"), terminal.DevicePath()).split(u' '));
        ASSERT_TRUE(process.waitForStarted(10000));
        EXPECT_TRUE(terminal.Write(row.bytes));
        ASSERT_TRUE(process.waitForFinished(30000));
        const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
        ASSERT_EQ(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, row.exitCode) << qPrintable(errors);
        EXPECT_TRUE(errors.contains(QLatin1String(row.error))) << qPrintable(errors);
        if (row.exitCode != 0)
            continue;
        const QJsonObject json = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
        EXPECT_EQ(json.value(QStringLiteral("port")).toString(), terminal.DevicePath());
        EXPECT_NEAR(json.value(QStringLiteral("latitude")).toDouble(), row.latitude, 1e-6);
        EXPECT_NEAR(json.value(QStringLiteral("longitude")).toDouble(), row.longitude, 1e-6);
        const QJsonObject fix = json.value(QStringLiteral("fix")).toObject();
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(fix.value(QLatin1String(kFields[i])).toInt(), row.fix[i]) << kFields[i];
    }
}

} // namespace
