#include "cityfileindex.h"

#include "cityfilereader.h"
#include "common/searchtext.h"

#include <QHash>

#include <functional>

#include <algorithm>
#include <bit>
#include <numeric>
#include <tuple>

namespace {

constexpr std::size_t kMaxNear = 64;
constexpr std::uint32_t kNoWord = UINT32_MAX;

QString Name(const unsigned short* text)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text));
}

using tagRanges = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

bool InAny(std::uint32_t word, const tagRanges& ranges)
{
    for (const auto& [first, second] : ranges)
        if (word >= first && word < second)
            return true;
    return false;
}

} // namespace

std::shared_ptr<CCityFileIndex> CCityFileIndex::Build(CTerrafindFile& file)
{
    auto index = std::make_shared<CCityFileIndex>();
    // Words numbered as first met, renumbered in sorted order at the end.
    QHash<QString, std::uint32_t> numbers;
    std::vector<QString> met;
    const auto number = [&](const QString& word) {
        const auto at = numbers.constFind(word);
        if (at != numbers.constEnd())
            return *at;
        numbers.insert(word, std::uint32_t(met.size()));
        met.push_back(word);
        return std::uint32_t(met.size() - 1);
    };
    struct tagRead {
        QString key; // the folded English name, for the order
        tagEntry entry;
    };
    std::vector<tagRead> cities;
    std::vector<std::uint32_t> entryWords;
    const unsigned short countries = file.GetCountriesCount();
    for (unsigned short id = 1; id <= countries && id != 0; ++id) {
        tagCOUNTRY country = {};
        std::vector<std::uint32_t> countryWords;
        if (file.GetCountryInfo(English, id, &country))
            for (const QString& word : SearchWords(Name(country.szEnName) + QLatin1Char(' ') + Name(country.szArName)))
                countryWords.push_back(number(word));
        index->m_countryWords.push_back(std::move(countryWords));
        const unsigned short count = file.GetCitiesCount(id);
        for (unsigned short i = 1; i <= count && i != 0; ++i) {
            tagCity city = {};
            if (!file.GetCityInfo(English, id, i, &city))
                continue;
            tagEntry entry{};
            entry.country = id;
            entry.index = i;
            QString key;
            // The words of a name, then of its qualifier in brackets; where those start.
            const auto add = [&](const QString& name, std::uint32_t* first, std::uint32_t* qualifier) {
                *first = std::uint32_t(entryWords.size());
                const qsizetype bracket = name.indexOf(QLatin1Char('('));
                const QStringList words = SearchWords(QStringView(name).left(bracket));
                for (const QString& word : words)
                    entryWords.push_back(number(word));
                *qualifier = std::uint32_t(entryWords.size());
                QStringList all = words;
                if (bracket >= 0)
                    for (const QString& word : SearchWords(QStringView(name).mid(bracket))) {
                        entryWords.push_back(number(word));
                        all.append(word);
                    }
                return all.join(QLatin1Char(' '));
            };
            key = add(Name(city.szEnName), &entry.english, &entry.englishQualifier);
            add(Name(city.szArName), &entry.arabic, &entry.arabicQualifier);
            entry.end = std::uint32_t(entryWords.size());
            cities.push_back({key, entry});
        }
    }

    std::vector<std::uint32_t> order(met.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return met[a] < met[b]; });
    std::vector<std::uint32_t> renumber(met.size());
    index->m_words.reserve(met.size());
    for (std::uint32_t i = 0; i < order.size(); ++i) {
        renumber[order[i]] = i;
        index->m_words.push_back(std::move(met[order[i]]));
        index->m_vocabulary.Append(index->m_words.back());
    }
    index->m_vocabulary.Finish();
    for (auto& words : index->m_countryWords)
        for (std::uint32_t& word : words)
            word = renumber[word];

    std::stable_sort(cities.begin(), cities.end(), [](const tagRead& a, const tagRead& b) { return a.key < b.key; });
    index->m_postings.resize(index->m_words.size());
    index->m_countryEntries.resize(countries);
    index->m_cities.reserve(cities.size());
    index->m_entryWords.reserve(entryWords.size());
    for (std::uint32_t e = 0; e < cities.size(); ++e) {
        const tagEntry& read = cities[e].entry;
        // The same words, moved to the end of the table read so far.
        tagEntry entry = read;
        const std::uint32_t shift = std::uint32_t(index->m_entryWords.size()) - read.english;
        for (std::uint32_t* at : {&entry.english, &entry.englishQualifier, &entry.arabic, &entry.arabicQualifier, &entry.end})
            *at += shift;
        for (std::uint32_t w = read.english; w < read.end; ++w) {
            const std::uint32_t word = renumber[entryWords[w]];
            index->m_entryWords.push_back(word);
            if (index->m_postings[word].empty() || index->m_postings[word].back() != e)
                index->m_postings[word].push_back(e);
        }
        index->m_countryEntries[entry.country - 1].push_back(e);
        index->m_cities.push_back(entry);
    }
    index->m_postingsBefore.reserve(index->m_postings.size() + 1);
    index->m_postingsBefore.push_back(0);
    for (const auto& postings : index->m_postings)
        index->m_postingsBefore.push_back(index->m_postingsBefore.back() + postings.size());
    return index;
}

