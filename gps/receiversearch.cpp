#include "receiversearch.h"

#include "comport.h"
#include "gpsfix.h"
#include "sentenceparser.h"

#include <algorithm>

namespace {

constexpr int kReadSize = 255;

bool IsHexDigit(char c, std::uint8_t* value)
{
    if (c >= '0' && c <= '9')
        *value = std::uint8_t(c - '0');
    else if (c >= 'A' && c <= 'F')
        *value = std::uint8_t(c - 'A' + 10);
    else
        return false;
    return true;
}

bool IsUsb(const tagSerialPort& port)
{
    return port.portName.contains(QLatin1String("ttyUSB")) || port.portName.contains(QLatin1String("ttyACM"))
        || port.driverKey.contains(QLatin1String("usb"), Qt::CaseInsensitive);
}

} // namespace

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
void CSentenceDetector::Feed(const char* data, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const char c = data[i];
        if (c == '$') { // a sentence starts, whatever came before
            m_state = kName;
            m_sum = 0;
            m_length = 0;
            continue;
        }
        switch (m_state) {
        case kIdle:
            break;
        case kName:
            if (((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) && m_length < 7) {
                ++m_length;
                m_sum ^= std::uint8_t(c);
            } else if (c == ',' && m_length >= 2) {
                m_sum ^= std::uint8_t(c);
                m_length = 0;
                m_state = kBody;
            } else {
                m_state = kIdle;
            }
            break;
        case kBody:
            // 82 characters at most from "$" to the line end.
            if (c == '*')
                m_state = kHigh;
            else if (c >= ' ' && c <= '~' && ++m_length <= 72)
                m_sum ^= std::uint8_t(c);
            else
                m_state = kIdle;
            break;
        case kHigh:
            m_state = IsHexDigit(c, &m_high) ? kLow : kIdle;
            break;
        case kLow: {
            std::uint8_t low;
            if (IsHexDigit(c, &low) && std::uint8_t(m_high << 4 | low) == m_sum)
                ++m_count;
            m_state = kIdle;
            break;
        }
        }
    }
}

QList<tagPortTrial> CReceiverSearch::Plan(const QString& firstPort, const QList<tagSerialPort>& ports)
{
    QList<tagPortTrial> trials;
    if (!firstPort.isEmpty())
        trials.append({firstPort, kSpeeds[0]});
    QList<tagSerialPort> order = ports;
    std::stable_sort(order.begin(), order.end(), [&](const tagSerialPort& a, const tagSerialPort& b) {
        const auto rank = [&](const tagSerialPort& p) { return p.portName == firstPort ? 0 : IsUsb(p) ? 1 : 2; };
        return rank(a) < rank(b);
    });
    if (!firstPort.isEmpty() && std::none_of(order.begin(), order.end(), [&](const tagSerialPort& p) { return p.portName == firstPort; }))
        order.prepend({firstPort, {}, {}});
    for (const tagSerialPort& port : order)
        for (const std::uint32_t baud : kSpeeds)
            if (!(port.portName == firstPort && baud == kSpeeds[0]) && !port.portName.isEmpty())
                trials.append({port.portName, baud});
    return trials;
}

CReceiverSearch::CReceiverSearch(QList<tagPortTrial> trials, bool firstByRule, bool tellFirstFailure)
    : m_trials(std::move(trials)), m_port(std::make_unique<CComPort>()), m_parser(std::make_unique<CSentenceParser>()),
      m_firstByRule(firstByRule), m_tellFirstFailure(tellFirstFailure)
{
}

CReceiverSearch::~CReceiverSearch() = default;

const tagPortTrial* CReceiverSearch::Current() const
{
    return m_index >= 0 && m_index < m_trials.size() ? &m_trials[m_index] : nullptr;
}

bool CReceiverSearch::PortOpen() const
{
    return m_port->IsOpen() && !m_port->ErrorFlag();
}

void CReceiverSearch::Next(std::int64_t nowMs)
{
    if (++m_index >= m_trials.size()) {
        m_index = 0;
        if (!m_openedThisRound)
            ++m_roundsWithoutOpen;
        m_openedThisRound = false;
    }
    m_heard.clear();
    m_detector = {};
    m_parser = std::make_unique<CSentenceParser>();
    const tagPortTrial& trial = m_trials[m_index];
    const bool first = !m_attempted;
    m_attempted = true;
    const bool opened = m_port->Open(trial.port, trial.baud, kNoParity, 8, kOneStopBit, first && m_tellFirstFailure ? 0 : 1);
    if (first && !opened)
        m_firstError = m_port->LastError();
    m_openedThisRound = m_openedThisRound || opened;
    // A port that did not open has nothing to say: the next one is tried at once.
    m_endMs = opened ? nowMs + kListenMs : nowMs;
}

void CReceiverSearch::Parse(const QByteArray& bytes)
{
    for (qsizetype at = 0; at < bytes.size() && !HasPosition(*m_parser); at += kReadSize) {
        const QByteArray piece = bytes.mid(at, kReadSize);
        m_parser->ParseBuffer(piece.constData(), std::size_t(piece.size()));
    }
}

int CReceiverSearch::Poll(std::int64_t nowMs)
{
    if (m_trials.isEmpty() || m_busy)
        return 0;
    // Opening may tell a failure in a message box, whose loop runs the
    // caller's timer again: those calls return at once.
    m_busy = true;
    if (!m_found && (m_index < 0 || nowMs >= m_endMs))
        Next(nowMs);
    char buffer[kReadSize];
    const int count = m_port->Read(buffer, kReadSize);
    const QByteArray bytes(buffer, count);
    if (m_found || (m_index == 0 && m_firstByRule))
        Parse(bytes);
    else
        m_heard.append(bytes);
    if (!m_found && count > 0) {
        m_detector.Feed(buffer, std::size_t(count));
        m_found = m_detector.Count() > 0;
        if (m_found) { // the trial's bytes from its start, in reads as the dialog makes them
            Parse(m_heard);
            m_heard.clear();
        }
    }
    m_busy = false;
    return count;
}
