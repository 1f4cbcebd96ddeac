#include "citydlg.h"

#include "bidi/shapetext.h"
#include "common/decimal.h"
#include "common/hemisphere.h"
#include "common/usermessages.h"
#include "dialogtemplate.h"
#include "gps/comportlist.h"
#include "gps/gpsdclient.h"
#include "gps/gpsfix.h"
#include "gpsreaddlg.h"
#include "labels.h"
#include "pickercolours.h"
#include "resources/controlids.h"

#include <terrafind/terrafind.h>

#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

using namespace Controls::City;

constexpr double kMaxTimeZone = 13.0;
constexpr double kMaxMinute = 60.0;
// Degrees have no limit of their own, only the 16 bits they are kept in
// (symmetric, so that the sign can always be flipped).
constexpr double kMaxDegree = 32767.0;
// A place within this distance of a GPS fix is where the user is: its time
// zone is theirs.
constexpr double kNearbyKm = 100;

constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignAbsolute;

// The leading number of text as LeadingDecimal reads it, blanks of any
// kind skipped; "nan" reads as 0, which every limit below holds.
double LeadingNumber(const QString& text)
{
    const double value = LeadingDecimal(text.trimmed().toLatin1().constData());
    return std::isnan(value) ? 0.0 : value;
}

std::int16_t Limited(const QString& text, double limit)
{
    return std::int16_t(std::clamp(LeadingNumber(text), -limit, limit)); // truncated toward zero
}

const CSerialPortSource* g_portSource = nullptr;

} // namespace

CCityDlg::CCityDlg(QWidget* parent) : CModalDialog(parent)
{
    const tagDialogTemplate form = tagDialogTemplate::Load(kTemplate);
    setWindowTitle(form.caption); // "Add City", when editing too
    BuildDialog(this, form);
    // The nearest place's line shows only after Read GPS has named one.
    m_nearest = FindControl<QLabel>(this, kNearestLabel);
    if (m_nearest) {
        m_nearest->setWordWrap(true);
        m_nearest->hide();
    }
    FitToControls(this); // the template leaves its bottom third empty
    m_name.Attach(FindControl<QLineEdit>(this, kNameEdit));
    m_timeZone.Attach(FindControl<QLineEdit>(this, kTimeZoneEdit));
    m_lonDegree.Attach(FindControl<QLineEdit>(this, kLonDegreeEdit));
    m_lonMinute.Attach(FindControl<QLineEdit>(this, kLonMinuteEdit));
    m_latDegree.Attach(FindControl<QLineEdit>(this, kLatDegreeEdit));
    m_latMinute.Attach(FindControl<QLineEdit>(this, kLatMinuteEdit));
    m_east = FindControl<QRadioButton>(this, kEast);
    m_west = FindControl<QRadioButton>(this, kWest);
    m_north = FindControl<QRadioButton>(this, kNorth);
    m_south = FindControl<QRadioButton>(this, kSouth);
    m_readGPS = FindControl<QPushButton>(this, kReadGPSButton);
    if (m_readGPS)
        connect(m_readGPS, &QPushButton::clicked, this, &CCityDlg::OnReadGPS);
    if (auto* ok = FindControl<QPushButton>(this, kOKButton)) {
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, &CCityDlg::OnOK);
    }
    if (auto* cancel = FindControl<QPushButton>(this, kCancelButton))
        connect(cancel, &QPushButton::clicked, this, &CCityDlg::reject);
}

void CCityDlg::SetPortSource(const CSerialPortSource* source)
{
    g_portSource = source;
}

QLineEdit* CCityDlg::Edit(int id) const
{
    return FindControl<QLineEdit>(this, id);
}

QRadioButton* CCityDlg::Radio(int id) const
{
    return FindControl<QRadioButton>(this, id);
}

