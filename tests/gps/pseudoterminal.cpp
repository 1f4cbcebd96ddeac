#include "pseudoterminal.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

CPseudoTerminal::CPseudoTerminal()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        return;
    const char* name = ::ptsname(m_master);
    if (!name)
        return;
    m_path = QString::fromLocal8Bit(name);
    m_device = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios line {};
    if (m_device >= 0 && ::tcgetattr(m_device, &line) == 0) {
        ::cfmakeraw(&line);
        ::tcsetattr(m_device, TCSANOW, &line);
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

CPseudoTerminal::~CPseudoTerminal()
{
    if (m_device >= 0)
        ::close(m_device);
    if (m_master >= 0)
        ::close(m_master);
}

bool CPseudoTerminal::Write(const std::string& bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.data() + written, bytes.size() - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd ready {m_master, POLLOUT, 0};
        if (::poll(&ready, 1, 5000) <= 0)
            return false;
    }
    return true;
}

std::size_t CPseudoTerminal::WriteSome(const char* bytes, std::size_t count)
{
    const ssize_t n = ::write(m_master, bytes, count);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}
