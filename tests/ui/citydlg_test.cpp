// The city form as a user fills it in: what OK makes of the typed text and
// the hemisphere buttons, how a city's values are shown, the Arabic layout,
// and the Read GPS button over a fixed port list and a pseudo-terminal.
#include "formdriver.h"
#include "pickerdriver.h"

#include "../gps/pseudoterminal.h"
#include "../gps/recordingmessages.h"

#include "gps/comportlist.h"
#include "gps/gpsfix.h"
#include "gps/gpsreaddlg.h"
#include "ui/labels.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

enum { kName = 1116, kTimeZone = 1127, kLonDegree = 1118, kLonMinute = 1119, kLatDegree = 1124, kLatMinute = 1123 };
enum { kEast = 1120, kWest = 1121, kNorth = 1125, kSouth = 1126, kReadGPS = 1103 };

// A port list that is the same on every machine.
class CFixedPorts : public CSerialPortSource {
public:
    explicit CFixedPorts(QList<tagSerialPort> ports) : m_ports(std::move(ports)) { CCityDlg::SetPortSource(this); }
    ~CFixedPorts() override { CCityDlg::SetPortSource(nullptr); }
    QList<tagSerialPort> Ports() const override { return m_ports; }

private:
    QList<tagSerialPort> m_ports;
};

class CFixedClock : public CClock {
public:
    explicit CFixedClock(int seconds) : m_seconds(seconds) { Install(this); }
    ~CFixedClock() override { Install(nullptr); }
    int LocalOffsetSeconds() const override { return m_seconds; }

private:
    int m_seconds;
};

class CityForm : public ::testing::Test {
protected:
    // No receiver unless a test lists one.
    CFixedPorts m_noPorts{{}};
};

// What a user types, with the hemisphere buttons, and what OK stores.
struct tagTyped {
    const char* what;
    const char *timeZone, *lonDegree, *lonMinute, *latDegree, *latMinute;
    int lonButton, latButton;
    double expectTimeZone;
    short expectLonDegree, expectLonMinute, expectLatDegree, expectLatMinute;
};

// Limits: time zone -13.0 to 13.0 hours, minutes -60 to 60, degrees none;
// a leading number is read as atof reads it.
const tagTyped kTyped[] = {
    {"time zone above the limit", "14", "31", "15", "30", "2", kEast, kNorth, 13.0, 31, 15, 30, 2},
    {"time zone below the limit", "-20", "0", "0", "0", "0", kEast, kNorth, -13.0, 0, 0, 0, 0},
    {"quarter-hour zone", "5.75", "0", "0", "0", "0", kEast, kNorth, 5.75, 0, 0, 0, 0},
    {"no number", "abc", "abc", "", "x", "", kEast, kNorth, 0.0, 0, 0, 0, 0},
    {"leading number only", " +3.5h", "12abc", "7", "1", "1", kEast, kNorth, 3.5, 12, 7, 1, 1},
    {"minutes above 60", "0", "1", "75", "1", "99", kEast, kNorth, 0.0, 1, 60, 1, 60},
    {"60 minutes allowed", "0", "1", "60", "1", "60", kEast, kNorth, 0.0, 1, 60, 1, 60},
    {"degrees unlimited", "0", "95", "0", "200", "0", kEast, kNorth, 0.0, 95, 0, 200, 0},
    {"south", "0", "0", "0", "12", "30", kEast, kSouth, 0.0, 0, 0, -12, -30},
    {"west", "-5", "77", "2", "38", "54", kWest, kNorth, -5.0, -77, -2, 38, 54},
    {"west of Greenwich by minutes", "0", "0", "20", "51", "28", kWest, kNorth, 0.0, 0, -20, 51, 28},
    {"degrees beyond 16 bits", "0", "99999", "0", "0", "0", kWest, kNorth, 0.0, -32767, 0, 0, 0},
};

