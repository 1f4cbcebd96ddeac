#include "cityfileindex.h"

#include "cityfilereader.h"
#include "common/searchtext.h"

#include <algorithm>

namespace {

QString Name(const unsigned short* text)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text));
}

QString Words(const unsigned short (&english)[32], const unsigned short (&arabic)[32])
{
    return SearchIndexText(Name(english) + QLatin1Char(' ') + Name(arabic));
}

// Whether one of the blank-separated words of text starts with word.
bool HasWordStarting(QStringView text, QStringView word)
{
    for (qsizetype at = text.indexOf(word); at >= 0; at = text.indexOf(word, at + 1))
        if (at == 0 || text[at - 1] == QLatin1Char(' '))
            return true;
    return false;
}

} // namespace

std::shared_ptr<CCityFileIndex> CCityFileIndex::Build(CTerrafindFile& file)
{
    auto index = std::make_shared<CCityFileIndex>();
    std::vector<std::pair<QString, tagEntry>> cities; // with the folded English name
    const unsigned short countries = file.GetCountriesCount();
    for (unsigned short id = 1; id <= countries && id != 0; ++id) {
        tagCOUNTRY country = {};
        index->m_countries.push_back(file.GetCountryInfo(English, id, &country) ? Words(country.szEnName, country.szArName)
                                                                                : QString());
        const unsigned short count = file.GetCitiesCount(id);
        for (unsigned short i = 1; i <= count && i != 0; ++i) {
            tagCity city = {};
            if (file.GetCityInfo(English, id, i, &city))
                cities.push_back({SearchFold(Name(city.szEnName)), {Words(city.szEnName, city.szArName), id, i}});
        }
    }
    std::stable_sort(cities.begin(), cities.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    index->m_cities.reserve(cities.size());
    for (auto& city : cities)
        index->m_cities.push_back(std::move(city.second));
    return index;
}

QList<QPair<std::uint16_t, std::uint16_t>> CCityFileIndex::Find(const QStringList& words, int maxCount) const
{
    // Which countries' names answer each word, once per query.
    std::vector<std::vector<bool>> countryHas(words.size(), std::vector<bool>(m_countries.size()));
    for (qsizetype w = 0; w < words.size(); ++w)
        for (std::size_t c = 0; c < m_countries.size(); ++c)
            countryHas[w][c] = HasWordStarting(m_countries[c], words[w]);

    QList<QPair<std::uint16_t, std::uint16_t>> found;
    for (const tagEntry& city : m_cities) {
        if (found.size() >= maxCount)
            break;
        bool all = true;
        for (qsizetype w = 0; all && w < words.size(); ++w)
            all = countryHas[w][city.country - 1] || HasWordStarting(city.words, words[w]);
        if (all)
            found.append({city.country, city.index});
    }
    return found;
}
