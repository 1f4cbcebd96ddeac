// CComPort on real pseudo-terminals and failing devices; CComPortList over a
// fixed port list. Message texts are the ones the user is shown, word for word.
#include "gps/comport.h"
#include "gps/comportlist.h"
#include "gps/receiversearch.h"
#include "capture.h"
#include "pseudoterminal.h"
#include "recordingmessages.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <termios.h>

#include <atomic>
#include <thread>

namespace {

const QString kNotFound = QStringLiteral(
    "Communication Port Not Found!\n\nThe communications port does not exist. Check your system configuration "
    "on the status of this Communication port");
const QString kInUse = QStringLiteral(
    "\n\n The communications port may be in use at this time. Please choose another port or close the "
    "application using the desired port.");
const QString kSetState = QStringLiteral("Could not set communication state");

int OpenDescriptors()
{
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

TEST(ComPort, OpenFailuresAreToldOnceUnlessQuiet)
{
    CPseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsValid());
    QTemporaryDir directory;
    const QString tty = terminal.DevicePath();
    const struct { QString path; bool busy; std::uint32_t baud; int parity, byteSize, stopBits; QString message; bool beep; } rows[] = {
        {directory.filePath(QStringLiteral("ttyGPS0")), false, 4800, kNoParity, 8, kOneStopBit, kNotFound, false},
        {tty, true, 4800, kNoParity, 8, kOneStopBit, QStringLiteral("Access Denied!") + kInUse, false}, // held by another
        {directory.path(), false, 4800, kNoParity, 8, kOneStopBit, QStringLiteral("Comm Open Error![21]") + kInUse, false}, // EISDIR
        {QStringLiteral("/dev/null"), false, 4800, kNoParity, 8, kOneStopBit, QStringLiteral("Could not get comm state"), true},
        {tty, false, 12345, kNoParity, 8, kOneStopBit, kSetState, true}, {tty, false, 4800, kNoParity, 9, kOneStopBit, kSetState, true},
        {tty, false, 4800, 5, 8, kOneStopBit, kSetState, true}, {tty, false, 4800, kNoParity, 8, kOneAndHalfStopBits, kSetState, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(qPrintable(row.message));
        CComPort holder;
        if (row.busy)
            ASSERT_EQ(holder.Open(tty, 4800, kNoParity, 8, kOneStopBit, 1), 1);
        CRecordingMessages messages;
        const int descriptors = OpenDescriptors();
        CComPort port;
        EXPECT_EQ(port.Open(row.path, row.baud, row.parity, row.byteSize, row.stopBits, 0), 0);
        EXPECT_EQ(port.ErrorFlag(), 1);
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(std::tuple(messages.shown[0].text, messages.shown[0].icon, messages.shown[0].beepsBefore),
                  std::tuple(row.message, QMessageBox::Critical, row.beep ? 1 : 0));
        char buffer[16];
        EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);
        port.Close();
        EXPECT_EQ(OpenDescriptors(), descriptors) << "Close must release what Open took";

        EXPECT_EQ(port.Open(row.path, row.baud, row.parity, row.byteSize, row.stopBits, 1), 0);
        EXPECT_EQ(std::tuple(messages.shown.size(), messages.beeps, port.LastError()), std::tuple(1, row.beep ? 1 : 0, row.message));
    }
}

TEST(ComPort, OpensRawAndReadsWithoutWaiting)
{
    CPseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsValid());
    // Start from a cooked line, so that every raw setting must come from Open.
    termios line {};
    ASSERT_EQ(tcgetattr(terminal.DeviceFd(), &line), 0);
    line.c_iflag |= IXON | ICRNL;
    line.c_lflag |= ICANON | ECHO | ISIG;
    line.c_cc[VMIN] = 1;
    ASSERT_EQ(tcsetattr(terminal.DeviceFd(), TCSANOW, &line), 0);
    CComPort port;
    ASSERT_EQ(port.Open(terminal.DevicePath(), 4800, kNoParity, 8, kOneStopBit, 1), 1) << qPrintable(port.LastError());
    EXPECT_EQ(port.ErrorFlag(), 0);
    ASSERT_EQ(tcgetattr(terminal.DeviceFd(), &line), 0);
    EXPECT_EQ(std::tuple(cfgetispeed(&line), cfgetospeed(&line)), std::tuple(speed_t(B4800), speed_t(B4800)));
    EXPECT_EQ(std::tuple(line.c_cflag & (CSTOPB | CRTSCTS), line.c_iflag & (IXON | IXOFF | ICRNL | IGNCR | INLCR),
                         line.c_lflag & (ICANON | ECHO | ISIG), line.c_cc[VMIN] + line.c_cc[VTIME]), std::tuple(0u, 0u, 0u, 0));
    char buffer[16];
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0); // nothing yet: back at once
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    // Closed means free for the next one. A pseudo-terminal keeps the stop
    // bits but insists on 8 data bits without parity, so parity codes can
    // only be checked as accepted.
    for (const int parity : {kNoParity, kOddParity, kEvenParity, kMarkParity, kSpaceParity}) {
        EXPECT_EQ(port.Open(terminal.DevicePath(), 4800, parity, 8, kTwoStopBits, 1), 1) << parity;
        ASSERT_EQ(tcgetattr(terminal.DeviceFd(), &line), 0);
        EXPECT_EQ(line.c_cflag & CSTOPB, tcflag_t(CSTOPB));
    }
}

