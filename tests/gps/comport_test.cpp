// CComPort on real pseudo-terminals and real failing devices. The message
// texts are the ones the user is shown, word for word.
#include "gps/comport.h"
#include "pseudoterminal.h"
#include "recordingmessages.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <termios.h>

namespace {

const QString kNotFound = QStringLiteral(
    "Communication Port Not Found!\n\nThe communications port does not exist. Check your system configuration "
    "on the status of this Communication port");
const QString kInUse = QStringLiteral(
    "\n\n The communications port may be in use at this time. Please choose another port or close the "
    "application using the desired port.");

int OpenDescriptors()
{
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

enum class Device { Missing, Directory, NotTerminal, Terminal, BusyTerminal };

struct FailureRow {
    const char* what;
    Device device;
    std::uint32_t baud;
    int byteSize;
    int stopBits;
    QString message;
    bool beep;
};

class OpenFailure : public testing::TestWithParam<FailureRow> {};

TEST_P(OpenFailure, TellsTheUserOnce)
{
    const FailureRow& row = GetParam();
    CPseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsValid());
    QTemporaryDir directory;
    CComPort holder;
    QString path;
    switch (row.device) {
    case Device::Missing: path = directory.filePath(QStringLiteral("ttyGPS0")); break;
    case Device::Directory: path = directory.path(); break;
    case Device::NotTerminal: path = QStringLiteral("/dev/null"); break;
    case Device::Terminal: path = terminal.DevicePath(); break;
    case Device::BusyTerminal:
        path = terminal.DevicePath();
        ASSERT_EQ(holder.Open(path, 4800, kNoParity, 8, kOneStopBit, 1), 1);
        break;
    }

    CRecordingMessages messages;
    const int descriptors = OpenDescriptors();
    CComPort port;
    EXPECT_EQ(port.Open(path, row.baud, kNoParity, row.byteSize, row.stopBits, 0), 0);
    EXPECT_EQ(port.ErrorFlag(), 1);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, row.message);
    EXPECT_EQ(messages.shown[0].icon, QMessageBox::Critical);
    EXPECT_EQ(messages.shown[0].beepsBefore, row.beep ? 1 : 0);
    EXPECT_EQ(messages.beeps, row.beep ? 1 : 0);
    EXPECT_EQ(port.LastError(), row.message);

    char buffer[16];
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);
    port.Close();
    EXPECT_EQ(OpenDescriptors(), descriptors) << "Close must release what Open took";
}

INSTANTIATE_TEST_SUITE_P(ComPort, OpenFailure, testing::Values(
    FailureRow{"no such device", Device::Missing, 4800, 8, kOneStopBit, kNotFound, false},
    FailureRow{"in use by another port object", Device::BusyTerminal, 4800, 8, kOneStopBit,
               QStringLiteral("Access Denied!") + kInUse, false},
    // EISDIR is 21 on Linux.
    FailureRow{"a directory", Device::Directory, 4800, 8, kOneStopBit, QStringLiteral("Comm Open Error![21]") + kInUse, false},
    FailureRow{"not a terminal", Device::NotTerminal, 4800, 8, kOneStopBit, QStringLiteral("Could not get comm state"), true},
    FailureRow{"a rate no line has", Device::Terminal, 12345, 8, kOneStopBit,
               QStringLiteral("Could not set communication state"), true},
    FailureRow{"nine data bits", Device::Terminal, 4800, 9, kOneStopBit,
               QStringLiteral("Could not set communication state"), true},
    FailureRow{"one and a half stop bits", Device::Terminal, 4800, 8, kOneAndHalfStopBits,
               QStringLiteral("Could not set communication state"), true}),
    [](const testing::TestParamInfo<FailureRow>& info) { return "row" + std::to_string(info.index); });

TEST(ComPort, QuietFailsWithoutTellingTheUser)
{
    CRecordingMessages messages;
    CComPort port;
    EXPECT_EQ(port.Open(QStringLiteral("/dev/null"), 4800, kNoParity, 8, kOneStopBit, 1), 0);
    EXPECT_EQ(port.Open(QStringLiteral("/nonexistent/ttyS9"), 4800, kNoParity, 8, kOneStopBit, 1), 0);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(messages.beeps, 0);
    EXPECT_EQ(port.LastError(), kNotFound);
}

