#include "searchvocabulary.h"

#include <algorithm>
#include <numeric>

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
    const std::size_t first = m_chars.size();
    for (char32_t c : CodePoints(word))
        m_chars.push_back(c);
    NoteAppended(first);
}

void CSearchVocabulary::AppendUtf8(const char* text, int bytes)
{
    // SQLite hands out valid UTF-8; a stray byte stands for itself.
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const auto* end = p + bytes;
    const std::size_t first = m_chars.size();
    while (p < end) {
        char32_t c = *p++;
        int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (more)
            c &= 0x3F >> more;
        for (; more > 0 && p < end; --more)
            c = (c << 6) | (*p++ & 0x3F);
        m_chars.push_back(c);
    }
    NoteAppended(first);
}

void CSearchVocabulary::NoteAppended(std::size_t first)
{
    const std::size_t before = Size();
    m_starts.push_back(std::uint32_t(m_chars.size()));
    if (m_sorted && before > 0)
        m_sorted = std::lexicographical_compare(m_chars.begin() + m_starts[before - 1], m_chars.begin() + first,
                                                m_chars.begin() + first, m_chars.end());
}

void CSearchVocabulary::Finish()
{
    if (m_sorted)
        return;
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
    chars.shrink_to_fit();
    m_chars = std::move(chars);
    m_starts = std::move(starts);
    m_sorted = true;
}

struct CSearchVocabulary::tagWalk {
    const CSearchVocabulary& words;
    std::u32string query;
    int maxEdits;
    bool asPrefix;
    std::u32string path;
    // rows[d][j]: the edits between the first d letters of the path and the
    // first j of the query.
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

    // The words [lo, hi) share the path; its row is rows[path.size()].
    void Visit(std::size_t lo, std::size_t hi)
    {
        const std::size_t depth = path.size();
        const std::size_t n = query.size();
        const int reached = rows[depth][n];
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
        if (rows.size() < depth + 2)
            rows.emplace_back(n + 1);
        while (i < hi && found.size() < kMaxFound) {
            const char32_t c = words.At(i, depth);
            // Its children's first letters rise with the index.
            std::size_t a = i, b = hi;
            while (a < b) {
                const std::size_t mid = (a + b) / 2;
                if (words.At(mid, depth) <= c)
                    a = mid + 1;
                else
                    b = mid;
            }
            const std::vector<int>& above = rows[depth];
            std::vector<int>& row = rows[depth + 1];
            row[0] = int(depth) + 1;
            int least = row[0];
            for (std::size_t j = 1; j <= n; ++j) {
                int cell = std::min({above[j] + 1, row[j - 1] + 1, above[j - 1] + (query[j - 1] != c)});
                if (depth >= 1 && j >= 2 && query[j - 2] == c && query[j - 1] == path[depth - 1])
                    cell = std::min(cell, rows[depth - 1][j - 2] + 1);
                row[j] = cell;
                least = std::min(least, cell);
            }
            // A swap reaches back one row further, but never below what a
            // substitution reaches in this one: a row beyond reach ends the branch.
            if (least <= maxEdits) {
                path.push_back(c);
                Visit(i, a);
                path.pop_back();
            }
            i = a;
        }
    }
};

std::vector<CSearchVocabulary::tagNear> CSearchVocabulary::Near(QStringView word, int maxEdits, bool asPrefix,
                                                                std::size_t maxNear) const
{
    tagWalk walk{*this, CodePoints(word), maxEdits, asPrefix, {}, {}, {}};
    if (walk.query.empty() || Size() == 0)
        return {};
    walk.rows.emplace_back(walk.query.size() + 1);
    std::iota(walk.rows[0].begin(), walk.rows[0].end(), 0);
    walk.Visit(0, Size());
    std::stable_sort(walk.found.begin(), walk.found.end(),
                     [](const tagNear& a, const tagNear& b) { return a.edits < b.edits; });
    if (walk.found.size() > maxNear)
        walk.found.resize(maxNear);
    return std::move(walk.found);
}
