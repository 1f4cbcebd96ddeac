// Reading through gpsd: a gpsd of the test's own that says what each row
// scripts (broken reports, no fix, a closed connection, silence), and the
// real gpsd that gpsfake starts, replaying a capture on a pseudo-terminal,
// read by the library, the reading dialog and the host program.
#include "capture.h"
#include "recordingmessages.h"

#include "gps/gpsdclient.h"
#include "resources/controlids.h"
#include "ui/dialogtemplate.h"
#include "ui/gpsreaddlg.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

using namespace Qt::StringLiterals;

namespace {

// A gpsd that accepts one client on a free loopback port, waits for its
// WATCH, sends lines, and then closes or stays silent until it is destroyed.
class CScriptedGpsd {
public:
    CScriptedGpsd(QByteArray lines, bool close) : m_listener(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), size) != 0 || ::listen(m_listener, 1) != 0
            || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this, lines, close] {
            const int client = ::accept(m_listener, nullptr, nullptr);
            char watch[256];
            if (client < 0 || ::read(client, watch, sizeof watch) <= 0)
                return;
            ::write(client, lines.constData(), size_t(lines.size()));
            if (!close)
                ::read(client, watch, sizeof watch); // until the client goes
            ::close(client);
        });
    }
    ~CScriptedGpsd()
    {
        ::shutdown(m_listener, SHUT_RDWR);
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_listener);
    }
    QString Address() const { return u"127.0.0.1:%1"_s.arg(m_port); }

private:
    int m_listener;
    quint16 m_port = 0;
    std::thread m_thread;
};

constexpr char kVersion[] = R"({"class":"VERSION","release":"3.22","proto_major":3,"proto_minor":14})" "\n";
constexpr char kDevices[] = R"({"class":"DEVICES","devices":[{"class":"DEVICE","path":"/dev/ttyACM0"}]})" "\n";

