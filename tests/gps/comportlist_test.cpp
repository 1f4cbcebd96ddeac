// CComPortList over fixed port lists, and the system's own list.
#include "gps/comportlist.h"

#include <gtest/gtest.h>

namespace {

class CFixedPorts : public CSerialPortSource {
public:
    explicit CFixedPorts(QList<tagSerialPort> ports) : m_ports(std::move(ports)) {}
    QList<tagSerialPort> Ports() const override { return m_ports; }

private:
    QList<tagSerialPort> m_ports;
};

tagSerialPort Port(const char* name, const char* friendly, const char* key = "")
{
    return {QString::fromUtf8(name), QString::fromUtf8(key), QString::fromUtf8(friendly)};
}

TEST(ComPortList, EntriesInSourceOrder)
{
    const CFixedPorts source({
        Port("/dev/ttyS0", "16550A UART", "/sys/bus/platform/drivers/serial8250"),
        Port("", "a port with no device is skipped"),
        Port("/dev/ttyACM0", "u-blox 7 - GPS/GNSS Receiver", "/sys/bus/usb/drivers/cdc_acm"),
        Port("COM2:", "GPS on COM2:", "Drivers\\BuiltIn\\Serial2"),
    });
    CComPortList list(&source);
    EXPECT_EQ(list.GetCount(), 0u) << "nothing before Enumerate";
    list.Enumerate();
    ASSERT_EQ(list.GetCount(), 3u);
    EXPECT_EQ(list.GetPortName(1), QStringLiteral("/dev/ttyACM0"));
    EXPECT_EQ(list.GetFriendlyName(1), QStringLiteral("u-blox 7 - GPS/GNSS Receiver"));
    EXPECT_EQ(list.GetDriverKey(1), QStringLiteral("/sys/bus/usb/drivers/cdc_acm"));
    EXPECT_EQ(list.GetDriverKeyLeaf(1), QStringLiteral("cdc_acm"));
    EXPECT_EQ(list.GetPortNumber(1), 0); // device paths carry no number
    EXPECT_EQ(list.GetPortNumber(2), 2);
    EXPECT_EQ(list.GetDriverKeyLeaf(2), QStringLiteral("Serial2"));

    // Past the end: 0 and empty.
    EXPECT_EQ(list.GetPortNumber(3), 0);
    EXPECT_TRUE(list.GetPortName(3).isEmpty());
    EXPECT_TRUE(list.GetDriverKey(99).isEmpty());
    EXPECT_TRUE(list.GetFriendlyName(3).isEmpty());
    EXPECT_TRUE(list.GetDriverKeyLeaf(3).isEmpty());

    list.Enumerate(); // rebuilds, never appends
    EXPECT_EQ(list.GetCount(), 3u);
}

TEST(ComPortList, EmptySource)
{
    const CFixedPorts source({});
    CComPortList list(&source);
    list.Enumerate();
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.GetPortNumber(0), 0);
    EXPECT_TRUE(list.GetPortName(0).isEmpty());
    EXPECT_TRUE(list.FindGPSPort().isEmpty());
}

struct GPSRow {
    const char* what;
    QList<tagSerialPort> ports;
    const char* found;
};

class FindGPSPort : public testing::TestWithParam<GPSRow> {};

TEST_P(FindGPSPort, FirstFriendlyNameHoldingGPS)
{
    const CFixedPorts source(GetParam().ports);
    CComPortList list(&source);
    list.Enumerate();
    EXPECT_EQ(list.FindGPSPort(), QString::fromUtf8(GetParam().found));
}