TEST_F(CityForm, OKReadsTheTypedValuesWithinTheirLimits)
{
    for (const tagTyped& row : kTyped) {
        SCOPED_TRACE(row.what);
        CCityDlg form;
        const int result = RunForm<CCityDlg>(form, [&](CCityDlg* f) {
            f->Edit(kName)->setText(QStringLiteral("Somewhere"));
            f->Edit(kTimeZone)->setText(QString::fromLatin1(row.timeZone));
            f->Edit(kLonDegree)->setText(QString::fromLatin1(row.lonDegree));
            f->Edit(kLonMinute)->setText(QString::fromLatin1(row.lonMinute));
            f->Edit(kLatDegree)->setText(QString::fromLatin1(row.latDegree));
            f->Edit(kLatMinute)->setText(QString::fromLatin1(row.latMinute));
            f->Radio(row.lonButton)->setChecked(true);
            f->Radio(row.latButton)->setChecked(true);
            Press(f, 1);
        });
        EXPECT_EQ(result, CCityDlg::kOK);
        EXPECT_EQ(form.m_strName, QStringLiteral("Somewhere"));
        EXPECT_DOUBLE_EQ(form.m_dTimeZone, row.expectTimeZone);
        EXPECT_EQ(form.m_sLonDegree, row.expectLonDegree);
        EXPECT_EQ(form.m_sLonMinute, row.expectLonMinute);
        EXPECT_EQ(form.m_sLatDegree, row.expectLatDegree);
        EXPECT_EQ(form.m_sLatMinute, row.expectLatMinute);
    }
}

TEST_F(CityForm, AngleEditsTakeDigitsOnly)
{
    CCityDlg form;
    RunForm<CCityDlg>(form, [](CCityDlg* f) {
        for (int id : {kLonDegree, kLonMinute, kLatDegree, kLatMinute}) {
            f->Edit(id)->clear();
            QTest::keyClicks(f->Edit(id), QStringLiteral("-1a2.5"));
            EXPECT_EQ(f->Edit(id)->text(), QStringLiteral("125")) << id;
        }
        f->Edit(kTimeZone)->clear();
        QTest::keyClicks(f->Edit(kTimeZone), QStringLiteral("-3.5"));
        EXPECT_EQ(f->Edit(kTimeZone)->text(), QStringLiteral("-3.5")) << "the time zone takes a sign";
        Press(f, 2);
    });
}

// A city's values as the Add page hands them in, and what the form shows.
struct tagShown {
    const char* what;
    double timeZone;
    short lonDegree, lonMinute, latDegree, latMinute;
    const char *showTimeZone, *showLonDegree, *showLonMinute, *showLatDegree, *showLatMinute;
    int lonButton, latButton;
};

const tagShown kShown[] = {
    {"a new city", 0.0, 0, 0, 0, 0, "0.0", "0", "0", "0", "0", kEast, kNorth},
    {"south", 5.5, 31, 15, -12, -30, "5.5", "31", "15", "12", "30", kEast, kSouth},
    {"one negative minute makes it west", -3.5, 0, -20, 51, 28, "-3.5", "0", "20", "51", "28", kWest, kNorth},
    {"south-west", -10.0, -70, -40, -33, -27, "-10.0", "70", "40", "33", "27", kWest, kSouth},
};

TEST_F(CityForm, ShowsMagnitudesWithTheHemisphereChecked)
{
    for (const tagShown& row : kShown) {
        SCOPED_TRACE(row.what);
        CCityDlg form;
        form.m_strName = QStringLiteral("O'Hare");
        form.m_dTimeZone = row.timeZone;
        form.m_sLonDegree = row.lonDegree;
        form.m_sLonMinute = row.lonMinute;
        form.m_sLatDegree = row.latDegree;
        form.m_sLatMinute = row.latMinute;
        RunForm<CCityDlg>(form, [&](CCityDlg* f) {
            EXPECT_EQ(f->Edit(kName)->text(), QStringLiteral("O'Hare"));
            EXPECT_EQ(f->Edit(kTimeZone)->text(), QLatin1String(row.showTimeZone));
            EXPECT_EQ(f->Edit(kLonDegree)->text(), QLatin1String(row.showLonDegree));
            EXPECT_EQ(f->Edit(kLonMinute)->text(), QLatin1String(row.showLonMinute));
            EXPECT_EQ(f->Edit(kLatDegree)->text(), QLatin1String(row.showLatDegree));
            EXPECT_EQ(f->Edit(kLatMinute)->text(), QLatin1String(row.showLatMinute));
            EXPECT_TRUE(f->Radio(row.lonButton)->isChecked());
            EXPECT_FALSE(f->Radio(row.lonButton == kEast ? kWest : kEast)->isChecked());
            EXPECT_TRUE(f->Radio(row.latButton)->isChecked());
            EXPECT_FALSE(f->Radio(row.latButton == kNorth ? kSouth : kNorth)->isChecked());
            Press(f, 1);
        });
        // OK without a change gives back what came in.
        EXPECT_EQ(form.m_sLonDegree, row.lonDegree);
        EXPECT_EQ(form.m_sLonMinute, row.lonMinute);
        EXPECT_EQ(form.m_sLatDegree, row.latDegree);
        EXPECT_EQ(form.m_sLatMinute, row.latMinute);
        EXPECT_DOUBLE_EQ(form.m_dTimeZone, row.timeZone);
    }
}

