// A client of gpsd, the service that owns GPS receivers on Linux: it finds
// the receiver, sets its speed and holds its port, and tells its clients
// what the receiver says as JSON reports over TCP. Where a gpsd runs,
// Terrafind reads through it; the serial ports stay the way in without one.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QTcpSocket;

class CGpsdClient {
public:
    static constexpr quint16 kDefaultPort = 2947;

    // "HOST:PORT", "HOST", ":PORT" or "[IPv6]:PORT"; empty is localhost at
    // the default port. False when text is none of these.
    static bool ParseAddress(const QString& text, QString* host, quint16* port);

    CGpsdClient(const QString& host = QStringLiteral("localhost"), quint16 port = kDefaultPort);
    // A client of gpsd at address (ParseAddress); null when it does not parse.
    static std::unique_ptr<CGpsdClient> At(const QString& address);
    // Whether a gpsd accepts a connection at address within waitMs.
    static bool Answers(const QString& address, int waitMs);
    ~CGpsdClient();
    Q_DISABLE_COPY(CGpsdClient)

    // Connects and asks gpsd to report: true when it accepted within
    // waitMs. Where no gpsd listens, the refusal comes at once.
    bool Connect(int waitMs);
    // Reads the reports that have come, waiting up to waitMs for the first
    // of them. False once the connection is gone (Error() says why). Lines
    // that are not gpsd's JSON are passed over.
    bool Poll(int waitMs);

    // A position: a TPV report of a 2-D or 3-D fix with both coordinates.
    bool HasFix() const { return m_fix; }
    double Latitude() const { return m_latitude; }   // degrees, north positive
    double Longitude() const { return m_longitude; } // degrees, east positive
    // The receivers gpsd has, and the one the latest report came from.
    QStringList Devices() const { return m_devices; }
    QString Device() const { return m_device; }
    // The satellites in view of the latest SKY report; 0 before one.
    int SatellitesInView() const { return m_inView; }
    // Whether a report of gpsd's has come at all.
    bool HasAnswered() const { return m_reports > 0; }
    QString Address() const;
    QString Error() const { return m_error; }

private:
    void Take(const QByteArray& line);

    QString m_host;
    quint16 m_port;
    std::unique_ptr<QTcpSocket> m_socket;
    QByteArray m_pending; // a report's start, until its line ends
    QStringList m_devices;
    QString m_device;
    QString m_error;
    double m_latitude = 0, m_longitude = 0;
    int m_inView = 0;
    int m_reports = 0;
    bool m_fix = false;
};
