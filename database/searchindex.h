// The place database's search index.
//
// CitySearch is an FTS5 table of the folded words (common/searchtext.h) of
// each city's English name, Arabic name, search-only spellings
// (CityAlternate) and country names. It keeps no copy of the text
// (contentless) and indexes no positions: a query asks for word prefixes
// only, and so the index is a few megabytes.
//
// CitySearchRow gives each of its rows the city it stands for. Rows are
// numbered in population order, most populous first, 16 apart: a query
// walks the matches in row order and stops after the first N, without a
// sort. An edit never deletes words from the index: the city gets a new
// row, the next number after its old one while the city's 16 last (else
// one after the highest), and the old row keeps a NULL city, so it is
// never found and its number never taken again. A new city's row comes
// after every other, where the places of population 0 belong.
//
// The words are folded before they are stored and tokenised by FTS5's
// ascii tokeniser, which splits at blanks only (the words hold no ASCII
// punctuation): a query word is always exactly one FTS5 token.
#pragma once

#include "common/searchvocabulary.h"

#include <terrafind/terrafindsearch.h>

#include <functional>
#include <memory>

struct sqlite3;
class CConnection;

// Registers searchtext(text), SearchIndexText as an SQL function (NULL for
// NULL). SQLite status.
int RegisterSearchText(sqlite3* db);

// Creates CitySearch and CitySearchRow and fills them from the place
// tables, registering searchtext on the connection; all or nothing.
// SQLite status.
int CreateSearchIndex(sqlite3* db);

// The statements that give the cities which where (an SQL condition over
// City c) selects new search rows with their words as they now are, in
// order. For the edits of the back ends, after the change.
QStringList KeepCitySearchStatements(const QString& where);

// Whether the connection's database has the search index.
bool HasSearchIndex(CConnection* connection);

// The index's words, for the search that forgives a typo, read from the
// index's pages (else, or with throughFts5Vocab, through an fts5vocab table,
// several times slower); null when they cannot be read.
std::unique_ptr<CSearchVocabulary> ReadSearchVocabulary(CConnection* connection, bool throughFts5Vocab = false);

// The first maxCount places matching every word (folded already), with
// their facts, appended to hits: first those whose English or Arabic name
// is the query, then those whose name has words starting with the query's,
// then those found through their search-only spellings or country; within
// each, most populous first. When fewer than maxCount match, places that
// match with a word of 4 or more letters mistyped follow (one edit, two
// from 8 letters; CSearchVocabulary), most populous first; vocabulary
// gives the index's words, read when first needed. S_OK; E_FAIL when the
// connection is not open; SQLite's status when the index cannot be read.
HRESULT SearchPlaceIndex(CConnection* connection, const QStringList& words, int maxCount, QList<tagCityHit>* hits,
                         const std::function<const CSearchVocabulary*()>& vocabulary = {});
