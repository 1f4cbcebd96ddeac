// The city form: one city's name, time zone and position.
#pragma once

#include "bidi/bidiedit.h"
#include "gps/comportlist.h"
#include "modaldialog.h"

#include <terrafind/terrafindgps.h>

#include <QLineEdit>
#include <QString>

#include <cstdint>

class CTerrafind;
class QLabel;
class QPushButton;
class QRadioButton;

// Template 105. The opener sets the Arabic flag and, to edit a city, the
// name, the time zone and the four signed angles, runs the form with
// DoModal and, after kOK, reads them back. The form touches no stored data.
//
// Angles are signed degrees and minutes, both negative south or west. The
// edits take digits only: the hemisphere comes from the radio buttons. On
// OK the time zone is held to -13.0 to 13.0 hours and minutes to -60 to 60;
// degrees are taken as typed (within the 16-bit range they are kept in).
// Text that is no number reads as 0.
class CCityDlg : public CModalDialog<CCityDlg> {
    Q_OBJECT
public:
    explicit CCityDlg(QWidget* parent = nullptr);

    int m_bArabic = 0;
    QString m_strName;
    double m_dTimeZone = 0.0; // hours, east positive
    std::int16_t m_sLatDegree = 0;
    std::int16_t m_sLatMinute = 0;
    std::int16_t m_sLonDegree = 0;
    std::int16_t m_sLonMinute = 0;
    // The GPS receiver's device found when the form opened (a port whose
    // name says GPS); empty if none. Read GPS is enabled when the machine
    // has any serial port: it looks for the receiver on all of them.
    QString m_strGPSPortName;
    // The places Read GPS names the nearest of, and takes its time zone
    // from when it is within 100 km (not owned; may be null).
    CTerrafind* m_places = nullptr;

    QLineEdit* Edit(int id) const;
    QRadioButton* Radio(int id) const;
    QPushButton* ReadGPSButton() const { return m_readGPS; }

    // Puts a position read from the GPS receiver into the edits and the
    // hemisphere buttons, latitude and longitude being the same position in
    // degrees (north and east positive). The time zone is the nearest place
    // of m_places when it lies within 100 km (its zone's standard offset
    // from tzdata, else its own), the fix's (this machine's) otherwise; that
    // place is named in the form's label for it.
    void TakeGPSFix(const tagGPSFix& fix, double latitude, double longitude);

    // Where the form looks for the GPS receiver's port (not owned); null
    // means the system's serial ports.
    static void SetPortSource(const CSerialPortSource* source);

protected:
    void OnInitDialog() override;
    void OnOK();
    void OnReadGPS();

private:
    void ApplyArabicLayout();
    void ShowNearestPlace(const QString& place, double km);

    // Name, time zone, longitude degree and minute, latitude degree and minute.
    CBiDiEdit m_name, m_timeZone, m_lonDegree, m_lonMinute, m_latDegree, m_latMinute;
    QRadioButton* m_east = nullptr;
    QRadioButton* m_west = nullptr;
    QRadioButton* m_north = nullptr;
    QRadioButton* m_south = nullptr;
    QPushButton* m_readGPS = nullptr;
    QLabel* m_nearest = nullptr;
    QList<tagSerialPort> m_ports;
};
