// The forgiving half of search as you type: the words an index holds, and
// those of them a mistyped query word may have meant.
//
// The words are kept sorted, in one array of code points, and walked as the
// trie that sorted order implies: a range of words sharing a prefix is one
// node, its children found by binary search. The walk carries one row of
// the edit-distance table per letter of the path, shared by every word
// below it, and leaves a branch as soon as no cell of its row is within
// reach. Building costs one pass over the words and no more memory than
// they take; a look-up visits only the few thousand prefixes within reach
// of the query word, whatever the number of words.
#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <string>
#include <vector>

class CSearchVocabulary {
public:
    struct tagNear {
        QString text;
        bool prefix; // true: every word starting with text
        int edits;
    };

    // Adds a folded word, in any order; Finish() sorts and drops repeats,
    // and must come before Near.
    void Append(QStringView word);
    void AppendUtf8(const char* text, int bytes);
    void Finish();
    // Room for words of that many bytes of UTF-8 in all, about.
    void Reserve(std::size_t bytes)
    {
        m_utf8.reserve(bytes);
        m_utf8Ends.reserve(bytes / 8);
    }

    // The same words.
    bool operator==(const CSearchVocabulary& other) const
    {
        return m_chars == other.m_chars && m_starts == other.m_starts;
    }

    // The words, once finished.
    std::size_t Size() const { return m_starts.empty() ? 0 : m_starts.size() - 1; }
    std::size_t Bytes() const
    {
        return m_chars.size() * sizeof(char32_t) + m_starts.size() * sizeof(std::uint32_t)
               + (m_levels[0].capacity() + m_levels[1].capacity() + m_levels[2].capacity()) * sizeof(tagChild)
               + (m_childStart[0].capacity() + m_childStart[1].capacity()) * sizeof(std::uint32_t);
    }

    // The words within maxEdits of word, counting an inserted, deleted or
    // substituted letter or two neighbours swapped as one edit each (the
    // optimal string alignment distance), at most maxNear of them, fewest
    // edits first. With asPrefix, the prefixes of words that are within
    // maxEdits instead, each the shortest of its branch (so that each
    // stands for every word below it).
    std::vector<tagNear> Near(QStringView word, int maxEdits, bool asPrefix, std::size_t maxNear) const;

    // The edits a query word of that many letters may carry: none below 4
    // letters, where one edit makes most words another word; one below 8;
    // two from 8.
    static int EditsAllowed(qsizetype letters) { return letters < 4 ? 0 : letters < 8 ? 1 : 2; }

private:
    struct tagWalk;


    std::size_t Length(std::size_t i) const { return m_starts[i + 1] - m_starts[i]; }
    char32_t At(std::size_t i, std::size_t depth) const { return m_chars[m_starts[i] + depth]; }

    // Words [begin, end) share the path to a node and then its letter.
    struct tagChild {
        char32_t letter;
        std::uint32_t begin, end;
    };

    std::string m_utf8;                  // the words appended, until Finish
    std::vector<std::size_t> m_utf8Ends;
    std::vector<char32_t> m_chars;
    std::vector<std::uint32_t> m_starts{0}; // word i is m_chars[m_starts[i], m_starts[i + 1])
    bool m_sorted = true;
    // The first levels of the trie, in order: the children of node i of
    // level l are m_levels[l + 1][m_childStart[l][i], m_childStart[l][i + 1]).
    static constexpr int kLevels = 3;
    std::vector<tagChild> m_levels[kLevels];
    std::vector<std::uint32_t> m_childStart[kLevels - 1];
    std::size_t m_longest = 0;
};

// The code points of a text (an unpaired surrogate stands for itself).
std::u32string CodePoints(QStringView text);
