// The city form as a user fills it in: what OK makes of the typed text and
// the hemisphere buttons, how a city's values are shown, the Arabic layout,
// and the Read GPS button over a fixed port list and a pseudo-terminal.
#include "pickerdriver.h"

#include "../gps/capture.h"
#include "../gps/pseudoterminal.h"
#include "../gps/recordingmessages.h"

#include "bidi/shapetext.h"
#include "common/clock.h"
#include "gps/comportlist.h"
#include "ui/gpsreaddlg.h"

#include <QApplication>
#include <QTimer>

namespace {

using namespace Controls::City;

// A port list that is the same on every machine: no receiver unless a test
// names one.
struct CFixedPorts : CSerialPortSource {
    explicit CFixedPorts(QList<tagSerialPort> ports = {}) : ports(std::move(ports)) { CCityDlg::SetPortSource(this); }
    ~CFixedPorts() override { CCityDlg::SetPortSource(nullptr); }
    QList<tagSerialPort> Ports() const override { return ports; }
    QList<tagSerialPort> ports;
};

class CityForm : public ::testing::Test {
    CFixedPorts m_noPorts;
};

// The form's values as "zone,lon degree,lon minute,lat degree,lat minute",
// as the opener sets them and reads them back.
void Preset(CCityDlg& form, const char* values)
{
    const QStringList v = QString::fromLatin1(values).split(u',');
    form.m_dTimeZone = v[0].toDouble();
    std::tie(form.m_sLonDegree, form.m_sLonMinute, form.m_sLatDegree, form.m_sLatMinute) =
        std::tuple(v[1].toShort(), v[2].toShort(), v[3].toShort(), v[4].toShort());
}
QString Stored(const CCityDlg& f)
{
    return u"%1,%2,%3,%4,%5"_s.arg(f.m_dTimeZone).arg(f.m_sLonDegree).arg(f.m_sLonMinute).arg(f.m_sLatDegree).arg(f.m_sLatMinute);
}

TEST_F(CityForm, OKReadsTheTypedValuesWithinTheirLimits)
{
    // Limits: time zone -13.0 to 13.0 hours, minutes -60 to 60, degrees only
    // the 16 bits they are kept in; a leading number is read as atof reads
    // it; the hemisphere buttons give the signs.
    const struct {
        const char *what, *typed, *stored;
    } rows[] = {
        {"time zone above the limit", "14,31,15,30,2,E,N", "13,31,15,30,2"},
        {"time zone below the limit", "-20,0,0,0,0,E,N", "-13,0,0,0,0"},
        {"quarter-hour zone", "5.75,0,0,0,0,E,N", "5.75,0,0,0,0"},
        {"no number", "abc,abc,,x,,E,N", "0,0,0,0,0"},
        {"leading number only", " +3.5h,12abc,7,1,1,E,N", "3.5,12,7,1,1"},
        {"minutes above 60", "0,1,75,1,99,E,N", "0,1,60,1,60"},
        {"60 minutes allowed", "0,1,60,1,60,E,N", "0,1,60,1,60"},
        {"degrees unlimited", "0,95,0,200,0,E,N", "0,95,0,200,0"},
        {"south", "0,0,0,12,30,E,S", "0,0,0,-12,-30"},
        {"west", "-5,77,2,38,54,W,N", "-5,-77,-2,38,54"},
        {"degrees beyond 16 bits", "0,99999,0,0,0,W,N", "0,-32767,0,0,0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        CCityDlg form;
        EXPECT_EQ(RunModal<CCityDlg>(form, [&](CCityDlg* f) {
            f->Edit(kNameEdit)->setText(u"Somewhere"_s);
            TypeCity(f, QLatin1String(row.typed));
            Press(f, kOKButton);
        }), CCityDlg::kOK);
        EXPECT_EQ(form.m_strName, u"Somewhere"_s);
        EXPECT_EQ(Stored(form), QString::fromLatin1(row.stored));
    }
}

// Signed values as the Add page hands them in (one negative value is
// enough for west or south), shown as magnitudes and kept by OK.
TEST_F(CityForm, ShowsMagnitudesWithTheHemisphereChecked)
{
    for (const auto& [values, shown] : {std::pair{"0,0,0,0,0", "0.0,0,0,0,0,E,N"}, std::pair{"5.5,31,15,-12,-30", "5.5,31,15,12,30,E,S"},
                                        std::pair{"-3.5,0,-20,51,28", "-3.5,0,20,51,28,W,N"}}) {
        CCityDlg form;
        form.m_strName = u"O'Hare"_s;
        Preset(form, values);
        RunModal<CCityDlg>(form, [&](CCityDlg* f) {
            EXPECT_EQ(f->Edit(kNameEdit)->text(), u"O'Hare"_s);
            EXPECT_EQ(ShownCity(f), QString::fromLatin1(shown));
            Press(f, kOKButton);
        });
        EXPECT_EQ(Stored(form), QString::fromLatin1(values));
    }
}

TEST_F(CityForm, AngleEditsTakeDigitsOnlyAndReadGPSNeedsAReceiver)
{
    CCityDlg form;
    RunModal<CCityDlg>(form, [](CCityDlg* f) {
        for (int id : {kLonDegreeEdit, kLonMinuteEdit, kLatDegreeEdit, kLatMinuteEdit, kTimeZoneEdit}) {
            f->Edit(id)->clear();
            QTest::keyClicks(f->Edit(id), u"-1a2.5"_s);
            EXPECT_EQ(f->Edit(id)->text(), id == kTimeZoneEdit ? u"-1a2.5"_s : u"125"_s) << id;
        }
        EXPECT_EQ(f->windowTitle(), u"Add City"_s);
        EXPECT_FALSE(f->ReadGPSButton()->isEnabled());
        TypeCity(f, u"2.0,31,14,30,3,E,N"_s);
        SaveScreenshot(f, u"cityform-english"_s);
        Press(f, kCancelButton);
    });
    EXPECT_TRUE(form.m_strGPSPortName.isEmpty());
}

struct CFixedClock : CClock {
    CFixedClock() { Install(this); }
    ~CFixedClock() override { Install(nullptr); }
    int LocalOffsetSeconds() const override { return -5 * 3600; }
};

void CancelReading()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* reading = qobject_cast<CGPSReadDlg*>(widget); reading && reading->isVisible())
            reading->reject();
}

