#include "gpsdclient.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>

namespace {

// A report longer than this without a line end is no report of gpsd's:
// what came is dropped rather than kept growing.
constexpr qsizetype kMaxLine = 1 << 20;

// Asks for every report as JSON, from every receiver gpsd has.
constexpr char kWatch[] = "?WATCH={\"enable\":true,\"json\":true};\n";

} // namespace

bool CGpsdClient::Answers(const QString& address, int waitMs)
{
    const auto gpsd = At(address);
    return gpsd && gpsd->Connect(waitMs);
}

bool CGpsdClient::ParseAddress(const QString& text, QString* host, quint16* port)
{
    *host = QStringLiteral("localhost");
    *port = kDefaultPort;
    if (text.isEmpty())
        return true;
    QString name = text, number;
    if (text.startsWith(QLatin1Char('['))) { // [::1]:2947
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close < 0)
            return false;
        name = text.mid(1, close - 1);
        const QString rest = text.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))
            return false;
        number = rest.mid(1);
    } else if (const qsizetype colon = text.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        if (text.indexOf(QLatin1Char(':')) != colon)
            return false; // a bare IPv6 address needs its brackets
        name = text.left(colon);
        number = text.mid(colon + 1);
    }
    if (!name.isEmpty())
        *host = name;
    if (text.endsWith(QLatin1Char(':')))
        return false;
    if (!number.isEmpty()) {
        bool ok = false;
        const uint value = number.toUInt(&ok);
        if (!ok || value == 0 || value > 65535)
            return false;
        *port = quint16(value);
    }
    return true;
}

CGpsdClient::CGpsdClient(const QString& host, quint16 port) : m_host(host), m_port(port) {}

std::unique_ptr<CGpsdClient> CGpsdClient::At(const QString& address)
{
    QString host;
    quint16 port = 0;
    return ParseAddress(address, &host, &port) ? std::make_unique<CGpsdClient>(host, port) : nullptr;
}

CGpsdClient::~CGpsdClient() = default;

QString CGpsdClient::Address() const
{
    return (m_host.contains(QLatin1Char(':')) ? QLatin1Char('[') + m_host + QLatin1Char(']') : m_host)
        + QLatin1Char(':') + QString::number(m_port);
}

bool CGpsdClient::Connect(int waitMs)
{
    m_socket = std::make_unique<QTcpSocket>();
    m_socket->connectToHost(m_host, m_port);
    if (!m_socket->waitForConnected(waitMs)) {
        m_error = QStringLiteral("no gpsd at %1: %2").arg(Address(), m_socket->errorString());
        m_socket.reset();
        return false;
    }
    m_socket->write(kWatch);
    m_socket->flush();
    return true;
}

bool CGpsdClient::Poll(int waitMs)
{
    if (!m_socket)
        return false;
    if (m_socket->bytesAvailable() == 0)
        m_socket->waitForReadyRead(waitMs);
    m_pending += m_socket->readAll();
    for (qsizetype end; (end = m_pending.indexOf('\n')) >= 0;) {
        Take(m_pending.left(end));
        m_pending.remove(0, end + 1);
    }
    if (m_pending.size() > kMaxLine)
        m_pending.clear();
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        m_error = QStringLiteral("gpsd at %1 closed the connection").arg(Address());
        m_socket.reset();
        return false;
    }
    return true;
}

// {"class":"TPV","device":"/dev/ttyACM0","mode":3,"lat":52.514809,"lon":13.464265,...}
// {"class":"SKY","device":"/dev/ttyACM0","nSat":24,"uSat":8,"satellites":[...]}
// {"class":"DEVICES","devices":[{"class":"DEVICE","path":"/dev/ttyACM0",...}]}
void CGpsdClient::Take(const QByteArray& line)
{
    QJsonParseError error;
    const QJsonObject report = QJsonDocument::fromJson(line, &error).object();
    const QString kind = report.value(QLatin1String("class")).toString();
    if (error.error != QJsonParseError::NoError || kind.isEmpty())
        return;
    ++m_reports;
    if (const QString device = report.value(QLatin1String("device")).toString(); !device.isEmpty())
        m_device = device;
    if (kind == QLatin1String("DEVICES")) {
        m_devices.clear();
        for (const QJsonValue& device : report.value(QLatin1String("devices")).toArray())
            if (const QString path = device.toObject().value(QLatin1String("path")).toString(); !path.isEmpty())
                m_devices.append(path);
    } else if (kind == QLatin1String("DEVICE")) {
        const QString path = report.value(QLatin1String("path")).toString();
        if (!path.isEmpty() && !m_devices.contains(path))
            m_devices.append(path);
    } else if (kind == QLatin1String("TPV") && !m_fix) {
        // Mode 0 and 1 are no fix; a report may come before the position does.
        const QJsonValue latitude = report.value(QLatin1String("lat")), longitude = report.value(QLatin1String("lon"));
        if (report.value(QLatin1String("mode")).toInt() >= 2 && latitude.isDouble() && longitude.isDouble()
            && qAbs(latitude.toDouble()) <= 90 && qAbs(longitude.toDouble()) <= 180) {
            m_latitude = latitude.toDouble();
            m_longitude = longitude.toDouble();
            m_fix = true;
        }
    } else if (kind == QLatin1String("SKY")) {
        // gpsd of 3.20 and later counts them; earlier ones only list them.
        const QJsonValue count = report.value(QLatin1String("nSat"));
        const QJsonValue satellites = report.value(QLatin1String("satellites"));
        if (count.isDouble())
            m_inView = count.toInt();
        else if (satellites.isArray())
            m_inView = int(satellites.toArray().size());
    }
}
