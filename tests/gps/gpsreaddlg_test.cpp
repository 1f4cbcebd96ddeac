// CGPSReadDlg and ReadGPSFix end to end: a pseudo-terminal stands in for the
// receiver, a real capture is written into it, and the dialog reads it on its
// timer, 255 bytes a tick. Message boxes are answered by CRecordingMessages; Cancel is clicked
// from a timer inside the dialog's modal loop.
#include "capture.h"
#include "common/clock.h"
#include "ui/gpsreaddlg.h"
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

#include <thread>

namespace {

const QString kNoSuchPort = QStringLiteral("/dev/terrafind-no-such-gps");

struct CFixedClock : CClock {
    explicit CFixedClock(int seconds) : seconds(seconds) { Install(this); }
    ~CFixedClock() override { Install(nullptr); }
    int LocalOffsetSeconds() const override { return seconds; }
    int seconds;
};

// Clicks Cancel of the open reading dialog after ms, unless scope is gone
// by then, so a pending click never reaches a later test's dialog.
void CancelLater(QObject* scope, int ms)
{
    QTimer::singleShot(ms, scope, [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<CGPSReadDlg*>(widget); dialog && dialog->isVisible())
                FindControl<QPushButton>(dialog, 2)->click();
    });
}

QString Shaped(const char16_t* text)
{
    QString shaped;
    ShapeText(QString::fromUtf16(text), shaped, 1);
    return shaped;
}

TEST(ReadDialog, EndsWithTheFirstFix)
{
    // The capture's first good GPGGA position, worked out by hand, and the
    // satellites in view shown when it came: the last GPGSV in the 255-byte
    // reads up to it (0: none yet, the status unchanged).
    const struct { const char* capture; int arabic, gmtSeconds, latDegree, latMinute, north, lonDegree, lonMinute, east, gmtTenths, satellites; } rows[] = {
        {"ublox-lea-5h.log", 0, 3 * 3600, 51, 55, 1, 4, 34, 1, 30, 0},          // 5155.55442 N 00434.65873 E, after no fix
        {"bu353s4.log", 0, 5 * 3600 + 1800, 37, 47, 0, 175, 18, 1, 55, 0},     // 3747.0873 S 17518.8938 E
        {"GPSmap-76S.log", 0, -5 * 3600, 38, 54, 1, 77, 26, 0, -50, 0},        // 3854.5087 N 07726.4523 W
        {"ch-4711.log", 0, -(3 * 3600 + 1800), 55, 43, 1, 37, 24, 1, -35, 14}, // 5543.0326 N 03724.7205 E, quality 0
        {"ch-4711.log", 1, -(3 * 3600 + 1800), 55, 43, 1, 37, 24, 1, -35, 14},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.capture);
        CPseudoTerminal terminal;
        ASSERT_TRUE(terminal.IsValid());
        CRecordingMessages messages;
        CFixedClock clock(row.gmtSeconds);
        ASSERT_TRUE(terminal.Write(ReadCapture(QString::fromLatin1(row.capture))));
        CGPSReadDlg dialog(nullptr, terminal.DevicePath(), row.arabic);
        CancelLater(&dialog, 20000); // the dialog must end well before
        auto* status = FindControl<QLabel>(&dialog, 1030);
        if (row.arabic) {
            EXPECT_EQ(status->text(), Shaped(u" جاري قراءة بيانات GPS "));
            EXPECT_TRUE(status->alignment() & Qt::AlignRight);
            EXPECT_EQ(FindControl<QLabel>(&dialog, 1029)->text(), Shaped(u"تهيئة وضع  الاحداثيات التلقائيه "));
            EXPECT_EQ(FindControl<QPushButton>(&dialog, 2)->text(), Shaped(u"الغاء"));
        }
        QString statusShown;
        messages.onShow = [&] {
            statusShown = status->text();
            // What the user sees as the position arrives, for anyone to look at.
            QDir().mkpath(QStringLiteral(TERRAFIND_BINARY_DIR "/screenshots"));
            dialog.grab().save(QStringLiteral(TERRAFIND_BINARY_DIR "/screenshots/gps-read-%1.png")
                                   .arg(row.arabic ? QStringLiteral("arabic") : QStringLiteral("english")));
        };
        ASSERT_EQ(dialog.DoModal(), CGPSReadDlg::kOK);

        const tagGPSFix fix = dialog.GetFix();
        EXPECT_EQ(std::tuple(fix.wLatDegree, fix.wLatMinute, fix.wNorth, fix.wLonDegree, fix.wLonMinute, fix.wEast, fix.sGmtTenths),
                  std::tuple(row.latDegree, row.latMinute, row.north, row.lonDegree, row.lonMinute, row.east, row.gmtTenths));
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(messages.shown[0].icon, QMessageBox::Information);
        EXPECT_EQ(messages.shown[0].caption.isEmpty(), !row.arabic) << "the application's name in English";
        if (row.arabic) {
            EXPECT_EQ(messages.shown[0].text, Shaped(u"تم تحديد الموقع بنجاح "));
            EXPECT_EQ(statusShown, Shaped(u"عدد الاقمار الصناعيه المتاحة:14"));
            continue;
        }
        EXPECT_EQ(messages.shown[0].text, QStringLiteral("Position data recieved successfully."));
        EXPECT_EQ(statusShown, row.satellites ? QStringLiteral("Number of satellites in View:%1").arg(row.satellites)
                                              : QStringLiteral("Reading data from GPS device"));
    }
}

