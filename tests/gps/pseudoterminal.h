// A pseudo-terminal pair standing in for a GPS receiver on a serial line:
// the code under test opens DevicePath(), the test writes into the other end.
#pragma once

#include <QString>

#include <string>

class CPseudoTerminal {
public:
    // Opens the pair and puts the device side in raw mode at once, so that
    // bytes written before the code under test opens it arrive unchanged.
    CPseudoTerminal();
    ~CPseudoTerminal();
    CPseudoTerminal(const CPseudoTerminal&) = delete;
    CPseudoTerminal& operator=(const CPseudoTerminal&) = delete;

    bool IsValid() const { return m_device >= 0; }
    QString DevicePath() const { return m_path; }
    // Writes every byte, waiting (up to a few seconds) while the line is full.
    bool Write(const std::string& bytes);
    // Writes what the line takes now, without waiting: the count written.
    std::size_t WriteSome(const char* bytes, std::size_t count);
    // Attributes of the device side as the code under test left them.
    int DeviceFd() const { return m_device; }

private:
    int m_master = -1;
    int m_device = -1; // kept open so the line never hangs up between opens
    QString m_path;
};