// A pseudo-terminal keeps the rate and the stop bits it is given but insists
// on 8 data bits without parity (it refuses 6 or 7 bits outright), so only
// 8 data bits are tried and parity codes are checked as accepted.
struct LineRow {
    int stopBits;
    tcflag_t stopFlag;
};

class LineSettings : public testing::TestWithParam<LineRow> {};

TEST_P(LineSettings, ReachTheTerminal)
{
    const LineRow& row = GetParam();
    CPseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsValid());
    CRecordingMessages messages;
    CComPort port;
    ASSERT_EQ(port.Open(terminal.DevicePath(), 4800, kNoParity, 8, row.stopBits, 0), 1);
    EXPECT_EQ(port.ErrorFlag(), 0);
    EXPECT_TRUE(messages.shown.isEmpty());

    termios line {};
    ASSERT_EQ(tcgetattr(terminal.DeviceFd(), &line), 0);
    EXPECT_EQ(cfgetispeed(&line), speed_t(B4800));
    EXPECT_EQ(cfgetospeed(&line), speed_t(B4800));
    EXPECT_EQ(line.c_cflag & CSTOPB, row.stopFlag);
    // Raw and unpaced: no flow control, no echo, no line editing, no CR
    // translation, reads return at once.
    EXPECT_EQ(line.c_cflag & CRTSCTS, tcflag_t(0));
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF | ICRNL | IGNCR | INLCR), tcflag_t(0));
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), tcflag_t(0));
    EXPECT_EQ(line.c_cc[VMIN], 0);
    EXPECT_EQ(line.c_cc[VTIME], 0);
}

INSTANTIATE_TEST_SUITE_P(ComPort, LineSettings, testing::Values(
    LineRow{kOneStopBit, 0},   // 4800 8N1, what the GPS dialog asks for
    LineRow{kTwoStopBits, CSTOPB}));

TEST(ComPort, EveryParityCodeIsTaken)
{
    CPseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsValid());
    CRecordingMessages messages;
    for (int parity : {kNoParity, kOddParity, kEvenParity, kMarkParity, kSpaceParity}) {
        CComPort port;
        EXPECT_EQ(port.Open(terminal.DevicePath(), 4800, parity, 8, kOneStopBit, 0), 1) << "parity " << parity;
    }
    EXPECT_TRUE(messages.shown.isEmpty());
    CComPort port;
    EXPECT_EQ(port.Open(terminal.DevicePath(), 4800, 5, 8, kOneStopBit, 0), 0) << "there is no parity code 5";
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Could not set communication state"));
}

TEST(ComPort, ReadsWhatArrivedWithoutWaiting)
{
    CPseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsValid());
    CComPort port;
    ASSERT_EQ(port.Open(terminal.DevicePath(), 4800, kNoParity, 8, kOneStopBit, 0), 1);
    char buffer[255];
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0); // nothing yet: back at once

    const std::string sentence = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
    ASSERT_TRUE(terminal.Write(sentence));
    std::string received;
    for (int attempt = 0; attempt < 200 && received.size() < sentence.size(); ++attempt) {
        const int count = port.Read(buffer, 10);
        EXPECT_LE(count, 10);
        received.append(buffer, static_cast<std::size_t>(count));
        if (count == 0)
            usleep(5000);
    }
    EXPECT_EQ(received, sentence) << "carriage returns must arrive as they were sent";

    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);
    // Closed means free for the next one.
    CComPort next;
    EXPECT_EQ(next.Open(terminal.DevicePath(), 4800, kNoParity, 8, kOneStopBit, 1), 1);
}

TEST(ComPort, ReadOnAPortNeverOpened)
{
    CComPort port;
    char buffer[8];
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);
    EXPECT_FALSE(port.IsOpen());
}

} // namespace
