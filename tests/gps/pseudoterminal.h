// A pseudo-terminal pair standing in for a GPS receiver on a serial line:
// the code under test opens DevicePath(), the test writes into the other end.
#pragma once

#include <QString>

#include <string>

class CPseudoTerminal {
public:
    // The device side is raw from the start, so bytes written before the
    // code under test opens it arrive unchanged.
    CPseudoTerminal();
    ~CPseudoTerminal();
    CPseudoTerminal(const CPseudoTerminal&) = delete;
    CPseudoTerminal& operator=(const CPseudoTerminal&) = delete;

    bool IsValid() const { return m_device >= 0; }
    QString DevicePath() const { return m_path; }
    // The device side, kept open so the line never hangs up between opens.
    int DeviceFd() const { return m_device; }
    // Writes every byte, waiting up to 5 s at a time while the line is full.
    bool Write(const std::string& bytes);

private:
    int m_master = -1;
    int m_device = -1;
    QString m_path;
};