TEST_F(CityForm, ReadGPSFillsTheFormFromTheReceiverUnlessCancelled)
{
    CPseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsValid());
    CFixedPorts ports({{u"/dev/ttyS0"_s, {}, u"16550A"_s}, {terminal.DevicePath(), {}, u"Test GPS receiver"_s}});
    CRecordingMessages messages; // answers the success message
    CFixedClock clock;
    QTimer safetyNet; // ends a reading that never comes, so the test fails instead of hanging
    safetyNet.callOnTimeout(CancelReading);
    safetyNet.start(20000);
    CCityDlg form;
    form.m_strName = u"Here"_s;
    RunModal<CCityDlg>(form, [&](CCityDlg* f) {
        ASSERT_TRUE(f->ReadGPSButton()->isEnabled());
        TypeCity(f, u"1.0,2,3,4,5,E,N"_s);
        QTimer::singleShot(300, CancelReading);
        f->ReadGPSButton()->click(); // nothing sent yet: cancelled
        EXPECT_EQ(ShownCity(f), u"1.0,2,3,4,5,E,N"_s);
        // 33° 52.128' S, 0° 30' W, read at UTC-5.
        ASSERT_TRUE(terminal.Write("$GPGGA,120000,3352.128,S,00030.000,W,1,04,1.0,10.0,M,,M,,\r\n"));
        f->ReadGPSButton()->click(); // runs the reading dialog to its end
        Press(f, kOKButton);
    });
    EXPECT_EQ(form.m_strGPSPortName, terminal.DevicePath());
    EXPECT_EQ(Stored(form), u"-5,0,-30,-33,-52"_s);
}

