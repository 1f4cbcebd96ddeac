// CGPSReadDlg end to end: a pseudo-terminal stands in for the receiver, a
// real capture is streamed into it, and the dialog reads it on its timer.
// Message boxes are answered by CRecordingMessages; Cancel is clicked from
// a timer inside the dialog's modal loop.
#include "capture.h"
#include "gps/gpsfix.h"
#include "gps/gpsreaddlg.h"
#include "pseudoterminal.h"
#include "recordingmessages.h"

#include "bidi/shapetext.h"
#include "ui/dialogtemplate.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Streams bytes into the terminal from the event loop, as fast as the line
// takes them, the way a receiver keeps sending while the dialog reads.
class CReplay {
public:
    CReplay(CPseudoTerminal& terminal, std::string bytes) : m_terminal(terminal), m_bytes(std::move(bytes))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_written += m_terminal.WriteSome(m_bytes.data() + m_written, std::min<std::size_t>(m_bytes.size() - m_written, 512));
            if (m_written == m_bytes.size())
                m_timer.stop();
        });
        m_timer.start(5);
    }

private:
    CPseudoTerminal& m_terminal;
    std::string m_bytes;
    std::size_t m_written = 0;
    QTimer m_timer;
};

class CFixedClock : public CClock {
public:
    explicit CFixedClock(int seconds) : m_seconds(seconds) { Install(this); }
    ~CFixedClock() override { Install(nullptr); }
    int LocalOffsetSeconds() const override { return m_seconds; }

private:
    int m_seconds;
};

CGPSReadDlg* OpenReadDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<CGPSReadDlg*>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

// Clicks Cancel of the open reading dialog after delay ms, and notes what
// the dialog showed at that moment. Scoped: a pending click dies with the
// test that set it up and never reaches a later test's dialog.
class CCancelLater {
public:
    explicit CCancelLater(int delay, QString* status = nullptr, int* progress = nullptr)
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [=] {
            CGPSReadDlg* dialog = OpenReadDialog();
            ASSERT_NE(dialog, nullptr);
            if (status)
                *status = FindControl<QLabel>(dialog, 1030)->text();
            if (progress)
                *progress = FindControl<QProgressBar>(dialog, 1031)->value();
            FindControl<QPushButton>(dialog, 2)->click();
        });
        m_timer.start(delay);
    }

private:
    QTimer m_timer;
};

void SaveScreenshot(QWidget* widget, const QString& name)
{
    const QString directory = QStringLiteral(TERRAFIND_BINARY_DIR "/screenshots");
    QDir().mkpath(directory);
    widget->grab().save(directory + QLatin1Char('/') + name);
}

QString Shaped(const QString& text)
{
    QString shaped = text;
    ShapeText(text, shaped, 1);
    return shaped;
}

struct ReadRow {
    const char* capture;
    int gmtSeconds;
    // The capture's first good GPGGA position, worked out by hand.
    int latDegree, latMinute, north, lonDegree, lonMinute, east;
    int gmtTenths;
    // Satellites in view shown when the position came: the last GPGSV in
    // the 255-byte reads up to it (0: none yet, the status is unchanged).
    int satellites;
};

class ReadDialog : public testing::TestWithParam<ReadRow> {};

TEST_P(ReadDialog, EndsWithTheFirstFix)
{
    const ReadRow& row = GetParam();
    CPseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsValid());
    CRecordingMessages messages;
    CFixedClock clock(row.gmtSeconds);
    CReplay replay(terminal, ReadCapture(QString::fromLatin1(row.capture)));
    CCancelLater safetyNet(20000); // the dialog must end well before

    CGPSReadDlg dialog(nullptr, terminal.DevicePath(), 0);
    QString satellitesShown;
    messages.onShow = [&] { satellitesShown = FindControl<QLabel>(&dialog, 1030)->text(); };
    ASSERT_EQ(dialog.DoModal(), CGPSReadDlg::kOK);

    const tagGPSFix fix = dialog.GetFix();
    EXPECT_EQ(fix.wLatDegree, row.latDegree);
    EXPECT_EQ(fix.wLatMinute, row.latMinute);
    EXPECT_EQ(fix.wNorth, row.north);
    EXPECT_EQ(fix.wLonDegree, row.lonDegree);
    EXPECT_EQ(fix.wLonMinute, row.lonMinute);
    EXPECT_EQ(fix.wEast, row.east);
    EXPECT_EQ(fix.sGmtTenths, row.gmtTenths);

    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].icon, QMessageBox::Information);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Position data recieved successfully."));
    EXPECT_EQ(messages.beeps, 0);
    if (row.satellites)
        EXPECT_EQ(satellitesShown, QStringLiteral("Number of satellites in View:%1").arg(row.satellites));
    else
        EXPECT_EQ(satellitesShown, QStringLiteral("Reading data from GPS device"));
}