TEST(ReadDialog, MissingPortIsToldOnceThenWaitsForCancel)
{
    CRecordingMessages messages;
    CGPSReadDlg dialog(nullptr, kNoSuchPort, 0);
    QList<int> progress;
    QObject::connect(FindControl<QProgressBar>(&dialog, 1031), &QProgressBar::valueChanged, [&](int value) {
        progress.append(value);
        if (progress.size() == 13)
            FindControl<QPushButton>(&dialog, 2)->click();
    });
    CancelLater(&dialog, 20000);
    EXPECT_EQ(dialog.DoModal(), CGPSReadDlg::kCancel);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].text.startsWith(QLatin1String("Communication Port Not Found!\n\n")));
    EXPECT_EQ(messages.shown[0].icon, QMessageBox::Critical);
    // Full in ten ticks, then it starts over.
    EXPECT_EQ(progress, QList<int>({10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 10, 20, 30}));
    EXPECT_EQ(FindControl<QLabel>(&dialog, 1030)->text(), QStringLiteral("Reading data from GPS device"));
}

// The city form's controls, built from its real template (105), showing
// west and south: Cancel leaves them alone, a fix fills them.
TEST(CityForm, ReadGPSFillsTheControlsUnlessCancelled)
{
    QWidget form;
    BuildDialog(&form, tagDialogTemplate::Load(105));
    FindControl<QRadioButton>(&form, 1121)->setChecked(true);
    FindControl<QRadioButton>(&form, 1126)->setChecked(true);
    const auto state = [&form] {
        QStringList state;
        for (int id : {1127, 1118, 1119, 1124, 1123})
            state << FindControl<QLineEdit>(&form, id)->text();
        for (int id : {1120, 1121, 1125, 1126})
            state << QString::number(FindControl<QRadioButton>(&form, id)->isChecked());
        return state;
    };
    const QStringList before = state();
    CRecordingMessages messages;
    CancelLater(&form, 300);
    EXPECT_EQ(ReadGPSIntoCityForm(&form, kNoSuchPort, 0), CGPSReadDlg::kCancel);
    EXPECT_EQ(state(), before);

    CPseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsValid());
    CFixedClock clock(3 * 3600 + 1800);
    ASSERT_TRUE(terminal.Write(ReadCapture(QStringLiteral("ublox-lea-5h.log"))));
    CancelLater(&form, 20000);
    EXPECT_EQ(ReadGPSIntoCityForm(&form, terminal.DevicePath(), 0), CGPSReadDlg::kOK);
    // 5155.55442 N 00434.65873 E, +3:30; the radio buttons E, W, N, S.
    EXPECT_EQ(state(), QStringList({"3.5", "4", "34", "51", "55", "1", "0", "1", "0"}));
}

// No limit means waiting for as long as the receiver takes; the fix reads
// the offset through the installed clock.
TEST(ReadGPSFix, WaitsWithoutLimitForALateReceiver)
{
    CPseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsValid());
    CFixedClock clock(4 * 3600 + 1800);
    std::thread receiver([&terminal] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        terminal.Write("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n");
    });
    tagGPSFix fix;
    double latitude = 0, longitude = 0;
    QString message;
    const int result = ReadGPSFix(terminal.DevicePath(), -1, &fix, &latitude, &longitude, &message);
    receiver.join();
    ASSERT_EQ(result, 1) << qPrintable(message);
    EXPECT_NEAR(latitude, 48.1173, 1e-12);
    EXPECT_NEAR(longitude, 11 + 31.0 / 60, 1e-12);
    EXPECT_EQ(std::tuple(fix.wLatDegree, fix.wLatMinute, fix.wLonMinute, fix.sGmtTenths), std::tuple(48, 7, 31, 45));
    EXPECT_EQ(ReadGPSFix(QString(), 1000, nullptr, nullptr, nullptr, &message), 0);
    EXPECT_EQ(message, QStringLiteral("No GPS port: no serial port has \"GPS\" in its name."));
}

} // namespace
