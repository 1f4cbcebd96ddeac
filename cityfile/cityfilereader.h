// The open city file: a read-only handle with a current position.
#pragma once

#include "common/placesource.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>

class CCityFileIndex;

// Every access is a move (absolute, or forward from where the last read
// ended) followed by reads of an exact byte count; a read that cannot
// deliver every byte fails and delivers nothing.
//
// Small reads are served from a window of the file that is refilled with
// one positioned read whenever a read falls outside it, and reads past the
// end, once met, fail without asking the system again. The city file is
// read-only and nothing rewrites it while it is open, so neither goes
// stale, and walking a table costs a few system calls instead of two per
// field.
class CCityFileReader {
public:
    // Opens an existing file for reading; null when it cannot be opened.
    static std::unique_ptr<CCityFileReader> Open(const QString& path);
    ~CCityFileReader();
    CCityFileReader(const CCityFileReader&) = delete;
    CCityFileReader& operator=(const CCityFileReader&) = delete;

    // A second handle on the same file with its own position, so that
    // closing one never affects the other; null when the system refuses.
    std::unique_ptr<CCityFileReader> Duplicate() const;

    void Seek(std::uint32_t offset) { m_position = offset; }
    void Skip(std::uint32_t count) { m_position += count; }
    // Reads exactly count bytes at the position and moves past them.
    bool Read(void* data, std::size_t count);
    // A little-endian 16-bit word.
    bool ReadWord(std::uint16_t* word);
    bool ReadShort(std::int16_t* value);

    // What the open file's back end reads of it once (cityfilesource.h):
    // the search index of its names and the grid of its cities, made at
    // their first use and shared with the duplicates made after it, and the
    // back end's source that makes them (its own, never duplicated).
    std::shared_ptr<const CCityFileIndex> m_searchIndex;
    std::shared_ptr<const CPlaceGrid> m_grid;
    std::unique_ptr<CPlaceSource> m_source;

private:
    explicit CCityFileReader(int descriptor) : m_descriptor(descriptor) {}
    bool Fill(std::uint64_t offset);

    static constexpr std::size_t kWindowSize = 4096;

    int m_descriptor;
    std::uint64_t m_position = 0;       // 64-bit: skips never wrap back into the file
    std::uint64_t m_windowStart = 0;
    std::size_t m_windowSize = 0;       // bytes valid in m_window
    std::uint64_t m_end = UINT64_MAX;   // the file's size, once a read has met it
    unsigned char m_window[kWindowSize];
};