TEST(Gpsd, EveryAnswerEndsClearly)
{
    const struct {
        const char* name;
        QByteArray lines;
        bool close;
        int result;
        const char* message; // its start
    } rows[] = {
        {"a fix", QByteArray(kVersion) + kDevices + R"({"class":"TPV","device":"/dev/ttyACM0","mode":3})" "\n"
                      R"({"class":"TPV","device":"/dev/ttyACM0","mode":2,"lat":21.4225,"lon":-39.8262})" "\n",
         false, 1, ""},
        {"only mode 1", QByteArray(kVersion) + R"({"class":"TPV","mode":1,"lat":21.4,"lon":39.8})" "\n", false, 0,
         "No position from gpsd at "},
        {"broken JSON", "{\"class\":\"TPV\",\"mode\":3,\"lat\":\n\x01\xff garbage\n{\"mode\":3,\"lat\":1,\"lon\":2}\n[1,2]\n",
         false, 0, "gpsd at 127.0.0.1"},
        {"a closed connection", QByteArray(kVersion), true, 0, "gpsd at 127.0.0.1"},
        {"silence", QByteArray(), false, 0, "gpsd at 127.0.0.1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const CScriptedGpsd gpsd(row.lines, row.close);
        tagGPSFix fix;
        double latitude = 0, longitude = 0;
        QString message;
        tagGPSSource source;
        EXPECT_EQ(ReadGpsdFix(gpsd.Address(), 1000, &fix, &latitude, &longitude, &message, &source), row.result);
        EXPECT_EQ(message.left(int(qstrlen(row.message))), QLatin1String(row.message)) << qPrintable(message);
        if (row.result) {
            EXPECT_EQ(std::tuple(latitude, longitude), std::tuple(21.4225, -39.8262));
            EXPECT_EQ(std::tuple(source.device, source.gpsd), std::tuple(u"/dev/ttyACM0"_s, gpsd.Address()));
        }
    }
    // Where none listens, the refusal comes at once.
    QTcpServer unused;
    ASSERT_TRUE(unused.listen(QHostAddress::LocalHost));
    const QString nobody = u"127.0.0.1:%1"_s.arg(unused.serverPort());
    unused.close();
    QElapsedTimer clock;
    clock.start();
    QString message;
    EXPECT_EQ(ReadGpsdFix(nobody, 5000, nullptr, nullptr, nullptr, &message, nullptr), 0);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(message, u"no gpsd at %1: Connection refused"_s.arg(nobody));
    // Addresses as hosts write them, and what is none.
    const std::tuple<const char*, bool, const char*, quint16> addresses[] = {
        {"", true, "localhost", 2947}, {":3000", true, "localhost", 3000}, {"10.0.0.2:2948", true, "10.0.0.2", 2948},
        {"[::1]:2950", true, "::1", 2950}, {"::1", false, "", 0}, {"host:", false, "", 0}, {"host:70000", false, "", 0}};
    for (const auto& [text, ok, host, port] : addresses) {
        QString parsedHost;
        quint16 parsedPort = 0;
        EXPECT_EQ(CGpsdClient::ParseAddress(QString::fromUtf8(text), &parsedHost, &parsedPort), ok) << text;
        if (ok)
            EXPECT_EQ(std::tuple(parsedHost, parsedPort), std::tuple(QString::fromUtf8(host), port)) << text;
    }
}

// gpsd itself, as gpsfake (Debian gpsd-clients) runs it: replaying a capture
// on a pseudo-terminal, on a free port, until the test ends.
class CFakeGpsd {
public:
    explicit CFakeGpsd(const char* capture)
    {
        QTcpServer probe; // a free port
        if (!probe.listen(QHostAddress::LocalHost))
            return;
        m_port = probe.serverPort();
        probe.close();
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(u"gpsfake"_s, {u"-q"_s, u"-c"_s, u"0.02"_s, u"-P"_s, QString::number(m_port),
                                       QStringLiteral(TERRAFIND_SOURCE_DIR "/tests/gps/data/") + QLatin1String(capture)});
        // Ready when its gpsd takes a connection.
        m_process.waitForStarted();
        for (int i = 0; i < 100 && m_process.state() == QProcess::Running; ++i) {
            if (CGpsdClient::Answers(Address(), 100))
                return;
            QThread::msleep(50);
        }
    }
    ~CFakeGpsd()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    QString Address() const { return u"127.0.0.1:%1"_s.arg(m_port); }

private:
    QProcess m_process;
    quint16 m_port = 0;
};

TEST(Gpsd, ReplayedCaptureGivesItsFirstFix)
{
    if (QStandardPaths::findExecutable(u"gpsfake"_s).isEmpty())
        GTEST_SKIP() << "gpsfake (Debian gpsd-clients) is not installed";
    const tagCapture& capture = Capture("gr8013-w.log"); // a receiver of several satellite systems
    const auto expectFix = [&](double latitude, double longitude) {
        EXPECT_NEAR(latitude, capture.Latitude(), 1e-4);
        EXPECT_NEAR(longitude, capture.Longitude(), 1e-4);
    };
    // gpsfake replays the capture over and over: each reader gets the first fix it reports.
    const CFakeGpsd gpsd(capture.file);
    double latitude = 0, longitude = 0;
    QString message;
    ASSERT_EQ(ReadGpsdFix(gpsd.Address(), 20000, nullptr, &latitude, &longitude, &message, nullptr), 1)
        << qPrintable(message);
    expectFix(latitude, longitude);

    QProcess program;
    program.start(QStringLiteral(TERRAFIND_BINARY_DIR "/cli/terrafind"),
                  {u"--json"_s, u"gps"_s, u"--gpsd"_s, gpsd.Address(), u"--timeout"_s, u"20"_s});
    ASSERT_TRUE(program.waitForFinished(30000));
    const QByteArray out = program.readAllStandardOutput();
    EXPECT_EQ(program.exitCode(), 0) << out.constData();
    EXPECT_TRUE(out.contains(R"("source": "gpsd")")) << out.constData();

    qputenv("TERRAFIND_GPSD", gpsd.Address().toUtf8());
    CRecordingMessages messages;
    CGPSReadDlg dialog(nullptr, QString(), 0);
    QString status;
    messages.onShow = [&] { status = FindControl<QLabel>(&dialog, Controls::GPSRead::kStatus)->text(); };
    const int result = dialog.DoModal();
    qunsetenv("TERRAFIND_GPSD");
    ASSERT_EQ(result, CGPSReadDlg::kOK);
    expectFix(dialog.Latitude(), dialog.Longitude());
    EXPECT_TRUE(status.startsWith(u"Reading from gpsd (/dev/pts/"_s) || status.startsWith(u"Number of satellites"_s))
        << qPrintable(status);
}

} // namespace
