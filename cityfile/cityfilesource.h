// The city file back end's answers beyond the interface: the search over
// its names and the nearest city. Both read the whole file once, at their
// first use after it is opened, and keep what they read with the open file
// (CCityFileReader), which nothing rewrites while it is open.
#pragma once

#include "common/placesource.h"

class CCityFileReader;
class CTerrafindFile;

class CCityFileSource final : public CPlaceSource {
public:
    CCityFileSource(CTerrafindFile& places, CCityFileReader& file) : m_places(places), m_file(file) {}

    HRESULT OpenStatus() const override { return S_OK; }
    // In the order of the folded English names; each hit's m_dwID is its
    // index within its country.
    HRESULT Search(const QStringList& words, int maxCount, QList<tagCityHit>* hits) override;
    // hit->id is the city's number in the file. E_FAIL when a city record
    // cannot be read.
    HRESULT Nearest(double latitude, double longitude, CPlaceGrid::tagHit* hit) override;
    // The file keeps no such facts.
    HRESULT Details(std::uint32_t, tagCityDetails*) override { return E_NOTIMPL; }

private:
    CTerrafindFile& m_places;
    CCityFileReader& m_file;
};
