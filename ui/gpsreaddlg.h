// The small modal dialog that waits for the GPS receiver's first position,
// and the city form's Read GPS, which runs it.
#pragma once

#include "modaldialog.h"

#include <terrafind/terrafindgps.h>

#include <memory>

class CComPort;
class CSentenceParser;
class QLabel;
class QProgressBar;

// Template 107. Every 100 ms it steps its progress bar, reads what the
// port received and feeds it to the parser; the port is opened once, on
// the first tick (a failure is told then, and the dialog goes on waiting
// with nothing to read). The first GPGGA position stops it: the user is
// told, the position becomes the fix (with this machine's offset from UTC
// through CClock) and the dialog ends with kOK. There is no time-out; only
// Cancel ends it otherwise, with kCancel and the fix untouched.
class CGPSReadDlg : public CModalDialog<CGPSReadDlg> {
    Q_OBJECT
public:
    // gpsPortName: the device to read, such as /dev/ttyUSB0. The reading
    // starts here, and the ticks with the modal loop.
    CGPSReadDlg(QWidget* parent, const QString& gpsPortName, int arabic);
    ~CGPSReadDlg() override;

    // Meaningful after kOK; all zero before.
    tagGPSFix GetFix() const { return m_fix; }

    void done(int result) override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void StartReading();
    void OnTimer();

    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    std::unique_ptr<CComPort> m_port;
    int m_timerID = 0;
    std::unique_ptr<CSentenceParser> m_parser;
    tagGPSFix m_fix;
    int m_opened = 0;
    int m_bArabic = 0;
    QString m_gpsPortName;
};

// The city form's Read GPS handler (its Read GPS button): runs the dialog
// over form and, after kOK, writes the fix into the form's time zone in
// hours, its degree and minute edits and its hemisphere buttons. After
// kCancel nothing changes. Returns the dialog's result.
int ReadGPSIntoCityForm(QWidget* form, const QString& gpsPortName, int arabic);