std::pair<std::uint32_t, std::uint32_t> CCityFileIndex::Range(const QString& word) const
{
    const auto first = std::lower_bound(m_words.begin(), m_words.end(), word);
    auto last = first;
    while (last != m_words.end() && last->startsWith(word))
        ++last;
    return {std::uint32_t(first - m_words.begin()), std::uint32_t(last - m_words.begin())};
}

void CCityFileIndex::Walk(const std::vector<tagRanges>& words, const std::function<bool(std::uint32_t)>& visit) const
{
    // Per word, the countries whose names answer it, and what its postings
    // and those countries' cities number.
    std::vector<std::vector<bool>> countries(words.size(), std::vector<bool>(m_countryWords.size()));
    std::size_t fewest = SIZE_MAX, cheapest = 0;
    for (std::size_t w = 0; w < words.size(); ++w) {
        std::size_t cost = 0;
        for (const auto& [first, second] : words[w])
            cost += m_postingsBefore[second] - m_postingsBefore[first];
        for (std::size_t country = 0; country < m_countryWords.size(); ++country)
            for (std::uint32_t word : m_countryWords[country])
                if (InAny(word, words[w])) {
                    countries[w][country] = true;
                    cost += m_countryEntries[country].size();
                    break;
                }
        if (cost < fewest) {
            fewest = cost;
            cheapest = w;
        }
    }
    const auto matches = [&](std::uint32_t e) {
        const tagEntry& entry = m_cities[e];
        for (std::size_t w = 0; w < words.size(); ++w) {
            if (countries[w][entry.country - 1])
                continue;
            bool found = false;
            for (std::uint32_t at = entry.english; !found && at < entry.end; ++at)
                found = InAny(m_entryWords[at], words[w]);
            if (!found)
                return false;
        }
        return true;
    };
    // A word few cities answer: its cities, in order; else every city, in
    // order, until visit has enough (a first letter answers most).
    if (fewest < m_cities.size() / 8) {
        tagBits bits((m_cities.size() + 63) / 64);
        const auto set = [&](std::uint32_t e) { bits[e / 64] |= std::uint64_t(1) << (e % 64); };
        for (const auto& [first, second] : words[cheapest])
            for (std::uint32_t word = first; word < second; ++word)
                for (std::uint32_t e : m_postings[word])
                    set(e);
        for (std::size_t country = 0; country < m_countryWords.size(); ++country)
            if (countries[cheapest][country])
                for (std::uint32_t e : m_countryEntries[country])
                    set(e);
        for (std::size_t i = 0; i < bits.size(); ++i)
            for (std::uint64_t word = bits[i]; word; word &= word - 1) {
                const std::uint32_t e = std::uint32_t(i * 64 + std::countr_zero(word));
                if (matches(e) && !visit(e))
                    return;
            }
        return;
    }
    for (std::uint32_t e = 0; e < m_cities.size(); ++e)
        if (matches(e) && !visit(e))
            return;
}

