// The small modal dialog that waits for the GPS receiver's first position.
#pragma once

#include <terrafind/terrafind.h>

#include <QDialog>

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
class CGPSReadDlg : public QDialog {
    Q_OBJECT
public:
    enum { kOK = 1, kCancel = 2 };

    // gpsPortName: the device to read, such as /dev/ttyUSB0.
    CGPSReadDlg(QWidget* parent, const QString& gpsPortName, int arabic);
    ~CGPSReadDlg() override;

    // Runs the dialog modally: kOK with a position, kCancel.
    int DoModal();
    // Meaningful after kOK; all zero before.
    tagGPSFix GetFix() const { return m_fix; }

    void done(int result) override;
    void reject() override;

protected:
    void OnInitDialog();
    void timerEvent(QTimerEvent* event) override;

private:
    void OnTimer();

    QProgressBar* m_progress = nullptr; // control 1031
    QLabel* m_status = nullptr;         // control 1030
    std::unique_ptr<CComPort> m_port;
    int m_timerID = 0;
    std::unique_ptr<CSentenceParser> m_parser;
    tagGPSFix m_fix;
    int m_opened = 0;
    int m_bArabic = 0;
    QString m_gpsPortName;
};

// The city form's Read GPS handler (button 1103): runs the dialog over
// form and, after kOK, writes the fix into the form's controls (edits 1127
// time zone in hours, 1124/1123 latitude degree/minute, 1118/1119
// longitude degree/minute; radio buttons 1125/1126 North/South and
// 1120/1121 East/West). After kCancel nothing changes. Returns the
// dialog's result.
int ReadGPSIntoCityForm(QWidget* form, const QString& gpsPortName, int arabic);
