// The open place database of one back-end class: its connection, with the
// caches that live as long as it does, and the back end's answers beyond
// the interface.
#pragma once

#include "citygrid.h"
#include "connection.h"

#include "common/placesource.h"
#include "common/searchvocabulary.h"

#include <memory>
#include <utility>

class CPlaceStore final : public CPlaceSource {
public:
    // Opens the place database (placedatabase.h); OpenStatus() says how it went.
    CPlaceStore();

    CConnection& Connection() { return m_connection; }
    CCityGrid& Grid() { return m_grid; }
    bool IsOpen() const { return m_connection.IsOpen(); }

    // Whether the database has the side tables (CityInfo and its
    // neighbours), and the search index. Earlier releases' files have not.
    bool HasSideTables();
    bool HasSearchIndex();
    // Whether it has the table name: CitySeat and CityAlias came later than
    // the other side tables.
    bool HasTable(const char* name);

    // Takes note of a status that says the file is damaged; such a
    // per-user database is healed by HealIfDamaged.
    void NoteStatus(HRESULT status);
    // Heals a per-user database found damaged since it was opened
    // (healing.h) and opens the healed one, unless a transaction is open;
    // true when it did.
    bool HealIfDamaged();

    HRESULT OpenStatus() const override { return m_openStatus; }
    HRESULT Search(const QStringList& words, int maxCount, QList<tagCityHit>* hits) override;
    HRESULT Nearest(double latitude, double longitude, CPlaceGrid::tagHit* hit) override;
    HRESULT Details(std::uint32_t cityID, tagCityDetails* details) override;

private:
    void Open();
    // The search index's words, read again when the database changed since
    // they were read (as the grid is); null when they cannot be read.
    const CSearchVocabulary* Vocabulary();

    CConnection m_connection;
    CCityGrid m_grid;
    std::unique_ptr<CSearchVocabulary> m_vocabulary;
    std::pair<long long, long long> m_vocabularyVersion{-1, -1}; // total changes, data_version
    bool m_searchRead = false; // in the read transaction of a search, which changes nothing
    HRESULT m_openStatus = E_FAIL;
    bool m_damaged = false;
};
