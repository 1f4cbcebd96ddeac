#include "searchvocabulary.h"

#include <algorithm>
#include <iterator>
#include <numeric>
#include <string_view>

std::u32string CodePoints(QStringView text)
{
    std::u32string out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        out.push_back(c);
    }
    return out;
}

void CSearchVocabulary::Append(QStringView word)
{
    const QByteArray utf8 = word.toUtf8();
    AppendUtf8(utf8.constData(), int(utf8.size()));
}

void CSearchVocabulary::AppendUtf8(const char* text, int bytes)
{
    // Kept as given until Finish, which then knows how much to make room
    // for: a word's letters are appended once, never moved as they grow.
    m_utf8.append(text, std::size_t(bytes));
    m_utf8Ends.push_back(m_utf8.size());
}

void CSearchVocabulary::Finish()
{
    // UTF-8 in byte order is in code point order.
    const std::size_t words = m_utf8Ends.size();
    // No more letters than bytes: room that is never written is never
    // given pages either.
    m_chars.clear();
    m_chars.reserve(m_utf8.size());
    m_starts.clear();
    m_starts.reserve(words + 1);
    m_starts.push_back(0);
    std::string_view previous;
    std::size_t begin = 0;
    for (std::size_t w = 0; w < words; ++w) {
        const std::string_view word(m_utf8.data() + begin, m_utf8Ends[w] - begin);
        if (m_sorted && w > 0 && !(previous < word))
            m_sorted = false;
        // SQLite hands out valid UTF-8; a stray byte stands for itself.
        const auto* p = reinterpret_cast<const unsigned char*>(word.data());
        const auto* end = p + word.size();
        while (p < end) {
            char32_t c = *p++;
            if (c >= 0xC0) {
                int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
                c &= 0x3F >> more;
                for (; more > 0 && p < end && (*p & 0xC0) == 0x80; --more)
                    c = (c << 6) | (*p++ & 0x3F);
            }
            m_chars.push_back(c);
        }
        m_starts.push_back(std::uint32_t(m_chars.size()));
        previous = word;
        begin = m_utf8Ends[w];
    }
    std::string().swap(m_utf8);
    std::vector<std::size_t>().swap(m_utf8Ends);
    if (!m_sorted) {
        std::vector<std::uint32_t> order(Size());
        std::iota(order.begin(), order.end(), 0);
        const auto begin = [&](std::uint32_t i) { return m_chars.begin() + m_starts[i]; };
        const auto end = [&](std::uint32_t i) { return m_chars.begin() + m_starts[i + 1]; };
        std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            return std::lexicographical_compare(begin(a), end(a), begin(b), end(b));
        });
        std::vector<char32_t> chars;
        std::vector<std::uint32_t> starts{0};
        chars.reserve(m_chars.size());
        for (std::size_t k = 0; k < order.size(); ++k) {
            const std::uint32_t i = order[k];
            if (k > 0 && std::equal(begin(i), end(i), begin(order[k - 1]), end(order[k - 1])))
                continue;
            chars.insert(chars.end(), begin(i), end(i));
            starts.push_back(std::uint32_t(chars.size()));
        }
        m_chars = std::move(chars);
        m_starts = std::move(starts);
        m_sorted = true;
    }
    // The first levels of the trie, where a walk visits most branches.
    for (int level = 0; level < kLevels; ++level) {
        m_levels[level].clear();
        if (level + 1 < kLevels)
            m_childStart[level].clear();
    }
    m_longest = 0;
    const char32_t* chars = m_chars.data();
    for (std::uint32_t i = 0; i < Size(); ++i) {
        const char32_t* word = chars + m_starts[i];
        const std::size_t length = m_starts[i + 1] - m_starts[i];
        m_longest = std::max(m_longest, length);
        // Letters shared with the word before: those nodes go on.
        std::size_t shared = 0;
        if (i > 0) {
            const char32_t* before = chars + m_starts[i - 1];
            const std::size_t most = std::min({std::size_t(kLevels), length, std::size_t(word - before)});
            while (shared < most && word[shared] == before[shared])
                ++shared;
        }
        for (std::size_t level = 0; level < std::size_t(kLevels) && level < length; ++level) {
            if (level >= shared) {
                if (level + 1 < std::size_t(kLevels))
                    m_childStart[level].push_back(std::uint32_t(m_levels[level + 1].size()));
                m_levels[level].push_back({word[level], i, i});
            }
            m_levels[level].back().end = i + 1;
        }
    }
    for (int level = 0; level + 1 < kLevels; ++level)
        m_childStart[level].push_back(std::uint32_t(m_levels[level + 1].size()));
}