void CCityDlg::OnInitDialog()
{
    m_name.Edit()->setText(m_strName);
    if (m_bArabic)
        ApplyArabicLayout();

    // One negative value is enough to make the position west (or south).
    const bool east = m_sLonDegree >= 0 && m_sLonMinute >= 0;
    m_east->setChecked(east);
    m_west->setChecked(!east);
    const bool north = m_sLatDegree >= 0 && m_sLatMinute >= 0;
    m_north->setChecked(north);
    m_south->setChecked(!north);

    m_timeZone.Edit()->setText(QString::asprintf("%.1f", m_dTimeZone));
    m_latMinute.Edit()->setText(QString::number(std::abs(int(m_sLatMinute))));
    m_lonMinute.Edit()->setText(QString::number(std::abs(int(m_sLonMinute))));
    m_latDegree.Edit()->setText(QString::number(std::abs(int(m_sLatDegree))));
    m_lonDegree.Edit()->setText(QString::number(std::abs(int(m_sLonDegree))));

    ApplyPickerColours(this);
    NameControls(this, m_bArabic,
                 {{kNameEdit, "Name", "city.name"}, {kTimeZoneEdit, "Time Zone", "city.timeZone"},
                  {kLonDegreeEdit, "Longitude degree", "a11y.lonDegree"}, {kLonMinuteEdit, "Longitude minute", "a11y.lonMinute"},
                  {kLatDegreeEdit, "Latitude degree", "a11y.latDegree"}, {kLatMinuteEdit, "Latitude minute", "a11y.latMinute"},
                  {kEast, "East", "city.east"}, {kWest, "West", "city.west"}, {kNorth, "North", "city.north"},
                  {kSouth, "South", "city.south"}, {kReadGPSButton, "Read GPS", "city.readGPS"},
                  {kOKButton, "OK", "form.ok"}, {kCancelButton, "Cancel", "form.cancel"}});

    CComPortList ports(g_portSource);
    ports.Enumerate(); // lists the ports without opening any
    m_strGPSPortName = ports.FindGPSPort();
    m_ports = ports.Ports();
    // gpsd owns a receiver it found: then there may be no port to list.
    m_readGPS->setEnabled(!m_ports.isEmpty() || CGpsdClient::Answers(DefaultGpsdAddress(), 1000));
}

void CCityDlg::OnOK()
{
    // Refused as the country form refuses it, keeping what was typed.
    if (m_name.Edit()->text().isEmpty()) {
        CUserMessages::Current().StopBeep();
        m_name.Edit()->setFocus();
        return;
    }
    m_strName = m_name.Edit()->text();
    m_dTimeZone = std::clamp(LeadingNumber(m_timeZone.Edit()->text()), -kMaxTimeZone, kMaxTimeZone);
    m_sLatMinute = Limited(m_latMinute.Edit()->text(), kMaxMinute);
    m_sLonMinute = Limited(m_lonMinute.Edit()->text(), kMaxMinute);
    m_sLatDegree = Limited(m_latDegree.Edit()->text(), kMaxDegree);
    m_sLonDegree = Limited(m_lonDegree.Edit()->text(), kMaxDegree);

    // The hemisphere buttons alone decide the signs.
    const auto magnitude = [](std::int16_t value) { return std::int16_t(std::abs(int(value))); };
    JoinAngle(magnitude(m_sLonDegree), magnitude(m_sLonMinute), m_east->isChecked(), &m_sLonDegree, &m_sLonMinute);
    JoinAngle(magnitude(m_sLatDegree), magnitude(m_sLatMinute), m_north->isChecked(), &m_sLatDegree, &m_sLatMinute);
    Accept();
}

void CCityDlg::OnReadGPS()
{
    tagGPSFix fix;
    double latitude = 0, longitude = 0;
    {
        // Closes the port before the nearest place is looked up.
        CGPSReadDlg reading(this, m_strGPSPortName, m_bArabic, m_ports);
        if (reading.DoModal() != CGPSReadDlg::kOK)
            return;
        fix = reading.GetFix();
        latitude = reading.Latitude();
        longitude = reading.Longitude();
    }
    TakeGPSFix(fix, latitude, longitude);
}

void CCityDlg::TakeGPSFix(const tagGPSFix& fix, double latitude, double longitude)
{
    std::int16_t gmtTenths = fix.sGmtTenths;
    CCity city;
    tagCityDetails details;
    double km = 0;
    if (m_places && FindNearestCity(*m_places, latitude, longitude, &city, &details, &km) == S_OK) {
        ShowNearestPlace(PlaceName(city, details, m_bArabic != 0), km);
        // The zone's standard offset now, as a stored time zone means it; a
        // place without a known zone (a city file's) has its own.
        int standard = 0;
        if (km <= kNearbyKm)
            gmtTenths = GetZoneOffset(details.zone, QDateTime::currentDateTimeUtc(), nullptr, &standard) == S_OK
                ? GmtTenths(standard)
                : city.m_sGmt;
    }
    // OnOK reads the values back from the controls.
    m_timeZone.Edit()->setText(QString::asprintf("%.1f", gmtTenths * 0.1));
    m_latDegree.Edit()->setText(QString::number(fix.wLatDegree));
    m_latMinute.Edit()->setText(QString::number(fix.wLatMinute));
    m_lonDegree.Edit()->setText(QString::number(fix.wLonDegree));
    m_lonMinute.Edit()->setText(QString::number(fix.wLonMinute));
    m_north->setChecked(fix.wNorth != 0);
    m_south->setChecked(fix.wNorth == 0);
    m_east->setChecked(fix.wEast != 0);
    m_west->setChecked(fix.wEast == 0);
}