INSTANTIATE_TEST_SUITE_P(GPS, ReadDialog, testing::Values(
    // 5155.55442 N 00434.65873 E after a stretch without a fix, when the
    // receiver still reports no satellites in view.
    ReadRow{"ublox-lea-5h.log", 3 * 3600, 51, 55, 1, 4, 34, 1, 30, 0},
    // 3747.0873 S 17518.8938 E, the capture's very first sentence.
    ReadRow{"bu353s4.log", 5 * 3600 + 1800, 37, 47, 0, 175, 18, 1, 55, 0},
    // 3854.5087 N 07726.4523 W
    ReadRow{"GPSmap-76S.log", -5 * 3600, 38, 54, 1, 77, 26, 0, -50, 0},
    // 5543.0326 N 03724.7205 E, fix quality 0, after 2 kB of sentences
    // without a position; 14 satellites in view by then.
    ReadRow{"ch-4711.log", -(3 * 3600 + 1800), 55, 43, 1, 37, 24, 1, -35, 14}),
    [](const testing::TestParamInfo<ReadRow>& info) { return "row" + std::to_string(info.index); });

TEST(ReadDialog, MissingPortIsToldOnceThenWaitsForCancel)
{
    CRecordingMessages messages;
    QString status;
    int progress = -1;
    CCancelLater cancel(1550, &status, &progress); // past fifteen ticks
    CGPSReadDlg dialog(nullptr, QStringLiteral("/dev/terrafind-no-such-gps"), 0);
    EXPECT_EQ(dialog.DoModal(), CGPSReadDlg::kCancel);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].text.startsWith(QLatin1String("Communication Port Not Found!\n\n")));
    EXPECT_EQ(messages.shown[0].icon, QMessageBox::Critical);
    EXPECT_EQ(status, QStringLiteral("Reading data from GPS device"));
    EXPECT_GT(progress, 0) << "the bar keeps stepping while the dialog waits";
    EXPECT_EQ(progress % 10, 0);
    const tagGPSFix fix = dialog.GetFix();
    EXPECT_EQ(fix.wLatDegree + fix.wLonDegree + fix.wNorth + fix.wEast + fix.sGmtTenths, 0);
}

TEST(ReadDialog, OnlyRMCNeverEndsTheWait)
{
    CPseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsValid());
    CRecordingMessages messages;
    std::string rmc;
    for (int i = 0; i < 20; ++i)
        rmc += "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";
    CReplay replay(terminal, rmc);
    CCancelLater cancel(800);
    CGPSReadDlg dialog(nullptr, terminal.DevicePath(), 0);
    EXPECT_EQ(dialog.DoModal(), CGPSReadDlg::kCancel);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST(ReadDialog, ProgressFillsInTenTicksAndStartsOver)
{
    CRecordingMessages messages;
    CGPSReadDlg dialog(nullptr, QStringLiteral("/dev/terrafind-no-such-gps"), 0);
    auto* bar = FindControl<QProgressBar>(&dialog, 1031);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    QList<int> values;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        values.append(value);
        if (values.size() == 13)
            dialog.reject();
    });
    CCancelLater safetyNet(20000);
    EXPECT_EQ(dialog.DoModal(), CGPSReadDlg::kCancel);
    EXPECT_EQ(values, QList<int>({10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 10, 20, 30}));
}

