// The small modal dialog that waits for the GPS receiver's first position;
// the city form's Read GPS runs it and takes the fix it read.
#pragma once

#include "gps/comportlist.h"
#include "modaldialog.h"

#include <terrafind/terrafindgps.h>

#include <QElapsedTimer>
#include <QList>

#include <memory>

class CGpsdClient;
class CReceiverSearch;
class QLabel;
class QProgressBar;

// Template 107. Every 100 ms it steps its progress bar and reads what it is
// listening to: gpsd, where one answers at DefaultGpsdAddress (it then owns
// the receiver, and the status line names the device it reads); else the
// receiver's port (gpsPortName, at 4800 baud), then,
// while no sentence with a right checksum comes within 2 s, each of ports
// at 4800, 9600 and 38400 baud in turn, saying which one in its status
// line (CReceiverSearch). A failure to open gpsPortName is told once;
// other ports are tried quietly. The first position stops it: the
// user is told, the position becomes the fix (with this machine's offset
// from UTC through CClock) and the dialog ends with kOK. There is no
// time-out; only Cancel ends it otherwise, with kCancel and the fix untouched.
class CGPSReadDlg : public CModalDialog<CGPSReadDlg> {
    Q_OBJECT
public:
    // gpsPortName: the device of the receiver, such as /dev/ttyUSB0; empty
    // when no port's name says GPS. The reading starts here, and the ticks
    // with the modal loop.
    CGPSReadDlg(QWidget* parent, const QString& gpsPortName, int arabic, const QList<tagSerialPort>& ports = {});
    ~CGPSReadDlg() override;

    // Meaningful after kOK; all zero before.
    tagGPSFix GetFix() const { return m_fix; }
    // The position of the fix in degrees, north and east positive.
    double Latitude() const { return m_latitude; }
    double Longitude() const { return m_longitude; }

    void done(int result) override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void StartReading(const QList<tagSerialPort>& ports);
    void OnTimer();
    void ShowStatus();
    // The position read, if one has come: through gpsd or from the port.
    bool Position(double* latitude, double* longitude) const;

    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    std::unique_ptr<CGpsdClient> m_gpsd; // null where no gpsd answers
    std::unique_ptr<CReceiverSearch> m_search;
    QElapsedTimer m_clock;
    int m_timerID = 0;
    tagGPSFix m_fix;
    double m_latitude = 0, m_longitude = 0;
    int m_bArabic = 0;
    QString m_gpsPortName;
};
