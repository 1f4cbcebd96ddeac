#include "gpsreaddlg.h"

#include "common/clock.h"
#include "common/usermessages.h"
#include "dialogtemplate.h"
#include "gps/comport.h"
#include "gps/gpsfix.h"
#include "gps/sentenceparser.h"
#include "labels.h"
#include "resources/controlids.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimerEvent>

namespace {

namespace Ids = Controls::GPSRead;

// The progress bar keeps its default range 0 to 100 and step 10: full in
// one second, then it starts over.
constexpr int kProgressStep = 10;

} // namespace

CGPSReadDlg::CGPSReadDlg(QWidget* parent, const QString& gpsPortName, int arabic)
    : CModalDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint), m_bArabic(arabic), m_gpsPortName(gpsPortName)
{
    BuildDialog(this, tagDialogTemplate::Load(Ids::kTemplate));
    m_progress = FindControl<QProgressBar>(this, Ids::kProgress);
    m_status = FindControl<QLabel>(this, Ids::kStatus);
    if (auto* cancel = FindControl<QPushButton>(this, Ids::kCancelButton))
        connect(cancel, &QPushButton::clicked, this, [this] { done(kCancel); });
    StartReading();
}

CGPSReadDlg::~CGPSReadDlg() = default; // closes the port, frees the parser

void CGPSReadDlg::StartReading()
{
    m_timerID = startTimer(100);
    m_port = std::make_unique<CComPort>();
    m_parser = std::make_unique<CSentenceParser>();
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
    // Set before opening: a failure's message box keeps the ticks coming,
    // and none of them may try again.
    if (!m_opened) {
        m_opened = 1;
        m_port->Open(m_gpsPortName, 4800, kNoParity, 8, kOneStopBit, 0);
        if (!m_timerID)
            return; // cancelled while the message was up
    }

    if (m_progress) {
        int value = m_progress->value() + kProgressStep;
        if (value > m_progress->maximum())
            value -= m_progress->maximum() - m_progress->minimum();
        m_progress->setValue(value);
    }

    char buffer[255];
    const int count = m_port->Read(buffer, sizeof buffer);
    m_parser->ParseBuffer(buffer, static_cast<std::size_t>(count));

    if (const int inView = m_parser->m_gsv.satellitesInView; inView != 0 && m_status) {
        m_status->setText(m_bArabic ? ArabicDisplayLabel("gps.satellites").arg(inView)
                                    : QStringLiteral("Number of satellites in View:%1").arg(inView));
    }

    if (!HasPosition(*m_parser))
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
                                      QStringLiteral("Position data recieved successfully."));
    m_fix = MakeGPSFix(m_parser->m_gga.latitude, m_parser->m_gga.longitude, CClock::Current().LocalOffsetSeconds());
    done(kOK);
}

int ReadGPSIntoCityForm(QWidget* form, const QString& gpsPortName, int arabic)
{
    namespace City = Controls::City;
    tagGPSFix fix;
    {
        CGPSReadDlg dialog(form, gpsPortName, arabic);
        if (dialog.DoModal() != CGPSReadDlg::kOK)
            return CGPSReadDlg::kCancel;
        fix = dialog.GetFix();
    }
    const auto setText = [form](int id, const QString& text) {
        if (auto* edit = FindControl<QLineEdit>(form, id))
            edit->setText(text);
    };
    const auto check = [form](int on, int off) {
        if (auto* button = FindControl<QRadioButton>(form, on))
            button->setChecked(true);
        if (auto* button = FindControl<QRadioButton>(form, off))
            button->setChecked(false);
    };
    setText(City::kTimeZoneEdit, QString::asprintf("%.1f", fix.sGmtTenths * 0.1));
    setText(City::kLatDegreeEdit, QString::number(fix.wLatDegree));
    setText(City::kLatMinuteEdit, QString::number(fix.wLatMinute));
    setText(City::kLonDegreeEdit, QString::number(fix.wLonDegree));
    setText(City::kLonMinuteEdit, QString::number(fix.wLonMinute));
    if (fix.wNorth)
        check(City::kNorth, City::kSouth);
    else
        check(City::kSouth, City::kNorth);
    if (fix.wEast)
        check(City::kEast, City::kWest);
    else
        check(City::kWest, City::kEast);
    return CGPSReadDlg::kOK;
}