TEST_F(CityForm, CancelKeepsTheValuesAsTheyWere)
{
    CCityDlg form;
    form.m_strName = QStringLiteral("Cairo");
    form.m_dTimeZone = 2.0;
    form.m_sLonDegree = 31;
    form.m_sLatDegree = 30;
    EXPECT_EQ(RunForm<CCityDlg>(form, [](CCityDlg* f) {
                  f->Edit(kName)->setText(QStringLiteral("changed"));
                  f->Edit(kTimeZone)->setText(QStringLiteral("9"));
                  f->Radio(kSouth)->setChecked(true);
                  Press(f, 2);
              }),
              CCityDlg::kCancel);
    EXPECT_EQ(form.m_strName, QStringLiteral("Cairo"));
    EXPECT_EQ(form.m_dTimeZone, 2.0);
    EXPECT_EQ(form.m_sLatDegree, 30);
}

TEST_F(CityForm, ReadGPSIsEnabledOnlyWithAReceiverPort)
{
    // The search wants "GPS" in the port's name, case and all.
    const struct {
        const char* what;
        QList<tagSerialPort> ports;
        const char* found;
    } rows[] = {
        {"no serial ports", {}, ""},
        {"ports without a receiver", {{"/dev/ttyS0", "", "16550A"}, {"/dev/ttyUSB0", "", "Prolific USB-Serial"}}, ""},
        {"lower-case gps", {{"/dev/ttyACM0", "", "u-blox gps receiver"}}, ""},
        {"a receiver", {{"/dev/ttyS0", "", "16550A"}, {"/dev/ttyACM0", "", "u-blox GPS receiver"}}, "/dev/ttyACM0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        CFixedPorts ports(row.ports);
        CCityDlg form;
        RunForm<CCityDlg>(form, [&](CCityDlg* f) {
            EXPECT_EQ(f->ReadGPSButton()->isEnabled(), *row.found != 0);
            Press(f, 2);
        });
        EXPECT_EQ(form.m_strGPSPortName, QLatin1String(row.found));
    }
}

TEST_F(CityForm, ReadGPSFillsTheFormFromTheReceiver)
{
    CPseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsValid());
    CFixedPorts ports({{terminal.DevicePath(), "", "Test GPS receiver"}});
    CRecordingMessages messages;
    CFixedClock clock(-5 * 3600);
    // 33° 52.128' S, 0° 30' W: as the GPS dialog's own tests read it.
    ASSERT_TRUE(terminal.Write("$GPGGA,120000,3352.128,S,00030.000,W,1,04,1.0,10.0,M,,M,,\r\n"));

    CCityDlg form;
    form.m_strName = QStringLiteral("Here");
    QTimer safetyNet; // ends a reading that never comes, so the test fails instead of hanging
    safetyNet.setSingleShot(true);
    QObject::connect(&safetyNet, &QTimer::timeout, [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* reading = qobject_cast<CGPSReadDlg*>(widget); reading && reading->isVisible())
                reading->reject();
    });
    safetyNet.start(20000);
    RunForm<CCityDlg>(form, [](CCityDlg* f) {
        ASSERT_TRUE(f->ReadGPSButton()->isEnabled());
        f->ReadGPSButton()->click(); // runs the reading dialog to its end
        EXPECT_EQ(f->Edit(kTimeZone)->text(), QStringLiteral("-5.0"));
        EXPECT_TRUE(f->Radio(kSouth)->isChecked());
        EXPECT_TRUE(f->Radio(kWest)->isChecked());
        Press(f, 1);
    });
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Position data recieved successfully."));
    EXPECT_EQ(form.m_sLatDegree, -33);
    EXPECT_EQ(form.m_sLatMinute, -52);
    EXPECT_EQ(form.m_sLonDegree, 0);
    EXPECT_EQ(form.m_sLonMinute, -30);
    EXPECT_DOUBLE_EQ(form.m_dTimeZone, -5.0);
    EXPECT_EQ(form.m_strName, QStringLiteral("Here"));
}