int CCityFileIndex::Rank(const tagEntry& entry, const tagRanges& ranges, const std::vector<std::uint32_t>& whole) const
{
    int rank = 2;
    const std::vector<std::uint32_t>& country = m_countryWords[entry.country - 1];
    const auto hasIn = [](auto begin, auto end, const std::pair<std::uint32_t, std::uint32_t>& range) {
        return std::any_of(begin, end, [&](std::uint32_t word) { return word >= range.first && word < range.second; });
    };
    for (const auto& [first, qualifier, last] : {std::tuple{entry.english, entry.englishQualifier, entry.arabic},
                                                 std::tuple{entry.arabic, entry.arabicQualifier, entry.end}}) {
        const auto begin = m_entryWords.begin() + first, end = m_entryWords.begin() + last;
        // The qualifier in brackets may be left out.
        std::vector<bool> typed(last - first, false);
        std::fill(typed.begin() + (qualifier - first), typed.end(), true);
        bool all = true, allWhole = true, any = false;
        for (std::size_t w = 0; all && w < ranges.size(); ++w) {
            bool exact = false;
            for (auto at = begin; at != end; ++at)
                if (*at == whole[w])
                    typed[at - begin] = exact = true;
            if (exact || hasIn(begin, end, ranges[w])) {
                any = true;
                allWhole = allWhole && exact;
            } else {
                all = hasIn(country.begin(), country.end(), ranges[w]);
            }
        }
        if (all && any)
            rank = std::min(rank, allWhole && std::find(typed.begin(), typed.end(), false) == typed.end() ? 0 : 1);
    }
    return rank;
}

QList<QPair<std::uint16_t, std::uint16_t>> CCityFileIndex::Find(const QStringList& words, int maxCount) const
{
    tagRanges ranges;
    std::vector<tagRanges> exact;
    std::vector<std::uint32_t> whole;
    for (const QString& word : words) {
        ranges.push_back(Range(word));
        exact.push_back({ranges.back()});
        const auto [first, second] = ranges.back();
        whole.push_back(first < second && m_words[first] == word ? first : kNoWord);
    }

    // The names that are the query first, wherever they come in order: each
    // has one of the words whole. Then the matches in order until enough of
    // the first two ranks are found, those of the last waiting behind them.
    std::vector<std::uint32_t> ranked[3];
    tagBits named((m_cities.size() + 63) / 64);
    for (std::uint32_t word : whole)
        if (word != kNoWord)
            for (std::uint32_t e : m_postings[word])
                named[e / 64] |= std::uint64_t(1) << (e % 64);
    std::vector<bool> taken(m_cities.size());
    for (std::size_t i = 0; i < named.size() && int(ranked[0].size()) < maxCount; ++i)
        for (std::uint64_t bits = named[i]; bits && int(ranked[0].size()) < maxCount; bits &= bits - 1) {
            const std::uint32_t e = std::uint32_t(i * 64 + std::countr_zero(bits));
            if (Rank(m_cities[e], ranges, whole) == 0) {
                ranked[0].push_back(e);
                taken[e] = true;
            }
        }
    Walk(exact, [&](std::uint32_t e) {
        if (!taken[e])
            if (const int rank = Rank(m_cities[e], ranges, whole); rank > 0)
                ranked[rank].push_back(e);
        return int(ranked[0].size() + ranked[1].size()) < maxCount;
    });
    std::vector<std::uint32_t> found;
    for (const auto& rank : ranked)
        found.insert(found.end(), rank.begin(), rank.end());
    if (int(found.size()) > maxCount)
        found.resize(maxCount);

    const bool mayBeMistyped = std::any_of(words.begin(), words.end(), [](const QString& word) {
        return CSearchVocabulary::EditsAllowed(qsizetype(CodePoints(word).size())) > 0;
    });
    if (int(found.size()) < maxCount && mayBeMistyped) {
        // The words as they might have been meant, after every exact hit.
        std::vector<tagRanges> near = exact;
        bool anyNear = false;
        for (qsizetype w = 0; w < words.size(); ++w) {
            const int edits = CSearchVocabulary::EditsAllowed(qsizetype(CodePoints(words[w]).size()));
            if (edits == 0)
                continue;
            for (const CSearchVocabulary::tagNear& spelling :
                 m_vocabulary.Near(words[w], edits, w + 1 == words.size(), kMaxNear)) {
                if (spelling.edits == 0)
                    continue;
                anyNear = true;
                auto range = Range(spelling.text);
                if (!spelling.prefix)
                    range.second = range.first + 1;
                near[w].push_back(range);
            }
        }
        for (std::uint32_t e : found)
            taken[e] = true;
        if (anyNear)
            Walk(near, [&](std::uint32_t e) {
                if (!taken[e])
                    found.push_back(e);
                return int(found.size()) < maxCount;
            });
    }

    QList<QPair<std::uint16_t, std::uint16_t>> out;
    for (std::uint32_t e : found)
        out.append({m_cities[e].country, m_cities[e].index});
    return out;
}
