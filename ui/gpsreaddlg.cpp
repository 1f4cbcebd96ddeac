#include "gpsreaddlg.h"

#include "common/clock.h"
#include "common/usermessages.h"
#include "dialogtemplate.h"
#include "gps/gpsdclient.h"
#include "gps/gpsfix.h"
#include "gps/receiversearch.h"
#include "gps/sentenceparser.h"
#include "labels.h"
#include "resources/controlids.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimerEvent>

namespace {

namespace Ids = Controls::GPSRead;

// The progress bar keeps its default range 0 to 100 and step 10: full in
// one second, then it starts over.
constexpr int kProgressStep = 10;
// gpsd on this machine answers at once, and so does its absence.
constexpr int kGpsdConnectMs = 1000;

} // namespace

CGPSReadDlg::CGPSReadDlg(QWidget* parent, const QString& gpsPortName, int arabic, const QList<tagSerialPort>& ports)
    : CModalDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint), m_bArabic(arabic), m_gpsPortName(gpsPortName)
{
    BuildDialog(this, tagDialogTemplate::Load(Ids::kTemplate));
    m_progress = FindControl<QProgressBar>(this, Ids::kProgress);
    m_status = FindControl<QLabel>(this, Ids::kStatus);
    if (auto* cancel = FindControl<QPushButton>(this, Ids::kCancelButton))
        connect(cancel, &QPushButton::clicked, this, [this] { done(kCancel); });
    StartReading(ports);
}

CGPSReadDlg::~CGPSReadDlg() = default; // closes the port, frees the parser

void CGPSReadDlg::StartReading(const QList<tagSerialPort>& ports)
{
    m_timerID = startTimer(100);
    m_gpsd = CGpsdClient::At(DefaultGpsdAddress());
    if (m_gpsd && !m_gpsd->Connect(kGpsdConnectMs))
        m_gpsd.reset();
    // The receiver's own port is read by rule, and a failure to open it is told.
    const bool named = !m_gpsPortName.isEmpty();
    m_search = std::make_unique<CReceiverSearch>(CReceiverSearch::Plan(m_gpsPortName, ports), named, named);
    m_clock.start();
    if (m_progress) {
        m_progress->setRange(0, 100);
        m_progress->setValue(0);
    }
    if (m_bArabic) {
        if (m_status) {
            m_status->setText(ArabicDisplayLabel("gps.reading"));
            // The label reads the text right to left by itself and would then
            // flip a plain AlignRight to the left edge.
            m_status->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignTop);
        }
        if (auto* title = FindControl<QLabel>(this, Ids::kTitle))
            title->setText(ArabicDisplayLabel("gps.title"));
        if (auto* cancel = FindControl<QPushButton>(this, Ids::kCancelButton))
            cancel->setText(ArabicDisplayLabel("gps.cancel"));
    }
}

void CGPSReadDlg::done(int result)
{
    if (m_timerID) {
        killTimer(m_timerID);
        m_timerID = 0;
    }
    QDialog::done(result);
}

void CGPSReadDlg::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timerID && m_timerID)
        OnTimer();
    else
        QDialog::timerEvent(event);
}

void CGPSReadDlg::OnTimer()
{
    // Opens the next port when one is due, then reads. The receiver's port
    // failing to open is told in a message box whose loop keeps the ticks
    // coming: those find the search busy and only step the bar. A gpsd that
    // goes away leaves the ports to be searched.
    if (m_gpsd && !m_gpsd->Poll(0) && !m_gpsd->HasFix())
        m_gpsd.reset();
    if (!m_gpsd)
        m_search->Poll(m_clock.elapsed());
    if (!m_timerID)
        return; // cancelled while a message was up

    if (m_progress) {
        int value = m_progress->value() + kProgressStep;
        if (value > m_progress->maximum())
            value -= m_progress->maximum() - m_progress->minimum();
        m_progress->setValue(value);
    }
    ShowStatus();

    double latitude = 0, longitude = 0;
    if (!Position(&latitude, &longitude))
        return;

    // No tick may run once a position is accepted, not even while the
    // message below is up.
    killTimer(m_timerID);
    m_timerID = 0;
    if (m_bArabic)
        CUserMessages::Current().Show(this, CUserMessages::Information, ArabicDisplayLabel("gps.caption"),
                                      ArabicDisplayLabel("gps.success"));
    else
        CUserMessages::Current().Show(this, CUserMessages::Information, QString(),
                                      QStringLiteral("Position data received successfully."));
    m_latitude = latitude;
    m_longitude = longitude;
    m_fix = MakeGPSFix(m_latitude, m_longitude, CClock::Current().LocalOffsetSeconds());
    done(kOK);
}

bool CGPSReadDlg::Position(double* latitude, double* longitude) const
{
    if (m_gpsd) {
        *latitude = m_gpsd->Latitude();
        *longitude = m_gpsd->Longitude();
        return m_gpsd->HasFix();
    }
    *latitude = m_search->Parser().m_gga.latitude;
    *longitude = m_search->Parser().m_gga.longitude;
    return HasPosition(m_search->Parser());
}

// The satellites in view once a sentence has told them; before that, the
// port and speed being tried until the receiver is heard.
void CGPSReadDlg::ShowStatus()
{
    if (!m_status)
        return;
    const tagPortTrial* trial = m_search->Current();
    QString text;
    const int inView = m_gpsd ? m_gpsd->SatellitesInView() : m_search->Parser().SatellitesInView();
    if (inView != 0)
        text = m_bArabic ? ArabicDisplayLabel("gps.satellites").arg(inView)
                         : QStringLiteral("Number of satellites in View:%1").arg(inView);
    else if (m_gpsd)
        text = m_bArabic ? ArabicDisplayLabel("gps.gpsd").arg(m_gpsd->Device())
                         : QStringLiteral("Reading from gpsd (%1)").arg(m_gpsd->Device());
    else if (trial && !m_search->Found())
        text = m_bArabic ? ArabicDisplayLabel("gps.trying").arg(trial->port).arg(trial->baud)
                         : QStringLiteral("Trying %1 at %2 baud").arg(trial->port).arg(trial->baud);
    else
        text = m_bArabic ? ArabicDisplayLabel("gps.reading") : QStringLiteral("Reading data from GPS device");
    if (m_status->text() != text)
        m_status->setText(text);
}