void CCityDlg::ShowNearestPlace(const QString& place, double km)
{
    if (!m_nearest)
        return;
    const int rounded = int(std::lround(km));
    QString text = m_bArabic ? ArabicLabel("city.nearest").arg(place).arg(rounded)
                             : QStringLiteral("Nearest: %1 (%2 km)").arg(place).arg(rounded);
    if (m_bArabic) {
        ShapeText(QString(text), text, 1);
        // A wrapping label lays its text out in the widget's direction.
        m_nearest->setLayoutDirection(Qt::RightToLeft);
        m_nearest->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignTop);
    }
    m_nearest->setText(text);
    m_nearest->show();
    FitToControls(this);
}

void CCityDlg::ApplyArabicLayout()
{
    setWindowTitle(PlainLabel("", "title.addCity", 1));
    // Label and edit of the name and time-zone rows change sides, each
    // keeping its own width.
    QWidget* nameLabel = FindControl(this, kNameLabel);
    QWidget* nameEdit = m_name.Edit();
    const int d = std::abs(nameEdit->width() - nameLabel->width());
    for (auto [label, edit] : {std::pair{nameLabel, nameEdit},
                               std::pair{FindControl(this, kTimeZoneLabel), static_cast<QWidget*>(m_timeZone.Edit())}}) {
        const QRect labelRect = label->geometry();
        const QRect editRect = edit->geometry();
        label->setGeometry(editRect.adjusted(d, 0, 0, 0));
        edit->setGeometry(labelRect.adjusted(0, 0, d, 0));
    }

    // Buttons, left to right: Cancel, OK, then Read GPS at the right end.
    QWidget* ok = FindControl(this, kOKButton);
    QWidget* cancel = FindControl(this, kCancelButton);
    const QRect readRect = m_readGPS->geometry();
    const QRect cancelRect = cancel->geometry();
    const QRect okRect = ok->geometry();
    const int gap = cancelRect.x() - (okRect.x() + okRect.width());
    m_readGPS->move(cancelRect.x() + cancelRect.width() - readRect.width(), readRect.y());
    cancel->move(readRect.x(), cancelRect.y());
    ok->move(cancel->x() + cancel->width() + gap, okRect.y());

    // Degree and minute rows: label and edit exchange places.
    for (auto [labelId, editId] : {std::pair{kLonDegreeLabel, kLonDegreeEdit}, std::pair{kLonMinuteLabel, kLonMinuteEdit},
                                   std::pair{kLatDegreeLabel, kLatDegreeEdit}, std::pair{kLatMinuteLabel, kLatMinuteEdit}}) {
        QWidget* label = FindControl(this, labelId);
        QWidget* edit = FindControl(this, editId);
        const QRect labelRect = label->geometry();
        label->setGeometry(edit->geometry());
        edit->setGeometry(labelRect);
    }

    for (const CBiDiEdit* edit : {&m_name, &m_timeZone, &m_lonDegree, &m_lonMinute, &m_latDegree, &m_latMinute}) {
        edit->Edit()->setLayoutDirection(Qt::RightToLeft);
        edit->Edit()->setAlignment(kRight | Qt::AlignVCenter);
    }

    const std::pair<int, const char*> statics[] = {
        {kNameLabel, "city.name"},         {kLonMinuteLabel, "city.minute"}, {kLatMinuteLabel, "city.minute"},
        {kLonDegreeLabel, "city.degree"},  {kLatDegreeLabel, "city.degree"}, {kTimeZoneLabel, "city.timeZone"},
    };
    for (const auto& [id, key] : statics)
        if (auto* label = FindControl<QLabel>(this, id)) {
            label->setAlignment(kRight | Qt::AlignTop);
            label->setText(ArabicDisplayLabel(key));
        }
    for (const auto& [id, key] : {std::pair{kLongitudeGroup, "city.longitude"}, std::pair{kLatitudeGroup, "city.latitude"}})
        if (auto* group = FindControl<QGroupBox>(this, id)) {
            // The title at the leading edge of a right-to-left box: its right.
            // (Styles mirror a group box's alignment, absolute or not.)
            group->setLayoutDirection(Qt::RightToLeft);
            group->setAlignment(Qt::AlignLeading);
            group->setTitle(ArabicDisplayLabel(key));
        }
    // Right to left puts the button at the right of its text.
    for (const auto& [radio, key] : {std::pair{m_east, "city.east"}, std::pair{m_west, "city.west"},
                                     std::pair{m_north, "city.north"}, std::pair{m_south, "city.south"}}) {
        radio->setLayoutDirection(Qt::RightToLeft);
        radio->setText(ArabicDisplayLabel(key));
    }
    static_cast<QPushButton*>(cancel)->setText(ArabicDisplayLabel("form.cancel"));
    static_cast<QPushButton*>(ok)->setText(ArabicDisplayLabel("form.ok"));
    m_readGPS->setText(ArabicDisplayLabel("city.readGPS"));
}
