// One serial port, opened exclusively and read without waiting.
#pragma once

#include <QString>

#include <cstdint>

// Parity and stop-bit codes of Open, as serial-port settings number them.
enum ComParity { kNoParity = 0, kOddParity = 1, kEvenParity = 2, kMarkParity = 3, kSpaceParity = 4 };
enum ComStopBits { kOneStopBit = 0, kOneAndHalfStopBits = 1, kTwoStopBits = 2 };

// A serial port device (a path such as /dev/ttyUSB0) in raw mode: no echo,
// no line editing, no translation of carriage returns, no flow control,
// DTR and RTS raised. Failures of Open are told to the user through
// CUserMessages unless quiet; LastError keeps the text either way.
class CComPort {
public:
    CComPort();
    virtual ~CComPort(); // closes the port

    // Opens and configures the device. baud in bits per second (a standard
    // rate), byteSize 5 to 8. Returns 1 when the port is open and set up,
    // 0 otherwise. A port that opened but could not be configured stays
    // open until Close, and reads nothing.
    int Open(const QString& device, std::uint32_t baud, int parity, int byteSize, int stopBits, int quiet);
    // Copies what the port has received, at most size bytes, without
    // waiting. Returns the number of bytes, 0 when nothing has arrived or
    // the port is not open and configured.
    int Read(char* buffer, int size);
    void Close();

    bool IsOpen() const { return m_handle >= 0; }
    // 1 after a failed Open, 0 after a successful one.
    int ErrorFlag() const { return m_error; }
    // The message of the last failed Open; empty after success.
    QString LastError() const { return m_lastError; }

private:
    int Fail(const QString& message, bool beep, int quiet);

    int m_error = 0;
    int m_handle = -1; // file descriptor
    std::uint32_t m_baudRate = 0;
    std::uint32_t m_portNumber = 0;
    QString m_lastError;
};
