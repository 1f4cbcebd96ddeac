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
// search-only spellings (in every script) or country's name hold, for every
// word of query, a word that starts with it: "york" finds New York, "makk"
// and "mecca" Makkah, "Каир" and "カイロ" Cairo, "cairo egypt" only the
// Cairo of Egypt. Case, compatibility forms, accents and the ways Arabic is
// typed (harakat, hamza forms, teh marbuta, Persian letters) do not
// matter. Every character of query is text: quotes, "*", "-", "OR" or
// "NEAR" are looked for as written (those that are no letters separate
// words).
//
// hits gets at most maxCount places, one hit per place: first those whose
// own name, English or Arabic, is the query, every word whole (a qualifier
// in brackets, "Alexandria (Virginia)", may be left out); then those whose
// name has words starting with the query's; then those found through their
// search-only spellings or their country alone. When fewer places than
// maxCount match, those follow that match with a query word of 4 letters
// or more mistyped by one edit (a letter inserted, left out or replaced,
// or two neighbours swapped), of 8 or more by two, the last word still a
// prefix: "jedah" finds Jeddah, "lahroe" Lahore. Within each group, on a
// place database, by population, largest first, the user's own places
// (population 0) last; on a city file, which keeps no populations, in
// order of the English name, and each hit's m_dwID is its index within
// m_dwCountryID as the file's lists give it. A query without a word, or a
// maxCount below 1, finds nothing. Only the first 16 words of a query
// count.
//
// S_OK, also when nothing is found; S_FALSE, finding nothing, on a place
// database without a search index (one made by an earlier release that a
// host opens through $TERRAFIND_DB); E_FAIL when the back end is not open,
// hits is null or the database cannot be read; E_NOTIMPL for a back end of
// another kind. Costs, on the shipped data: under a millisecond; under 5
// when a typo is looked for, and at the first such search of an open place
// database about 45 ms more, reading the index's words (about 28 MB). On a
// city file under half a millisecond, and at the first search of an open
// file, reading every name into an index (a quarter of a second).
TERRAFIND_EXPORT HRESULT SearchCities(CTerrafind& places, const QString& query, int maxCount,
                                      QList<tagCityHit>* hits);
