// Search as you type, over the places of any back end. Included by
// <terrafind/terrafind.h>; include that header rather than this one.
#pragma once

#include <terrafind/interface.h>

// One place a search found: the city and its country as GetCity fills
// them, and its division and population as GetCityDetails gives them
// (empty, and 0, where the back end keeps none).
struct tagCityHit {
    CCity city;
    tagCityDetails details;
};

// Finds the places of an open back end whose English name, Arabic name,
// search-only spellings or country's name hold, for every word of query, a
// word that starts with it: "york" finds New York, "makk" and "mecca"
// Makkah, "cairo egypt" only the Cairo of Egypt. Case, accents and the
// ways Arabic is typed (harakat, hamza forms, teh marbuta, Persian letters)
// do not matter. Every character of query is text: quotes, "*", "-", "OR"
// or "NEAR" are looked for as written (those that are no letters separate
// words).
//
// hits gets at most maxCount places, one hit per place: on a place database
// in order of population, largest first, the user's own places (population
// 0) last; on a city file, which keeps no populations, in order of the
// English name, and each hit's m_dwID is its index within m_dwCountryID as
// the file's lists give it. A query without a word, or a maxCount below 1,
// finds nothing. Only the first 16 words of a query count.
//
// S_OK, also when nothing is found; S_FALSE, finding nothing, on a place
// database without a search index (one made by an earlier release that a
// host opens through $TERRAFIND_DB); E_FAIL when the back end is not open,
// hits is null or the database cannot be read; E_NOTIMPL for a back end of
// another kind. Costs, on the shipped data: well under a millisecond on a
// place database; on a city file a pass over a table of its words, and
// at the first search of an open file, reading every name into that table.
TERRAFIND_EXPORT HRESULT SearchCities(CTerrafind& places, const QString& query, int maxCount,
                                      QList<tagCityHit>* hits);