struct CSearchVocabulary::tagWalk {
    const CSearchVocabulary& words;
    std::u32string query;
    int maxEdits;
    bool asPrefix;
    std::u32string path;
    // rows[d][j]: the edits between the first d letters of the path and the
    // first j of the query; as many as the longest word needs, made at once.
    std::vector<std::vector<int>> rows;
    std::vector<tagNear> found;

    static constexpr std::size_t kMaxFound = 4096; // a bound on the walk, far above any use

    void Emit(bool prefix, int edits)
    {
        QString text;
        for (char32_t c : path)
            text.append(QStringView(QChar::fromUcs4(c)));
        found.push_back({text, prefix, edits});
    }

    // The child c of the path, words [a, b), node its number in its level:
    // its row, and the walk below it while in reach.
    void Child(char32_t c, std::size_t a, std::size_t b, std::size_t node)
    {
        const std::size_t depth = path.size();
        const std::size_t n = query.size();
        const std::vector<int>& above = rows[depth];
        std::vector<int>& row = rows[depth + 1];
        // Only cells within maxEdits of the diagonal can be in reach; those
        // just outside hold maxEdits + 1 for the next row to read.
        const auto [from, to] = Band(depth + 1);
        const int beyond = maxEdits + 1;
        row[0] = std::min(int(depth) + 1, beyond);
        if (from > 1)
            row[from - 1] = beyond;
        if (to < n)
            row[to + 1] = beyond;
        int least = from == 1 ? row[0] : beyond;
        for (std::size_t j = from; j <= to; ++j) {
            int cell = std::min({above[j] + 1, row[j - 1] + 1, above[j - 1] + (query[j - 1] != c)});
            if (depth >= 1 && j >= 2 && query[j - 2] == c && query[j - 1] == path[depth - 1])
                cell = std::min(cell, rows[depth - 1][j - 2] + 1);
            row[j] = cell;
            least = std::min(least, cell);
        }
        // A swap reaches back one row further, but never below what a
        // substitution reaches in this one: a row beyond reach ends the branch.
        if (least <= maxEdits && found.size() < kMaxFound) {
            path.push_back(c);
            Visit(a, b, node, least);
            path.pop_back();
        }
    }

    // The cells of row d that may be in reach: j from d - maxEdits to d + maxEdits, within 1..n.
    std::pair<std::size_t, std::size_t> Band(std::size_t d) const
    {
        return {d > std::size_t(maxEdits) ? d - maxEdits : 1, std::min(query.size(), d + maxEdits)};
    }

    // Row d's cell j, maxEdits + 1 off the band.
    int Cell(std::size_t d, std::size_t j) const
    {
        if (d == 0)
            return int(j);
        const auto [from, to] = Band(d);
        return j == 0 ? rows[d][0] : j >= from && j <= to ? rows[d][j] : maxEdits + 1;
    }