TEST_F(CityForm, EnglishLayoutAsTheTemplateHasIt)
{
    CCityDlg form;
    RunForm<CCityDlg>(form, [](CCityDlg* f) {
        EXPECT_EQ(f->windowTitle(), QStringLiteral("Add City"));
        EXPECT_LT(FindControl(f, 1045)->x(), f->Edit(kName)->x());
        EXPECT_LT(FindControl(f, 1103)->x(), FindControl(f, 1)->x());
        EXPECT_LT(FindControl(f, 1)->x(), FindControl(f, 2)->x());
        EXPECT_FALSE(f->ReadGPSButton()->isEnabled()) << "no receiver in the fixed port list";
        SaveScreenshot(f, QStringLiteral("cityform-english"));
        Press(f, 2);
    });
}

TEST_F(CityForm, ArabicMirrorsTheForm)
{
    const auto shaped = [](const char* key) { return DisplayLabel("", key, 1); };
    CCityDlg form;
    form.m_bArabic = 1;
    form.m_strName = QStringLiteral("القاهرة");
    form.m_dTimeZone = 2.0;
    form.m_sLonDegree = 31;
    form.m_sLonMinute = 14;
    form.m_sLatDegree = 30;
    form.m_sLatMinute = 3;
    const CCityDlg english; // the template's rectangles, unmirrored
    const auto was = [&](int id) { return FindControl(&english, id)->geometry(); };
    RunForm<CCityDlg>(form, [&](CCityDlg* f) {
        const auto at = [f](int id) { return FindControl(f, id)->geometry(); };
        // Name and time-zone rows: each label ends where its edit ended, each
        // edit starts where its label started, both keeping their widths.
        const int d = std::abs(was(1116).width() - was(1045).width());
        for (auto [label, edit] : {std::pair{1045, 1116}, std::pair{1051, 1127}}) {
            EXPECT_EQ(at(label), was(edit).adjusted(d, 0, 0, 0)) << label;
            EXPECT_EQ(at(edit), was(label).adjusted(0, 0, d, 0)) << edit;
        }
        // Buttons: Cancel, OK, then Read GPS at the right end.
        EXPECT_EQ(at(1103).x() + at(1103).width(), was(2).x() + was(2).width());
        EXPECT_EQ(at(2).x(), was(1103).x());
        EXPECT_EQ(at(1).x() - (at(2).x() + at(2).width()), was(2).x() - (was(1).x() + was(1).width()));
        EXPECT_LT(at(2).x(), at(1).x());
        EXPECT_LT(at(1).x(), at(1103).x());
        // Degree and minute rows: label and edit exchange places.
        for (auto [label, edit] : {std::pair{1047, 1118}, std::pair{1048, 1119}, std::pair{1049, 1124}, std::pair{1050, 1123}}) {
            EXPECT_EQ(at(label), was(edit)) << label;
            EXPECT_EQ(at(edit), was(label)) << edit;
        }
        EXPECT_EQ(f->Edit(kName)->layoutDirection(), Qt::RightToLeft);
        EXPECT_EQ(f->Radio(kEast)->layoutDirection(), Qt::RightToLeft);

        EXPECT_EQ(FindControl<QLabel>(f, 1045)->text(), shaped("city.name"));
        EXPECT_EQ(FindControl<QLabel>(f, 1051)->text(), shaped("city.timeZone"));
        EXPECT_EQ(FindControl<QLabel>(f, 1047)->text(), shaped("city.degree"));
        EXPECT_EQ(FindControl<QLabel>(f, 1050)->text(), shaped("city.minute"));
        EXPECT_EQ(FindControl<QGroupBox>(f, 1052)->title(), shaped("city.longitude"));
        EXPECT_EQ(FindControl<QGroupBox>(f, 1053)->title(), shaped("city.latitude"));
        EXPECT_TRUE(TitleAtTheRight(FindControl<QGroupBox>(f, 1052)));
        EXPECT_TRUE(TitleAtTheRight(FindControl<QGroupBox>(f, 1053)));
        EXPECT_EQ(f->Radio(kSouth)->text(), shaped("city.south"));
        EXPECT_EQ(FindControl<QPushButton>(f, 1)->text(), shaped("form.ok"));
        EXPECT_EQ(FindControl<QPushButton>(f, 1103)->text(), shaped("city.readGPS"));
        EXPECT_NE(shaped("city.name"), ArabicLabel("city.name")) << "labels are shaped";
        EXPECT_EQ(f->windowTitle(), QStringLiteral("Add City"));
        SaveScreenshot(f, QStringLiteral("cityform-arabic"));
        Press(f, 1);
    });
    EXPECT_EQ(form.m_strName, QStringLiteral("القاهرة")) << "the name comes back as typed, unshaped";
    EXPECT_EQ(form.m_sLonMinute, 14);
}

} // namespace