struct CFixedPorts : CSerialPortSource {
    explicit CFixedPorts(QList<tagSerialPort> ports) : ports(std::move(ports)) {}
    QList<tagSerialPort> Ports() const override { return ports; }
    QList<tagSerialPort> ports;
};

// The receiver's port is the first with "GPS" (case matters) in its
// friendly name, made from what udev reports for common receivers.
TEST(ComPortList, FindsTheFirstPortNamedGPS)
{
    const CFixedPorts source({
        {"/dev/ttyUSB0", "", "gps receiver"}, {"", "", "GPS without a device is skipped"},
        {"/dev/ttyACM0", "", "u-blox 7 - GPS/GNSS Receiver"}, {"/dev/ttyS1", "", "GPS on COM2:"}});
    CComPortList::InstallSource(&source); // lists made without a source use it
    CComPortList list;
    list.Enumerate();
    list.Enumerate(); // rebuilds, never appends
    CComPortList::InstallSource(nullptr);
    EXPECT_EQ(std::tuple(list.GetCount(), list.FindGPSPort()), std::tuple(3u, QStringLiteral("/dev/ttyACM0")));
    const struct { const char *description, *manufacturer, *friendly; } names[] = {
        {"USB-Serial Controller", "Prolific Technology Inc.", "USB-Serial Controller (Prolific Technology Inc.)"},
        {"Garmin GPS 18 USB", "Garmin", "Garmin GPS 18 USB"}, {"", "FTDI", "FTDI"}, {"  ttyS0 ", "", "ttyS0"}};
    for (const auto& row : names)
        EXPECT_EQ(CSystemSerialPorts::FriendlyName(QString::fromUtf8(row.description), QString::fromUtf8(row.manufacturer)),
                  QString::fromUtf8(row.friendly));
}

// Receivers whose name does not say GPS, or that talk faster than 4800
// baud, are found by listening: USB ports first, then the rest, each at
// 4800, 9600 and 38400 baud.
TEST(ReceiverSearch, PlansUsbPortsFirstAtEverySpeed)
{
    const QList<tagSerialPort> ports = {{"/dev/ttyS0", "/sys/bus/platform/drivers/serial8250", "16550A"},
                                        {"/dev/ttyACM0", "/sys/bus/usb/drivers/cdc_acm", "u-blox GNSS receiver"},
                                        {"/dev/rfcomm0", "", "Bluetooth GPS"}};
    const auto plan = [&](const QString& first) {
        QStringList trials;
        for (const tagPortTrial& trial : CReceiverSearch::Plan(first, ports))
            trials.append(trial.port.section(u'/', -1) + u'@' + QString::number(trial.baud));
        return trials.join(u' ');
    };
    EXPECT_EQ(plan({}), "ttyACM0@4800 ttyACM0@9600 ttyACM0@38400 ttyS0@4800 ttyS0@9600 ttyS0@38400 "
                        "rfcomm0@4800 rfcomm0@9600 rfcomm0@38400");
    EXPECT_EQ(plan("/dev/rfcomm0"), "rfcomm0@4800 rfcomm0@9600 rfcomm0@38400 ttyACM0@4800 ttyACM0@9600 "
                                    "ttyACM0@38400 ttyS0@4800 ttyS0@9600 ttyS0@38400");
}

// A pseudo-terminal carries bytes at any speed; its "receiver" here reads
// the speed the port was set to and sends the capture only at its own,
// and at any other bytes that never make a sentence with a right checksum,
// as a line read at a wrong speed gives.
TEST(ReceiverSearch, FindsTheReceiverOnAnyPortAtItsSpeed)
{
    const char kGarbage[] = "\x8f\xe3$\xf9\x1c*\x07\r\n$GP\xe7GA,\x81*4A\r\n\xc6~$GPGSV,1,1,0*00\r\n";
    const struct { const char* capture; speed_t speed; std::uint32_t baud; } rows[] = {
        {"ublox-lea-5h.log", B4800, 4800}, {"bu353s4.log", B9600, 9600}, {"mt3339.log", B38400, 38400}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.capture);
        CPseudoTerminal terminal;
        ASSERT_TRUE(terminal.IsValid());
        termios line {}; // a speed never tried, so that nothing is sent before the port is opened
        ASSERT_TRUE(::tcgetattr(terminal.DeviceFd(), &line) == 0 && ::cfsetspeed(&line, B50) == 0
                    && ::tcsetattr(terminal.DeviceFd(), TCSANOW, &line) == 0);
        const CFixedPorts source({{"/dev/terrafind-no-such-port", "", "16550A"}, {terminal.DevicePath(), "", "Receiver"}});
        CComPortList::InstallSource(&source);
        std::atomic<bool> done = false;
        std::thread receiver([&] {
            for (bool sent = false; !done && !sent; std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
                termios line {};
                const bool right = ::tcgetattr(terminal.DeviceFd(), &line) == 0 && ::cfgetispeed(&line) == row.speed;
                sent = right && terminal.Write(ReadCapture(row.capture));
                if (!right)
                    terminal.Write(kGarbage);
            }
        });
        tagGPSFix fix;
        tagGPSSource from;
        QString message;
        const int result = ReadGPSFix(QString(), 20000, &fix, nullptr, nullptr, &message, &from);
        done = true;
        receiver.join();
        CComPortList::InstallSource(nullptr);
        ASSERT_EQ(result, 1) << qPrintable(message);
        EXPECT_EQ(std::tuple(from.device, from.baud), std::tuple(terminal.DevicePath(), row.baud));
        EXPECT_EQ(Fields(fix), Fields(Capture(row.capture).Fix(fix.sGmtTenths)));
    }
}

} // namespace
