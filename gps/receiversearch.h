// Finding the serial port, and the speed, that a GPS receiver talks on.
#pragma once

#include "comportlist.h"

#include <QByteArray>

#include <cstdint>
#include <memory>

class CComPort;
class CSentenceParser;

// Counts NMEA 0183 sentences with a right checksum in bytes fed in chunks
// of any size: "$", a name of 2 to 7 capital letters or digits, printable
// fields, "*" and two upper-case hex digits giving the XOR of everything
// between "$" and "*". Stricter than the parser, which also takes a
// sentence without a checksum: bytes read at a wrong speed never pass.
class CSentenceDetector {
public:
    void Feed(const char* data, std::size_t count);
    int Count() const { return m_count; }

private:
    enum State { kIdle, kName, kBody, kHigh, kLow };
    State m_state = kIdle;
    int m_length = 0;
    std::uint8_t m_sum = 0, m_high = 0;
    int m_count = 0;
};

// One serial port at one speed.
struct tagPortTrial {
    QString port;
    std::uint32_t baud = 4800;
};

// Listens to each trial in turn until one yields a sentence with a right
// checksum, then stays there. A trial lasts kListenMs, or ends at once when
// its port does not open; after the last the first comes again. Reads never
// wait: Poll is called often (the reading dialog every 100 ms).
//
// The first trial can be the rule's port: a receiver named GPS, read at
// 4800 baud. Its bytes go to the parser as they come, as they always have
// (so that a receiver sending no checksums still gives its position there).
// Any other trial's bytes reach the parser only once a right checksum has
// come, all of them from the start of the trial.
class CReceiverSearch {
public:
    static constexpr int kListenMs = 2000;
    static constexpr std::uint32_t kSpeeds[] = {4800, 9600, 38400};

    // firstPort at 4800 baud first (when not empty); then each port at
    // every speed of kSpeeds: firstPort first, then USB ports (ttyUSB,
    // ttyACM, or a USB driver), then the rest, each group in list order.
    static QList<tagPortTrial> Plan(const QString& firstPort, const QList<tagSerialPort>& ports);

    // firstByRule: the first trial is the rule's port. tellFirstFailure:
    // the first trial's port failing to open is told to the user (the
    // port's Open not quiet), once; every other port opens quietly.
    CReceiverSearch(QList<tagPortTrial> trials, bool firstByRule, bool tellFirstFailure);
    ~CReceiverSearch();

    // Opens the next trial when the current one is over, then reads what
    // its port received, at most 255 bytes, and passes what the parser is
    // to see in reads of at most 255 bytes, stopping at the first that
    // completes a position (HasPosition). Returns the number of bytes read
    // now; 0 also when called again from inside a message of its own.
    int Poll(std::int64_t nowMs);

    // The receiver's sentences so far (a new parser with every trial).
    const CSentenceParser& Parser() const { return *m_parser; }
    // The trial being listened to; null before the first Poll or without trials.
    const tagPortTrial* Current() const;
    bool Found() const { return m_found; }
    // Whether the current trial's port is open and set up.
    bool PortOpen() const;
    // Whether a whole round of trials went by without any port opening;
    // why the first trial's port did not open (empty if it did).
    bool NoPortOpens() const { return m_roundsWithoutOpen > 0; }
    QString FirstError() const { return m_firstError; }

private:
    void Next(std::int64_t nowMs);
    void Parse(const QByteArray& bytes);

    QList<tagPortTrial> m_trials;
    std::unique_ptr<CComPort> m_port;
    std::unique_ptr<CSentenceParser> m_parser;
    CSentenceDetector m_detector;
    QByteArray m_heard;       // the current trial's bytes, until it is found
    qsizetype m_index = -1;   // the current trial
    std::int64_t m_endMs = 0; // when the current trial is over
    bool m_firstByRule;
    bool m_tellFirstFailure;
    bool m_found = false;
    bool m_busy = false;
    bool m_attempted = false;
    bool m_openedThisRound = false;
    int m_roundsWithoutOpen = 0;
    QString m_firstError;
};