    // The words [lo, hi) share the path; its row is rows[path.size()], least
    // its smallest cell. node: the path's number in its level of the trie,
    // where it has one.
    void Visit(std::size_t lo, std::size_t hi, std::size_t node, int least)
    {
        const std::size_t depth = path.size();
        const int reached = Cell(depth, query.size());
        if (asPrefix && reached <= maxEdits) {
            Emit(true, reached);
            return;
        }
        std::size_t i = lo;
        if (i < hi && words.Length(i) == depth) { // the path is itself a word, which sorts first
            if (reached <= maxEdits)
                Emit(false, reached);
            ++i;
        }
        if (i >= hi || depth + 1 >= rows.size())
            return;
        // Children in [from, to) of a level kept whole, or found by binary search.
        const tagChild* from = nullptr;
        const tagChild* to = nullptr;
        if (depth == 0) {
            from = words.m_levels[0].data();
            to = from + words.m_levels[0].size();
        } else if (depth < std::size_t(kLevels)) {
            from = words.m_levels[depth].data() + words.m_childStart[depth - 1][node];
            to = words.m_levels[depth].data() + words.m_childStart[depth - 1][node + 1];
        }
        const auto childNumber = [&](const tagChild* child) {
            return std::size_t(child - words.m_levels[depth].data());
        };
        const auto lettersFrom = [&](std::size_t a, char32_t c) { // first of [a, hi) with a letter above c
            std::size_t b = hi;
            while (a < b) {
                const std::size_t mid = (a + b) / 2;
                if (words.At(mid, depth) <= c)
                    a = mid + 1;
                else
                    b = mid;
            }
            return a;
        };
        if (least < maxEdits) {
            // An edit to spare: any letter may follow.
            if (from) {
                for (const tagChild* child = from; child != to; ++child)
                    Child(child->letter, child->begin, child->end, childNumber(child));
                return;
            }
            while (i < hi) {
                const char32_t c = words.At(i, depth);
                const std::size_t end = lettersFrom(i, c);
                Child(c, i, end, 0);
                i = end;
            }
            return;
        }
        // None to spare: only a letter of the query matched where the row is
        // in reach (or swapped with the path's last) keeps the branch in reach.
        char32_t wanted[64];
        std::size_t count = 0;
        const auto [bandFrom, bandTo] = Band(depth);
        for (std::size_t j = bandFrom; j <= std::min(query.size(), bandTo + 1) && count + 2 <= std::size(wanted); ++j) {
            if (Cell(depth, j - 1) <= maxEdits)
                wanted[count++] = query[j - 1];
            if (depth >= 1 && j >= 2 && query[j - 1] == path[depth - 1] && Cell(depth - 1, j - 2) + 1 <= maxEdits)
                wanted[count++] = query[j - 2];
        }
        std::sort(wanted, wanted + count);
        count = std::size_t(std::unique(wanted, wanted + count) - wanted);
        for (char32_t c : std::u32string_view(wanted, count)) {
            if (from) {
                const tagChild* child =
                    std::lower_bound(from, to, c, [](const tagChild& child, char32_t c) { return child.letter < c; });
                if (child != to && child->letter == c)
                    Child(c, child->begin, child->end, childNumber(child));
                continue;
            }
            std::size_t a = i, b = hi;
            while (a < b) {
                const std::size_t mid = (a + b) / 2;
                if (words.At(mid, depth) < c)
                    a = mid + 1;
                else
                    b = mid;
            }
            if (a < hi && words.At(a, depth) == c)
                Child(c, a, lettersFrom(a, c), 0);
        }
    }
};

std::vector<CSearchVocabulary::tagNear> CSearchVocabulary::Near(QStringView word, int maxEdits, bool asPrefix,
                                                                std::size_t maxNear) const
{
    tagWalk walk{*this, CodePoints(word), maxEdits, asPrefix, {}, {}, {}};
    if (walk.query.empty() || Size() == 0)
        return {};
    walk.rows.assign(m_longest + 1, std::vector<int>(walk.query.size() + 1));
    std::iota(walk.rows[0].begin(), walk.rows[0].end(), 0);
    walk.Visit(0, Size(), 0, 0);
    std::stable_sort(walk.found.begin(), walk.found.end(),
                     [](const tagNear& a, const tagNear& b) { return a.edits < b.edits; });
    if (walk.found.size() > maxNear)
        walk.found.resize(maxNear);
    return std::move(walk.found);
}
