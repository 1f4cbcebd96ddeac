#include "pseudoterminal.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

CPseudoTerminal::CPseudoTerminal()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    const char* name = m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0 ? ::ptsname(m_master) : nullptr;
    if (!name)
        return;
    m_path = QString::fromLocal8Bit(name);
    m_device = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios line {};
    if (m_device >= 0 && ::tcgetattr(m_device, &line) == 0) {
        ::cfmakeraw(&line);
        ::tcsetattr(m_device, TCSANOW, &line);
    }
}

CPseudoTerminal::~CPseudoTerminal()
{
    for (const int fd : {m_device, m_master})
        if (fd >= 0)
            ::close(fd);
}

bool CPseudoTerminal::Write(const std::string& bytes)
{
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t n = ::write(m_master, bytes.data() + written, bytes.size() - written);
        pollfd ready {m_master, POLLOUT, 0};
        if (n > 0)
            written += static_cast<std::size_t>(n);
        else if (errno != EAGAIN || ::poll(&ready, 1, 5000) <= 0)
            return false;
    }
    return true;
}
