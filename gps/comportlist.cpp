#include "comportlist.h"

#include <QFileInfo>
#include <QSerialPortInfo>

namespace {

const CSystemSerialPorts g_systemPorts;
const CSerialPortSource* g_installedSource = &g_systemPorts;

} // namespace

CSerialPortSource::~CSerialPortSource() = default;

QList<tagSerialPort> CSystemSerialPorts::Ports() const
{
    QList<tagSerialPort> ports;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos) {
        tagSerialPort port;
        port.portName = info.systemLocation();
        port.friendlyName = FriendlyName(info.description(), info.manufacturer());
        port.driverKey = QFileInfo(QStringLiteral("/sys/class/tty/%1/device/driver").arg(info.portName()))
                             .canonicalFilePath();
        ports.append(port);
    }
    return ports;
}

// "u-blox 7 - GPS/GNSS Receiver" stays as it is; "USB-Serial Controller"
// by Prolific becomes "USB-Serial Controller (Prolific Technology, Inc.)".
QString CSystemSerialPorts::FriendlyName(const QString& description, const QString& manufacturer)
{
    const QString name = description.trimmed();
    const QString maker = manufacturer.trimmed();
    if (name.isEmpty())
        return maker;
    if (maker.isEmpty() || name.contains(maker, Qt::CaseInsensitive))
        return name;
    return QStringLiteral("%1 (%2)").arg(name, maker);
}

CComPortList::CComPortList(const CSerialPortSource* source)
    : m_source(source)
{
}

CComPortList::~CComPortList() = default;

void CComPortList::Enumerate()
{
    m_entries.clear();
    const QList<tagSerialPort> ports = (m_source ? m_source : g_installedSource)->Ports();
    for (const tagSerialPort& port : ports) {
        if (port.portName.isEmpty())
            continue; // nothing to open
        m_entries.append({port.portName, PortNumberFromName(port.portName), port.driverKey, port.friendlyName});
    }
}

unsigned int CComPortList::GetCount() const
{
    return static_cast<unsigned int>(m_entries.size());
}

int CComPortList::GetPortNumber(unsigned int i) const
{
    return i < GetCount() ? m_entries[i].portNumber : 0;
}

QString CComPortList::GetPortName(unsigned int i) const
{
    return i < GetCount() ? m_entries[i].portName : QString();
}

QString CComPortList::GetDriverKey(unsigned int i) const
{
    return i < GetCount() ? m_entries[i].driverKey : QString();
}

QString CComPortList::GetFriendlyName(unsigned int i) const
{
    return i < GetCount() ? m_entries[i].friendlyName : QString();
}

QString CComPortList::GetDriverKeyLeaf(unsigned int i) const
{
    const QString key = GetDriverKey(i);
    const qsizetype separator = std::max(key.lastIndexOf(QLatin1Char('/')), key.lastIndexOf(QLatin1Char('\\')));
    return key.mid(separator + 1);
}

QString CComPortList::FindGPSPort() const
{
    for (const tagEntry& entry : m_entries) {
        if (entry.friendlyName.contains(QLatin1String("GPS"), Qt::CaseSensitive))
            return entry.portName;
    }
    return QString();
}

QList<tagSerialPort> CComPortList::Ports() const
{
    QList<tagSerialPort> ports;
    for (unsigned int i = 0; i < GetCount(); ++i)
        ports.append({GetPortName(i), GetDriverKey(i), GetFriendlyName(i)});
    return ports;
}

void CComPortList::InstallSource(const CSerialPortSource* source)
{
    g_installedSource = source ? source : &g_systemPorts;
}

int CComPortList::PortNumberFromName(const QString& name)
{
    // Exactly "COM%d:" for some n in 1..255: no leading zeros, no sign.
    if (name.size() < 5 || name.size() > 7 || !name.startsWith(QLatin1String("COM")) || !name.endsWith(QLatin1Char(':')))
        return 0;
    const QStringView digits = QStringView(name).mid(3, name.size() - 4);
    if (digits.front() == QLatin1Char('0'))
        return 0;
    int number = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
        number = number * 10 + (c.unicode() - '0');
    }
    return number <= 255 ? number : 0;
}
