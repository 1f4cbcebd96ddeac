#include "cityfilereader.h"

#include "cityfileindex.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

std::unique_ptr<CCityFileReader> CCityFileReader::Open(const QString& path)
{
    // Read-only, never created; other readers are welcome.
    int descriptor;
    do
        descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0)
        return nullptr;
    return std::unique_ptr<CCityFileReader>(new CCityFileReader(descriptor));
}

CCityFileReader::~CCityFileReader()
{
    ::close(m_descriptor);
}

std::unique_ptr<CCityFileReader> CCityFileReader::Duplicate() const
{
    // The duplicate shares the kernel's file offset, which is harmless:
    // every read names its own offset (pread).
    const int descriptor = ::fcntl(m_descriptor, F_DUPFD_CLOEXEC, 0);
    if (descriptor < 0)
        return nullptr;
    std::unique_ptr<CCityFileReader> duplicate(new CCityFileReader(descriptor));
    duplicate->m_searchIndex = m_searchIndex;
    duplicate->m_grid = m_grid;
    return duplicate;
}

bool CCityFileReader::Fill(std::uint64_t offset)
{
    m_windowStart = offset;
    m_windowSize = 0;
    if (offset > std::uint64_t(INT64_MAX) - kWindowSize)
        return false;
    while (m_windowSize < kWindowSize) {
        const ssize_t got = ::pread(m_descriptor, m_window + m_windowSize, kWindowSize - m_windowSize,
                                    off_t(offset + m_windowSize));
        if (got < 0 && errno == EINTR)
            continue;
        if (got == 0) {
            m_end = offset + m_windowSize;
            break;
        }
        if (got < 0)
            break; // a read error: what arrived so far stands
        m_windowSize += std::size_t(got);
    }
    return true;
}

bool CCityFileReader::Read(void* data, std::size_t count)
{
    if (count > kWindowSize || m_position + count > m_end)
        return false;
    const bool inWindow = m_position >= m_windowStart && m_position - m_windowStart + count <= m_windowSize;
    if (!inWindow && !Fill(m_position))
        return false;
    const std::uint64_t start = m_position - m_windowStart;
    if (start + count > m_windowSize)
        return false; // the file ends first
    std::memcpy(data, m_window + start, count);
    m_position += count;
    return true;
}

bool CCityFileReader::ReadWord(std::uint16_t* word)
{
    unsigned char bytes[2];
    if (!Read(bytes, 2))
        return false;
    *word = std::uint16_t(bytes[0] | bytes[1] << 8);
    return true;
}

bool CCityFileReader::ReadShort(std::int16_t* value)
{
    std::uint16_t word;
    if (!ReadWord(&word))
        return false;
    *value = std::int16_t(word);
    return true;
}