// The u-blox capture's first fix, 51°55.55′ N 4°34.66′ E, read from a port
// whose name does not say GPS. Distances by haversine (Python): 6.5 km to
// Rotterdam, 3,268 km to Cairo. Amsterdam's standard time is UTC+1; this
// machine's clock says UTC-5.
TEST_F(CityForm, ReadGPSNamesTheNearestPlaceAndTakesItsTimeZone)
{
    const char kEgypt[] = "INSERT INTO Country VALUES (2, 'Egypt', 'مصر', 4);"
                          "INSERT INTO City VALUES (2, 'Cairo', 'القاهرة', 31, 15, 30, 4, 20, 2);";
    const char kNetherlands[] = "INSERT INTO Country VALUES (1, 'Netherlands', 'هولندا', 2);"
                                "INSERT INTO Division VALUES (1, 1, '11', 'South Holland', 'جنوب هولندا');"
                                "INSERT INTO City VALUES (1, 'Rotterdam', 'روتردام', 4, 29, 51, 55, 10, 1);"
                                "INSERT INTO CityInfo VALUES (1, 1, 0, 'Europe/Amsterdam');";
    const struct { std::string places; int arabic; const char16_t *zone, *nearest; } rows[] = {
        {kEgypt, 0, u"-5.0", u"Nearest: Cairo, Egypt (3268 km)"},
        {std::string(kEgypt) + kNetherlands, 0, u"1.0", u"Nearest: Rotterdam, South Holland, Netherlands (7 km)"},
        {std::string(kEgypt) + kNetherlands, 1, u"1.0", u"الأقرب: روتردام، جنوب هولندا، هولندا (7 كم)"},
    };
    CFixedClock clock;
    CRecordingMessages messages;
    for (const auto& row : rows) {
        CEnvironmentGuard environment;
        const CScratchPlaceDb db(row.places.c_str());
        db.Use();
        CTerrafind30 places;
        ASSERT_EQ(places.Init(), 1);
        CPseudoTerminal terminal;
        ASSERT_TRUE(terminal.IsValid());
        ASSERT_TRUE(terminal.Write(ReadCapture("ublox-lea-5h.log")));
        CFixedPorts ports({{terminal.DevicePath(), {}, u"u-blox GNSS receiver"_s}});
        CCityDlg form;
        form.m_bArabic = row.arabic;
        form.m_places = &places;
        RunModal<CCityDlg>(form, [&](CCityDlg* f) {
            f->ReadGPSButton()->click();
            EXPECT_EQ(f->Edit(kTimeZoneEdit)->text(), QString::fromUtf16(row.zone));
            QString nearest = QString::fromUtf16(row.nearest);
            if (row.arabic)
                ShapeText(QString(nearest), nearest, 1);
            EXPECT_EQ(FindControl<QLabel>(f, kNearestLabel)->text(), nearest);
            SaveScreenshot(f, row.arabic ? u"cityform-gps-arabic"_s : u"cityform-gps-english"_s);
            Press(f, kCancelButton);
        });
        EXPECT_TRUE(form.m_strGPSPortName.isEmpty());
    }
}

TEST_F(CityForm, ArabicMirrorsTheForm)
{
    CCityDlg form;
    form.m_bArabic = 1;
    form.m_strName = u"القاهرة"_s;
    const CCityDlg english; // the template's rectangles, unmirrored
    const auto was = [&](int id) { return FindControl(&english, id)->geometry(); };
    RunModal<CCityDlg>(form, [&](CCityDlg* f) {
        const auto at = [f](int id) { return FindControl(f, id)->geometry(); };
        // Label and edit change places: exactly in the degree and minute
        // rows; in the name and time-zone rows each keeps its width, the
        // label ending where the edit ended.
        const int d = std::abs(was(kNameEdit).width() - was(kNameLabel).width());
        for (const auto& [label, edit, grow] :
             {std::tuple{kNameLabel, kNameEdit, d}, std::tuple{kTimeZoneLabel, kTimeZoneEdit, d},
              std::tuple{kLonDegreeLabel, kLonDegreeEdit, 0}, std::tuple{kLonMinuteLabel, kLonMinuteEdit, 0},
              std::tuple{kLatDegreeLabel, kLatDegreeEdit, 0}, std::tuple{kLatMinuteLabel, kLatMinuteEdit, 0}}) {
            EXPECT_EQ(at(label), was(edit).adjusted(grow, 0, 0, 0)) << label;
            EXPECT_EQ(at(edit), was(label).adjusted(0, 0, grow, 0)) << edit;
        }
        // Buttons: Cancel where Read GPS was, OK after the same gap, Read
        // GPS ending where Cancel ended.
        EXPECT_EQ(at(kCancelButton).x(), was(kReadGPSButton).x());
        EXPECT_EQ(at(kOKButton).x() - at(kCancelButton).right(), was(kCancelButton).x() - was(kOKButton).right());
        EXPECT_EQ(at(kReadGPSButton).right(), was(kCancelButton).right());
        EXPECT_EQ(f->Edit(kNameEdit)->layoutDirection(), Qt::RightToLeft);
        EXPECT_EQ(f->Radio(kEast)->layoutDirection(), Qt::RightToLeft);
        ExpectShaped(f, {{kNameLabel, "city.name"}, {kTimeZoneLabel, "city.timeZone"}, {kLonDegreeLabel, "city.degree"},
                         {kLatMinuteLabel, "city.minute"}, {kLongitudeGroup, "city.longitude"}, {kLatitudeGroup, "city.latitude"},
                         {kSouth, "city.south"}, {kOKButton, "form.ok"}, {kReadGPSButton, "city.readGPS"}});
        SaveScreenshot(f, u"cityform-arabic"_s);
        Press(f, kOKButton);
    });
    EXPECT_EQ(form.m_strName, u"القاهرة"_s) << "the name comes back as typed, unshaped";
}

} // namespace