INSTANTIATE_TEST_SUITE_P(ComPortList, FindGPSPort, testing::Values(
    GPSRow{"the only GPS", {Port("/dev/ttyS0", "UART"), Port("/dev/ttyUSB0", "BU-353 GPS")}, "/dev/ttyUSB0"},
    GPSRow{"the first of two", {Port("/dev/ttyUSB1", "GPS mouse"), Port("/dev/ttyUSB0", "BU-353 GPS")}, "/dev/ttyUSB1"},
    GPSRow{"anywhere in the name", {Port("/dev/ttyACM0", "u-blox 7 - GPS/GNSS Receiver")}, "/dev/ttyACM0"},
    GPSRow{"lower case is not found", {Port("/dev/ttyUSB0", "gps receiver"), Port("/dev/ttyUSB1", "Gps")}, ""},
    GPSRow{"no friendly name", {Port("/dev/ttyS0", "")}, ""}),
    [](const testing::TestParamInfo<GPSRow>& info) { return "row" + std::to_string(info.index); });

struct NumberRow {
    const char* name;
    int number;
};

class PortNumber : public testing::TestWithParam<NumberRow> {};

TEST_P(PortNumber, OnlyExactCOMnColon)
{
    EXPECT_EQ(CComPortList::PortNumberFromName(QString::fromUtf8(GetParam().name)), GetParam().number)
        << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(ComPortList, PortNumber, testing::Values(
    NumberRow{"COM1:", 1}, NumberRow{"COM2:", 2}, NumberRow{"COM255:", 255},
    NumberRow{"COM256:", 0}, NumberRow{"COM0:", 0}, NumberRow{"COM01:", 0},
    NumberRow{"COM1", 0}, NumberRow{"COM", 0}, NumberRow{"com1:", 0}, NumberRow{"COM-1:", 0},
    NumberRow{"COM1::", 0}, NumberRow{"/dev/ttyS0", 0}, NumberRow{"", 0}));

struct FriendlyRow {
    const char* description;
    const char* manufacturer;
    const char* friendly;
};

class FriendlyName : public testing::TestWithParam<FriendlyRow> {};

// Descriptions and manufacturers as udev reports them for common receivers.
TEST_P(FriendlyName, DescriptionWithManufacturerWhereItHelps)
{
    const FriendlyRow& row = GetParam();
    EXPECT_EQ(CSystemSerialPorts::FriendlyName(QString::fromUtf8(row.description), QString::fromUtf8(row.manufacturer)),
              QString::fromUtf8(row.friendly));
}

INSTANTIATE_TEST_SUITE_P(ComPortList, FriendlyName, testing::Values(
    FriendlyRow{"u-blox 7 - GPS/GNSS Receiver", "u-blox AG - www.u-blox.com", "u-blox 7 - GPS/GNSS Receiver (u-blox AG - www.u-blox.com)"},
    FriendlyRow{"USB-Serial Controller", "Prolific Technology Inc.", "USB-Serial Controller (Prolific Technology Inc.)"},
    FriendlyRow{"Garmin GPS 18 USB", "Garmin", "Garmin GPS 18 USB"},
    FriendlyRow{"", "FTDI", "FTDI"},
    FriendlyRow{"  ttyS0 ", "", "ttyS0"},
    FriendlyRow{"", "", ""}));

TEST(ComPortList, InstalledSourceServesListsMadeWithoutOne)
{
    const CFixedPorts source({Port("/dev/ttyUSB3", "Holux GPS")});
    CComPortList::InstallSource(&source);
    CComPortList list;
    list.Enumerate();
    CComPortList::InstallSource(nullptr);
    EXPECT_EQ(list.FindGPSPort(), QStringLiteral("/dev/ttyUSB3"));
}

TEST(ComPortList, SystemPortsAreDevices)
{
    // Whatever this machine has (often nothing): every entry is a device.
    CComPortList list;
    list.Enumerate();
    for (unsigned int i = 0; i < list.GetCount(); ++i) {
        EXPECT_TRUE(list.GetPortName(i).startsWith(QLatin1String("/dev/"))) << qPrintable(list.GetPortName(i));
        EXPECT_EQ(list.GetPortNumber(i), 0);
    }
}

} // namespace
