// The search over a city file: an inverted index of the folded words of
// every city's names and of every country's names, made at the first search
// of an open file and held in memory while it stays open (opening stays as
// quick as ever). The file keeps no populations, so within each rank (the
// name is the query; the name starts with it; only the country's name
// answers) matches come in the order of the cities' folded English names.
#pragma once

#include "common/searchvocabulary.h"

#include <terrafind/terrafindfile.h>

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class CCityFileIndex {
public:
    // Reads the names of every country and city of an open file. Records
    // that cannot be read are left out. Costs one pass over the file.
    static std::shared_ptr<CCityFileIndex> Build(CTerrafindFile& file);

    // The cities whose names or country's names hold, for every word, a
    // word starting with it, as (country ID, city index), at most maxCount,
    // ranked as the place database ranks them; when fewer than maxCount,
    // those a word of 4 letters or more mistyped would have found follow
    // (CSearchVocabulary). The words are folded already (SearchWords).
    QList<QPair<std::uint16_t, std::uint16_t>> Find(const QStringList& words, int maxCount) const;

private:
    struct tagEntry {
        // Its word numbers: m_entryWords[english, arabic) and [arabic, end),
        // each name's qualifier in brackets from englishQualifier and arabicQualifier.
        std::uint32_t english, englishQualifier, arabic, arabicQualifier, end;
        std::uint16_t country;
        std::uint16_t index;
    };
    using tagBits = std::vector<std::uint64_t>; // one bit per entry

    // The word numbers [first, second) of the words starting with word.
    std::pair<std::uint32_t, std::uint32_t> Range(const QString& word) const;
    // The entries that, for every word, have a word in one of its ranges of
    // word numbers or a country whose name has, in order, each given to
    // visit until it returns false.
    void Walk(const std::vector<std::vector<std::pair<std::uint32_t, std::uint32_t>>>& words,
              const std::function<bool(std::uint32_t)>& visit) const;
    // 0: a name is the query, 1: every word starts a word of a name or the
    // country's and one at least a name's, 2: the rest.
    int Rank(const tagEntry& entry, const std::vector<std::pair<std::uint32_t, std::uint32_t>>& ranges,
             const std::vector<std::uint32_t>& whole) const;

    std::vector<QString> m_words;                 // sorted, distinct
    std::vector<std::vector<std::uint32_t>> m_postings; // entries holding word i, ascending
    std::vector<std::size_t> m_postingsBefore;         // postings of the words before word i
    CSearchVocabulary m_vocabulary;               // the same words, for the mistyped
    std::vector<tagEntry> m_cities;               // in order of the folded English name
    std::vector<std::uint32_t> m_entryWords;
    std::vector<std::vector<std::uint32_t>> m_countryWords; // word numbers of country ID i + 1
    std::vector<std::vector<std::uint32_t>> m_countryEntries; // entries of country ID i + 1
};