TEST(ReadDialog, ArabicTexts)
{
    CRecordingMessages messages;
    CPseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsValid());
    CReplay replay(terminal, ReadCapture(QStringLiteral("ch-4711.log")));
    CCancelLater safetyNet(20000);
    CGPSReadDlg dialog(nullptr, terminal.DevicePath(), 1);
    auto* status = FindControl<QLabel>(&dialog, 1030);
    EXPECT_EQ(status->text(), Shaped(QString::fromUtf16(u" جاري قراءة بيانات GPS ")));
    EXPECT_TRUE(status->alignment() & Qt::AlignRight);
    EXPECT_EQ(FindControl<QLabel>(&dialog, 1029)->text(), Shaped(QString::fromUtf16(u"تهيئة وضع  الاحداثيات التلقائيه ")));
    EXPECT_EQ(FindControl<QPushButton>(&dialog, 2)->text(), Shaped(QString::fromUtf16(u"الغاء")));
    SaveScreenshot(&dialog, QStringLiteral("gps-read-arabic.png"));

    QString satellitesShown;
    messages.onShow = [&] { satellitesShown = status->text(); };
    ASSERT_EQ(dialog.DoModal(), CGPSReadDlg::kOK);
    EXPECT_EQ(satellitesShown, Shaped(QString::fromUtf16(u"عدد الاقمار الصناعيه المتاحة:14")));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, Shaped(QString::fromUtf16(u"تم تحديد الموقع بنجاح ")));
    EXPECT_FALSE(messages.shown[0].caption.isEmpty());
}

TEST(ReadDialog, EnglishScreenshot)
{
    CGPSReadDlg dialog(nullptr, QString(), 0);
    EXPECT_EQ(FindControl<QLabel>(&dialog, 1029)->text(), QStringLiteral("Initializing Automatic City mode"));
    SaveScreenshot(&dialog, QStringLiteral("gps-read-english.png"));
}

// The city form's controls, built from its real template (105).
class CityForm : public testing::Test {
protected:
    void SetUp() override
    {
        BuildDialog(&form, CDialogTemplate::Load(105));
        // What the form showed before: 1°2' W, 3°4' S, time zone 9.5.
        Edit(1127)->setText(QStringLiteral("9.5"));
        Edit(1118)->setText(QStringLiteral("1"));
        Edit(1119)->setText(QStringLiteral("2"));
        Edit(1124)->setText(QStringLiteral("3"));
        Edit(1123)->setText(QStringLiteral("4"));
        Radio(1121)->setChecked(true);
        Radio(1126)->setChecked(true);
    }
    QLineEdit* Edit(int id) { return FindControl<QLineEdit>(&form, id); }
    QRadioButton* Radio(int id) { return FindControl<QRadioButton>(&form, id); }
    QStringList State()
    {
        QStringList state;
        for (int id : {1127, 1118, 1119, 1124, 1123})
            state << Edit(id)->text();
        for (int id : {1120, 1121, 1125, 1126})
            state << QString::number(Radio(id)->isChecked());
        return state;
    }

    QWidget form;
};

TEST_F(CityForm, ReadGPSFillsTheControls)
{
    CPseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsValid());
    CRecordingMessages messages;
    CFixedClock clock(3 * 3600 + 1800); // +3:30 → 35 tenths → "3.5"
    CReplay replay(terminal, ReadCapture(QStringLiteral("ublox-lea-5h.log")));
    CCancelLater safetyNet(20000);
    EXPECT_EQ(ReadGPSIntoCityForm(&form, terminal.DevicePath(), 0), CGPSReadDlg::kOK);
    // 5155.55442 N 00434.65873 E
    EXPECT_EQ(State(), QStringList({"3.5", "4", "34", "51", "55", "1", "0", "1", "0"}));
}

TEST_F(CityForm, SouthWestAndNegativeZone)
{
    CPseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsValid());
    CRecordingMessages messages;
    CFixedClock clock(-5 * 3600);
    Radio(1120)->setChecked(true);
    Radio(1125)->setChecked(true);
    CReplay replay(terminal, "$GPGGA,120000,3352.128,S,00030.000,W,1,04,1.0,10.0,M,,M,,\r\n");
    CCancelLater safetyNet(20000);
    EXPECT_EQ(ReadGPSIntoCityForm(&form, terminal.DevicePath(), 0), CGPSReadDlg::kOK);
    EXPECT_EQ(State(), QStringList({"-5.0", "0", "30", "33", "52", "0", "1", "0", "1"}));
}

TEST_F(CityForm, CancelChangesNothing)
{
    CRecordingMessages messages;
    const QStringList before = State();
    CCancelLater cancel(300);
    EXPECT_EQ(ReadGPSIntoCityForm(&form, QStringLiteral("/dev/terrafind-no-such-gps"), 0), CGPSReadDlg::kCancel);
    EXPECT_EQ(State(), before);
}

} // namespace
