// CGPSReadDlg and ReadGPSFix end to end: a pseudo-terminal stands in for the
// receiver, a real capture is written into it, and the dialog reads it on its
// timer, 255 bytes a tick. Message boxes are answered by CRecordingMessages.
#include "capture.h"
#include "common/clock.h"
#include "gps/comportlist.h"
#include "ui/gpsreaddlg.h"
#include "pseudoterminal.h"
#include "recordingmessages.h"

#include "bidi/shapetext.h"
#include "resources/controlids.h"
#include "ui/dialogtemplate.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

using namespace Controls::GPSRead;

struct CFixedClock : CClock {
    CFixedClock() { Install(this); }
    ~CFixedClock() override { Install(nullptr); }
    int LocalOffsetSeconds() const override { return 5 * 3600 + 1800; } // 55 tenths
};

// Clicks Cancel of the open reading dialog after ms, unless scope is gone
// by then, so a pending click never reaches a later test's dialog.
void CancelLater(QObject* scope, int ms)
{
    QTimer::singleShot(ms, scope, [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<CGPSReadDlg*>(widget); dialog && dialog->isVisible())
                FindControl<QPushButton>(dialog, kCancelButton)->click();
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
    // Satellites in view shown as the position comes: the last GPGSV in the
    // 255-byte reads up to it (0: none yet, the status unchanged).
    const struct { const char* capture; int arabic, satellites; } rows[] = {
        {"ublox-lea-5h.log", 0, 0}, {"bu353s4.log", 0, 0}, {"GPSmap-76S.log", 0, 0}, {"ch-4711.log", 0, 0},
        {"nl2008u.log", 0, 12}, {"nl2008u.log", 1, 12}};
    CFixedClock clock;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.capture);
        CPseudoTerminal terminal;
        ASSERT_TRUE(terminal.IsValid());
        CRecordingMessages messages;
        ASSERT_TRUE(terminal.Write(ReadCapture(row.capture)));
        CGPSReadDlg dialog(nullptr, terminal.DevicePath(), row.arabic);
        CancelLater(&dialog, 20000); // the dialog must end well before
        auto* status = FindControl<QLabel>(&dialog, kStatus);
        if (row.arabic) {
            EXPECT_EQ(status->text(), Shaped(u" جاري قراءة بيانات GPS "));
            EXPECT_TRUE(status->alignment() & Qt::AlignRight);
            EXPECT_EQ(FindControl<QLabel>(&dialog, kTitle)->text(), Shaped(u"تهيئة وضع  الاحداثيات التلقائيه "));
            EXPECT_EQ(FindControl<QPushButton>(&dialog, kCancelButton)->text(), Shaped(u"الغاء"));
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
        EXPECT_EQ(Fields(dialog.GetFix()), Fields(Capture(row.capture).Fix(55)));
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(messages.shown[0].icon, QMessageBox::Information);
        EXPECT_EQ(messages.shown[0].caption.isEmpty(), !row.arabic) << "the application's name in English";
        if (row.arabic) {
            EXPECT_EQ(messages.shown[0].text, Shaped(u"تم تحديد الموقع بنجاح "));
            EXPECT_EQ(statusShown, Shaped(u"عدد الاقمار الصناعيه المتاحة:12"));
            continue;
        }
        EXPECT_EQ(messages.shown[0].text, QStringLiteral("Position data received successfully."));
        EXPECT_EQ(statusShown, row.satellites ? QStringLiteral("Number of satellites in View:%1").arg(row.satellites)
                                              : QStringLiteral("Reading data from GPS device"));
    }
}

TEST(ReadDialog, MissingPortIsToldOnceThenWaitsForCancel)
{
    CRecordingMessages messages;
    CGPSReadDlg dialog(nullptr, QStringLiteral("/dev/terrafind-no-such-gps"), 0);
    QList<int> progress;
    QObject::connect(FindControl<QProgressBar>(&dialog, kProgress), &QProgressBar::valueChanged, [&](int value) {
        progress.append(value);
        if (progress.size() == 13)
            FindControl<QPushButton>(&dialog, kCancelButton)->click();
    });
    CancelLater(&dialog, 20000);
    EXPECT_EQ(dialog.DoModal(), CGPSReadDlg::kCancel);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].text.startsWith(QLatin1String("Communication Port Not Found!\n\n")));
    // Full in ten ticks, then it starts over.
    EXPECT_EQ(progress, QList<int>({10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 10, 20, 30}));
    // It goes on trying the port at the other speeds, and says so.
    EXPECT_TRUE(FindControl<QLabel>(&dialog, kStatus)->text().startsWith(u"Trying /dev/terrafind-no-such-gps at "));
}

// No limit means waiting for as long as the receiver takes.
TEST(ReadGPSFix, WaitsWithoutLimitForALateReceiver)
{
    CPseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsValid());
    CFixedClock clock;
    const tagCapture& holux = Capture("holux-gm-210.log");
    std::atomic<bool> returned = false;
    std::thread receiver([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        terminal.Write(ReadCapture(holux.file));
        for (int i = 0; i < 200 && !returned; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!returned) { // it would wait forever
            std::fputs("ReadGPSFix found no position in 20 s\n", stderr);
            std::_Exit(1);
        }
    });
    tagGPSFix fix;
    double latitude = 0, longitude = 0;
    QString message;
    const int result = ReadGPSFix(terminal.DevicePath(), -1, &fix, &latitude, &longitude, &message);
    returned = true;
    receiver.join();
    ASSERT_EQ(result, 1) << qPrintable(message);
    EXPECT_EQ(Fields(fix), Fields(holux.Fix(55)));
    EXPECT_NEAR(latitude, holux.Latitude(), 1e-12);
    EXPECT_NEAR(longitude, holux.Longitude(), 1e-12);
    struct : CSerialPortSource {
        QList<tagSerialPort> Ports() const override { return {}; }
    } none;
    CComPortList::InstallSource(&none);
    EXPECT_EQ(ReadGPSFix(QString(), 1000, nullptr, nullptr, nullptr, &message), 0);
    CComPortList::InstallSource(nullptr);
    EXPECT_EQ(message, QStringLiteral("No serial port found."));
}

} // namespace
