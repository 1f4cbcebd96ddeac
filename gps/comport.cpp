#include "comport.h"

#include "comportlist.h"
#include "common/usermessages.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

const char kNotFound[] = "Communication Port Not Found!\n\n";
const char kNotFoundDetail[] = "The communications port does not exist. Check your system configuration on the "
                               "status of this Communication port";
const char kInUse[] = "\n\n The communications port may be in use at this time. Please choose another port or "
                      "close the application using the desired port.";

speed_t SpeedOf(std::uint32_t baud)
{
    switch (baud) {
    case 50: return B50;
    case 75: return B75;
    case 110: return B110;
    case 134: return B134;
    case 150: return B150;
    case 200: return B200;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 1800: return B1800;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return B0;
    }
}

// The line settings into a terminal's attributes; false for a setting the
// line cannot take. Everything else keeps the value the port reported.
bool SetLine(termios* line, std::uint32_t baud, int parity, int byteSize, int stopBits)
{
    const speed_t speed = SpeedOf(baud);
    if (speed == B0 || cfsetispeed(line, speed) != 0 || cfsetospeed(line, speed) != 0)
        return false;

    line->c_cflag &= ~tcflag_t(CSIZE);
    switch (byteSize) {
    case 5: line->c_cflag |= CS5; break;
    case 6: line->c_cflag |= CS6; break;
    case 7: line->c_cflag |= CS7; break;
    case 8: line->c_cflag |= CS8; break;
    default: return false;
    }

    line->c_cflag &= ~tcflag_t(PARENB | PARODD | CMSPAR);
    switch (parity) {
    case kNoParity: break;
    case kOddParity: line->c_cflag |= PARENB | PARODD; break;
    case kEvenParity: line->c_cflag |= PARENB; break;
    case kMarkParity: line->c_cflag |= PARENB | CMSPAR | PARODD; break;
    case kSpaceParity: line->c_cflag |= PARENB | CMSPAR; break;
    default: return false;
    }

    switch (stopBits) {
    case kOneStopBit: line->c_cflag &= ~tcflag_t(CSTOPB); break;
    case kTwoStopBits: line->c_cflag |= CSTOPB; break;
    default: return false; // one and a half stop bits: no such setting here
    }

    // Binary: no translation of carriage returns or line feeds, no line
    // editing, no echo, no signals from received characters. No software
    // or hardware flow control; the modem lines do not gate reading.
    line->c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    line->c_oflag &= ~tcflag_t(OPOST);
    line->c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    line->c_cflag &= ~tcflag_t(CRTSCTS);
    line->c_cflag |= CREAD | CLOCAL;
    // A read returns at once with whatever is buffered.
    line->c_cc[VMIN] = 0;
    line->c_cc[VTIME] = 0;
    return true;
}

} // namespace

CComPort::CComPort() = default;

CComPort::~CComPort()
{
    Close();
}

int CComPort::Fail(const QString& message, bool beep, int quiet)
{
    m_error = 1;
    m_lastError = message;
    if (!quiet) {
        if (beep)
            CUserMessages::Current().StopBeep();
        CUserMessages::Current().Show(nullptr, CUserMessages::Critical, QString(), message);
    }
    return 0;
}

int CComPort::Open(const QString& device, std::uint32_t baud, int parity, int byteSize, int stopBits, int quiet)
{
    Close();
    m_error = 0;
    m_lastError.clear();
    m_baudRate = baud;
    // Devices here are paths; the number is the one a COMn: name carries.
    m_portNumber = static_cast<std::uint32_t>(CComPortList::PortNumberFromName(device));

    const int handle = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // No sharing: an advisory lock keeps out every other CComPort (and any
    // program that locks the same way), and TIOCEXCL makes the terminal
    // refuse further opens by unprivileged processes.
    int error = handle < 0 ? errno : 0;
    if (handle >= 0 && ::flock(handle, LOCK_EX | LOCK_NB) != 0) {
        error = EBUSY;
        ::close(handle);
    }
    if (error != 0) {
        switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return Fail(QLatin1String(kNotFound) + QLatin1String(kNotFoundDetail), false, quiet);
        case EACCES:
        case EPERM:
        case EBUSY:
            return Fail(QStringLiteral("Access Denied!") + QLatin1String(kInUse), false, quiet);
        default:
            return Fail(QStringLiteral("Comm Open Error![%1]").arg(error) + QLatin1String(kInUse), false, quiet);
        }
    }
    m_handle = handle;

    termios line {};
    if (::tcgetattr(m_handle, &line) != 0)
        return Fail(QStringLiteral("Could not get comm state"), true, quiet);
    if (!SetLine(&line, baud, parity, byteSize, stopBits) || ::tcsetattr(m_handle, TCSANOW, &line) != 0)
        return Fail(QStringLiteral("Could not set communication state"), true, quiet);
    ::ioctl(m_handle, TIOCEXCL);
    // Power a receiver that draws from DTR and RTS. A pseudo-terminal has no
    // modem lines and refuses this; that is no reason to fail.
    const int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(m_handle, TIOCMBIS, &lines);

    // Nothing else to set. Writes (given 1 s elsewhere) never happen here.
    // Line errors arrive inside the data and never stop reading, so there
    // is no error state to clear. The queue sizes are the kernel's: a
    // terminal buffers 4 KiB of input, over 8 s at 4800 baud, far more
    // than one 100 ms read needs; they cannot be set from here.
    return 1;
}

int CComPort::Read(char* buffer, int size)
{
    if (m_handle < 0 || m_error || !buffer || size <= 0)
        return 0;
    const ssize_t count = ::read(m_handle, buffer, static_cast<std::size_t>(size));
    // EAGAIN is the usual "nothing yet"; EIO means the device went away
    // (a receiver unplugged, the other end of a pseudo-terminal closed).
    return count > 0 ? static_cast<int>(count) : 0;
}

void CComPort::Close()
{
    if (m_handle < 0)
        return;
    ::ioctl(m_handle, TIOCNXCL);
    ::close(m_handle); // releases the lock as well
    m_handle = -1;
}
