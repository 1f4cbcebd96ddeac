// The search over a city file: the folded words of every city's names and
// of every country's names, read at the first search of an open file and
// held in memory while it stays open (opening stays as quick as ever). The
// file keeps no populations, so matches come in the order of the cities'
// folded English names.
#pragma once

#include <terrafind/terrafindfile.h>

#include <QList>
#include <QPair>
#include <QString>

#include <memory>
#include <vector>

class CCityFileIndex {
public:
    // Reads the names of every country and city of an open file. Records
    // that cannot be read are left out. Costs one pass over the file.
    static std::shared_ptr<CCityFileIndex> Build(CTerrafindFile& file);

    // The cities whose names or country's names hold, for every word, a
    // word starting with it, as (country ID, city index), at most maxCount.
    // The words are folded already (SearchWords). Walks the cities in
    // order until maxCount are found.
    QList<QPair<std::uint16_t, std::uint16_t>> Find(const QStringList& words, int maxCount) const;

private:
    struct tagEntry {
        QString words; // folded, blank-separated: English name, then Arabic
        std::uint16_t country;
        std::uint16_t index;
    };
    std::vector<tagEntry> m_cities;  // in order of the folded English name
    std::vector<QString> m_countries; // folded words of country ID i + 1
};
